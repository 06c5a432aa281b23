// Linux only: the layer's test seams (device loss, failing calls, presented
// frames) and the reference device, which renders in software.
#include "platform/d3d9/automation.h"
#include "platform/user/window_host.h"
#include "q31_automation.h"
#include "tests/support/png_writer.h"
#include "tests/platform/d3d9/d3d9_fixture.h"

#include <SDL.h>

namespace {

namespace automation = d3d9gl::automation;

class D3d9Seams : public D3d9Device {};

TEST_F(D3d9Seams, InjectedLossGoesLostThenNotResetThenBack)
{
    ASSERT_EQ(createDevice(D3DDEVTYPE_HAL, windowedParameters()), D3D_OK);
    EXPECT_EQ(device->TestCooperativeLevel(), D3D_OK);
    automation::setDeviceLost(device, true);
    EXPECT_EQ(device->TestCooperativeLevel(), D3DERR_DEVICELOST);
    EXPECT_EQ(device->Present(nullptr, nullptr, nullptr, nullptr), D3DERR_DEVICELOST);
    D3DPRESENT_PARAMETERS pp = windowedParameters();
    EXPECT_EQ(device->Reset(&pp), D3DERR_DEVICELOST);
    // Draws while lost are dropped without error.
    ASSERT_EQ(device->BeginScene(), D3D_OK);
    const RhwColorVertex v[3] = {{0, 0, 0.5f, 1, 0xffffffff}, {10, 0, 0.5f, 1, 0xffffffff}, {0, 10, 0.5f, 1, 0xffffffff}};
    ASSERT_EQ(device->SetFVF(kRhwColorFvf), D3D_OK);
    EXPECT_EQ(device->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 1, v, sizeof v[0]), D3D_OK);
    ASSERT_EQ(device->EndScene(), D3D_OK);

    automation::setDeviceLost(device, false);
    EXPECT_EQ(device->TestCooperativeLevel(), D3DERR_DEVICENOTRESET);
    pp = windowedParameters();
    EXPECT_EQ(device->Reset(&pp), D3D_OK);
    EXPECT_EQ(device->TestCooperativeLevel(), D3D_OK);
    EXPECT_EQ(device->Present(nullptr, nullptr, nullptr, nullptr), D3D_OK);
}

TEST_F(D3d9Seams, InjectedFailuresHitOnceAndOnlyTheirCall)
{
    automation::injectFailure(automation::Call::CreateDevice, D3DERR_NOTAVAILABLE);
    EXPECT_EQ(createDevice(D3DDEVTYPE_HAL, windowedParameters()), D3DERR_NOTAVAILABLE);
    EXPECT_EQ(device, nullptr);
    ASSERT_EQ(createDevice(D3DDEVTYPE_HAL, windowedParameters()), D3D_OK);

    automation::injectFailure(automation::Call::CreateTexture, D3DERR_OUTOFVIDEOMEMORY);
    IDirect3DVertexBuffer9* vb = nullptr;
    ASSERT_EQ(device->CreateVertexBuffer(16, 0, 0, D3DPOOL_MANAGED, &vb, nullptr), D3D_OK);
    vb->Release();
    IDirect3DTexture9* texture = nullptr;
    EXPECT_EQ(device->CreateTexture(4, 4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture, nullptr),
              D3DERR_OUTOFVIDEOMEMORY);
    EXPECT_EQ(texture, nullptr);
    ASSERT_EQ(device->CreateTexture(4, 4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture, nullptr), D3D_OK);
    texture->Release();
}

TEST_F(D3d9Seams, CapturedPresentMatchesTheBackBuffer)
{
    ASSERT_EQ(createDevice(D3DDEVTYPE_HAL, windowedParameters()), D3D_OK);
    std::vector<uint32_t> pixels;
    int width = 0, height = 0;
    EXPECT_FALSE(automation::lastPresentedFrame(device, &pixels, &width, &height)) << "capture is off by default";
    automation::capturePresentedFrames(device, true);
    const D3DRECT top = {0, 0, kTestSize, 10};
    ASSERT_EQ(device->Clear(0, nullptr, D3DCLEAR_TARGET, D3DCOLOR_XRGB(0, 0, 200), 1.f, 0), D3D_OK);
    ASSERT_EQ(device->Clear(1, &top, D3DCLEAR_TARGET, D3DCOLOR_XRGB(200, 0, 0), 1.f, 0), D3D_OK);
    const std::vector<uint32_t> backBuffer = readBack();
    ASSERT_EQ(device->Present(nullptr, nullptr, nullptr, nullptr), D3D_OK);
    ASSERT_TRUE(automation::lastPresentedFrame(device, &pixels, &width, &height));
    ASSERT_EQ(width, kTestSize);
    ASSERT_EQ(height, kTestSize);
    EXPECT_TRUE(colorNear(pixels[5 * kTestSize + 5], {200, 0, 0}, 0)) << "row 0 is the top";
    EXPECT_TRUE(colorNear(pixels[40 * kTestSize + 5], {0, 0, 200}, 0));
    for (size_t i = 0; i < pixels.size(); i += 97) EXPECT_EQ(pixels[i] & 0xffffff, backBuffer[i] & 0xffffff);
}

// What the window shows after Present is the back buffer of the client's
// size, pixel for pixel and upright, from the window's own context (HAL) as
// from the private one (REF).
TEST_F(D3d9Seams, TheWindowShowsThePresentedBackBufferUpright)
{
    RECT client;
    ASSERT_TRUE(GetClientRect(window, &client));
    const int width = client.right, height = client.bottom;
    ASSERT_GE(width, 32);
    ASSERT_GE(height, 32);
    D3DPRESENT_PARAMETERS parameters = windowedParameters();
    parameters.BackBufferWidth = UINT(width);
    parameters.BackBufferHeight = UINT(height);
    q31automation::setEnabled(true);
    for (const D3DDEVTYPE type : {D3DDEVTYPE_HAL, D3DDEVTYPE_REF}) {
        SCOPED_TRACE(type == D3DDEVTYPE_HAL ? "HAL" : "REF");
        ASSERT_EQ(createDevice(type, parameters), D3D_OK);
        ASSERT_EQ(device->Clear(0, nullptr, D3DCLEAR_TARGET, D3DCOLOR_XRGB(0, 0, 200), 1.f, 0), D3D_OK);
        // Red from the top-left corner to the diagonal; over it a green wedge,
        // eight rows high at the left edge.
        const float w = float(width) - 0.5f, h = float(height) - 0.5f;
        const RhwColorVertex v[6] = {{-0.5f, -0.5f, 0.5f, 1, 0xffc00000}, {w, -0.5f, 0.5f, 1, 0xffc00000},
                                     {-0.5f, h, 0.5f, 1, 0xffc00000},     {-0.5f, -0.5f, 0.5f, 1, 0xff00a000},
                                     {w, -0.5f, 0.5f, 1, 0xff00a000},     {-0.5f, 7.5f, 0.5f, 1, 0xff00a000}};
        drawRhw(D3DPT_TRIANGLELIST, 2, v, sizeof v[0], kRhwColorFvf);
        ASSERT_EQ(device->Present(nullptr, nullptr, nullptr, nullptr), D3D_OK);
        std::vector<uint32_t> shown;
        int shownWidth = 0, shownHeight = 0;
        ASSERT_TRUE(q31automation::readFrame(window, &shown, &shownWidth, &shownHeight));
        ASSERT_EQ(shownWidth, width);
        ASSERT_EQ(shownHeight, height);
        q31test::writePng(type == D3DDEVTYPE_HAL ? "d3d9_window_hal.png" : "d3d9_window_ref.png", shown, width,
                          height);
        auto at = [&](int x, int y) { return shown[size_t(y) * size_t(width) + size_t(x)]; };
        // Exact colours up to the edges' neighbours: a plain copy, no filtering.
        EXPECT_TRUE(colorNear(at(0, 0), {0, 0xa0, 0}, 0)) << "the top row is green";
        EXPECT_TRUE(colorNear(at(width / 2, 0), {0, 0xa0, 0}, 0));
        EXPECT_TRUE(colorNear(at(0, 7), {0, 0xa0, 0}, 0));
        EXPECT_TRUE(colorNear(at(0, 8), {0xc0, 0, 0}, 0)) << "the left is red";
        EXPECT_TRUE(colorNear(at(0, height - 3), {0xc0, 0, 0}, 0));
        EXPECT_TRUE(colorNear(at(width - 1, height - 1), {0, 0, 200}, 0)) << "the bottom right is the clear colour";
        EXPECT_TRUE(colorNear(at(width - 1, 10), {0, 0, 200}, 0));
        device->Release();
        device = nullptr;
    }
    q31automation::setEnabled(false);
}

// A frame of the client's size in the window's pixel format, with no more
// depth than the window has and no contents kept past Present, is drawn
// straight into the window; any other goes offscreen. Both show the same.
TEST_F(D3d9Seams, OnlyBackBuffersNothingCouldTellApartAreDrawnIntoTheWindow)
{
    struct Case {
        const char* name;
        UINT divisor;  // of the client's size
        D3DFORMAT format, depth;
        D3DSWAPEFFECT swap;
        bool direct;
    };
    RECT client;
    ASSERT_TRUE(GetClientRect(window, &client));
    const UINT width = UINT(client.right), height = UINT(client.bottom);
    const Case cases[] = {
        {"client size, D24S8", 1, D3DFMT_X8R8G8B8, D3DFMT_D24S8, D3DSWAPEFFECT_DISCARD, true},
        {"client size, D16", 1, D3DFMT_X8R8G8B8, D3DFMT_D16, D3DSWAPEFFECT_DISCARD, true},
        {"half size", 2, D3DFMT_X8R8G8B8, D3DFMT_D24S8, D3DSWAPEFFECT_DISCARD, false},
        {"alpha channel", 1, D3DFMT_A8R8G8B8, D3DFMT_D24S8, D3DSWAPEFFECT_DISCARD, false},
        {"kept contents", 1, D3DFMT_X8R8G8B8, D3DFMT_D24S8, D3DSWAPEFFECT_COPY, false},
    };
    q31automation::setEnabled(true);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        D3DPRESENT_PARAMETERS parameters = windowedParameters();
        parameters.BackBufferWidth = width / c.divisor;
        parameters.BackBufferHeight = height / c.divisor;
        parameters.BackBufferFormat = c.format;
        parameters.AutoDepthStencilFormat = c.depth;
        parameters.SwapEffect = c.swap;
        ASSERT_EQ(createDevice(D3DDEVTYPE_HAL, parameters), D3D_OK);
        ASSERT_EQ(device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, D3DCOLOR_XRGB(0, 0, 200), 1.f, 0),
                  D3D_OK);
        EXPECT_EQ(automation::drawsIntoWindow(device), c.direct);
        ASSERT_EQ(device->Present(nullptr, nullptr, nullptr, nullptr), D3D_OK);
        std::vector<uint32_t> shown;
        int shownWidth = 0, shownHeight = 0;
        ASSERT_TRUE(q31automation::readFrame(window, &shown, &shownWidth, &shownHeight));
        ASSERT_EQ(UINT(shownWidth), width);
        EXPECT_TRUE(colorNear(shown[0], {0, 0, 200}, 0));
        EXPECT_TRUE(colorNear(shown.back(), {0, 0, 200}, 0));
        device->Release();
        device = nullptr;
    }
    q31automation::setEnabled(false);
}

// In the window the depth test works as offscreen, D16 included (the window's
// buffer is deeper); a format without stencil keeps the stencil test off
// although the window has a stencil buffer; GetRenderTargetData reads what
// the window shows.
TEST_F(D3d9Seams, AFrameDrawnIntoTheWindowKeepsDepthStencilAndReadBack)
{
    RECT client;
    ASSERT_TRUE(GetClientRect(window, &client));
    const int width = client.right, height = client.bottom;
    q31automation::setEnabled(true);
    for (const D3DFORMAT depth : {D3DFMT_D24S8, D3DFMT_D16, D3DFMT_D24X8}) {
        SCOPED_TRACE(depth == D3DFMT_D16 ? "D16" : depth == D3DFMT_D24X8 ? "D24X8" : "D24S8");
        D3DPRESENT_PARAMETERS parameters = windowedParameters();
        parameters.BackBufferWidth = UINT(width);
        parameters.BackBufferHeight = UINT(height);
        parameters.AutoDepthStencilFormat = depth;
        ASSERT_EQ(createDevice(D3DDEVTYPE_HAL, parameters), D3D_OK);
        ASSERT_EQ(device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, D3DCOLOR_XRGB(0, 0, 200), 1.f, 0),
                  D3D_OK);
        ASSERT_TRUE(automation::drawsIntoWindow(device));
        // Near red over the top-left half, then far green over everything.
        const float w = float(width) - 0.5f, h = float(height) - 0.5f;
        const RhwColorVertex nearTriangle[3] = {
            {-0.5f, -0.5f, 0.2f, 1, 0xffc00000}, {w, -0.5f, 0.2f, 1, 0xffc00000}, {-0.5f, h, 0.2f, 1, 0xffc00000}};
        const RhwColorVertex farQuad[6] = {{-0.5f, -0.5f, 0.8f, 1, 0xff00a000}, {w, -0.5f, 0.8f, 1, 0xff00a000},
                                           {-0.5f, h, 0.8f, 1, 0xff00a000},     {w, -0.5f, 0.8f, 1, 0xff00a000},
                                           {w, h, 0.8f, 1, 0xff00a000},         {-0.5f, h, 0.8f, 1, 0xff00a000}};
        drawRhw(D3DPT_TRIANGLELIST, 1, nearTriangle, sizeof nearTriangle[0], kRhwColorFvf);
        if (depth == D3DFMT_D24X8) {
            // A stencil test that would pass nothing, were there a stencil.
            device->SetRenderState(D3DRS_STENCILENABLE, TRUE);
            device->SetRenderState(D3DRS_STENCILFUNC, D3DCMP_NEVER);
        }
        drawRhw(D3DPT_TRIANGLELIST, 2, farQuad, sizeof farQuad[0], kRhwColorFvf);
        const std::vector<uint32_t> backBuffer = readBack(width, height);
        ASSERT_EQ(device->Present(nullptr, nullptr, nullptr, nullptr), D3D_OK);
        std::vector<uint32_t> shown;
        int shownWidth = 0, shownHeight = 0;
        ASSERT_TRUE(q31automation::readFrame(window, &shown, &shownWidth, &shownHeight));
        ASSERT_EQ(shown.size(), backBuffer.size());
        EXPECT_TRUE(colorNear(shown[size_t(2) * size_t(width) + 2], {0xc0, 0, 0}, 0)) << "the near triangle stays";
        EXPECT_TRUE(colorNear(shown.back(), {0, 0xa0, 0}, 0)) << "the far quad fills the rest";
        int differing = 0;
        for (size_t i = 0; i < shown.size(); ++i) differing += (shown[i] & 0xffffff) != (backBuffer[i] & 0xffffff);
        EXPECT_EQ(differing, 0);
        device->Release();
        device = nullptr;
    }
    q31automation::setEnabled(false);
}

// No software device is registered, so SW is not offered (Wine's runtime
// offers one anyway).
TEST_F(D3d9Seams, SoftwareDeviceTypeIsNotOffered)
{
    D3DCAPS9 caps;
    EXPECT_EQ(d3d->GetDeviceCaps(0, D3DDEVTYPE_SW, &caps), D3DERR_INVALIDCALL);
    EXPECT_EQ(d3d->CheckDeviceType(0, D3DDEVTYPE_SW, D3DFMT_X8R8G8B8, D3DFMT_X8R8G8B8, TRUE), D3DERR_NOTAVAILABLE);
    EXPECT_EQ(createDevice(D3DDEVTYPE_SW, windowedParameters()), D3DERR_INVALIDCALL);
}

TEST_F(D3d9Seams, ReferenceDeviceRendersInSoftwareLikeTheHal)
{
    D3DCAPS9 caps;
    ASSERT_EQ(d3d->GetDeviceCaps(0, D3DDEVTYPE_REF, &caps), D3D_OK);
    EXPECT_EQ(caps.DeviceType, D3DDEVTYPE_REF);
    ASSERT_EQ(createDevice(D3DDEVTYPE_REF, windowedParameters()), D3D_OK);
    D3DDEVICE_CREATION_PARAMETERS created;
    ASSERT_EQ(device->GetCreationParameters(&created), D3D_OK);
    EXPECT_EQ(created.DeviceType, D3DDEVTYPE_REF);
    ASSERT_EQ(device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, D3DCOLOR_XRGB(0, 0, 0), 1.f, 0), D3D_OK);
    const RhwColorVertex v[3] = {{4, 4, 0.5f, 1, 0xff20c040}, {60, 4, 0.5f, 1, 0xff20c040}, {4, 60, 0.5f, 1, 0xff20c040}};
    drawRhw(D3DPT_TRIANGLELIST, 1, v, sizeof v[0], kRhwColorFvf);
    const std::vector<uint32_t> frame = readBack();
    saveFrame(frame, "reference");
    EXPECT_TRUE(colorNear(pixelAt(frame, 10, 10), {0x20, 0xc0, 0x40}, 0));
    EXPECT_TRUE(colorNear(pixelAt(frame, 55, 55), {0, 0, 0}, 0));
    EXPECT_EQ(device->Present(nullptr, nullptr, nullptr, nullptr), D3D_OK);
}

TEST_F(D3d9Seams, FullScreenResetSwitchesTheSdlWindow)
{
    ASSERT_EQ(createDevice(D3DDEVTYPE_HAL, windowedParameters()), D3D_OK);
    D3DDISPLAYMODE desktop;
    ASSERT_EQ(d3d->GetAdapterDisplayMode(0, &desktop), D3D_OK);
    D3DPRESENT_PARAMETERS pp = windowedParameters();
    pp.Windowed = FALSE;
    pp.BackBufferWidth = desktop.Width;
    pp.BackBufferHeight = desktop.Height;
    ASSERT_EQ(device->Reset(&pp), D3D_OK);
    SDL_Window* sdl = platform::sdlWindowOf(window);
    ASSERT_NE(sdl, nullptr);
    EXPECT_TRUE(SDL_GetWindowFlags(sdl) & SDL_WINDOW_FULLSCREEN);
    pp = windowedParameters();
    ASSERT_EQ(device->Reset(&pp), D3D_OK);
    EXPECT_FALSE(SDL_GetWindowFlags(sdl) & SDL_WINDOW_FULLSCREEN);
}

// Direct3D 9's documentation lists state blocks among what Reset needs
// released; Wine's runtime resets anyway, so this check is ours only.
TEST_F(D3d9Seams, ResetIsRefusedWhileAStateBlockLives)
{
    ASSERT_EQ(createDevice(D3DDEVTYPE_HAL, windowedParameters()), D3D_OK);
    ASSERT_EQ(device->BeginStateBlock(), D3D_OK);
    ASSERT_EQ(device->SetRenderState(D3DRS_LIGHTING, FALSE), D3D_OK);
    IDirect3DStateBlock9* block = nullptr;
    ASSERT_EQ(device->EndStateBlock(&block), D3D_OK);
    D3DPRESENT_PARAMETERS pp = windowedParameters();
    EXPECT_EQ(device->Reset(&pp), D3DERR_INVALIDCALL);
    EXPECT_EQ(block->Release(), 0u);
    pp = windowedParameters();
    EXPECT_EQ(device->Reset(&pp), D3D_OK);
}

// Null pointers crash Wine's runtime; ours answers them with D3DERR_INVALIDCALL.
TEST_F(D3d9Seams, NullPointersGetInvalidCall)
{
    ASSERT_EQ(createDevice(D3DDEVTYPE_HAL, windowedParameters()), D3D_OK);
    EXPECT_EQ(device->CreateVertexBuffer(16, 0, 0, D3DPOOL_MANAGED, nullptr, nullptr), D3DERR_INVALIDCALL);
    EXPECT_EQ(device->CreateTexture(4, 4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, nullptr, nullptr),
              D3DERR_INVALIDCALL);
    EXPECT_EQ(device->EndStateBlock(nullptr), D3DERR_INVALIDCALL);
    EXPECT_EQ(device->SetTransform(D3DTS_VIEW, nullptr), D3DERR_INVALIDCALL);
    EXPECT_EQ(device->SetMaterial(nullptr), D3DERR_INVALIDCALL);
    EXPECT_EQ(device->Clear(1, nullptr, D3DCLEAR_TARGET, 0, 1.f, 0), D3DERR_INVALIDCALL);
    EXPECT_EQ(device->Reset(nullptr), D3DERR_INVALIDCALL);
    EXPECT_EQ(device->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, nullptr), D3DERR_INVALIDCALL);
    EXPECT_EQ(device->SetRenderState(D3DRENDERSTATETYPE(4000), 0), D3DERR_INVALIDCALL);
    EXPECT_EQ(d3d->GetAdapterIdentifier(0, 0, nullptr), D3DERR_INVALIDCALL);
    EXPECT_EQ(d3d->GetDeviceCaps(0, D3DDEVTYPE_HAL, nullptr), D3DERR_INVALIDCALL);
    EXPECT_EQ(d3d->CreateDevice(0, D3DDEVTYPE_HAL, window, D3DCREATE_HARDWARE_VERTEXPROCESSING, nullptr, nullptr),
              D3DERR_INVALIDCALL);
}

// Wine accepts these locks (it clamps the range and ignores a stray
// Unlock); ours follows the documented D3DERR_INVALIDCALL.
TEST_F(D3d9Seams, BufferLocksOutsideTheBufferAreRefused)
{
    ASSERT_EQ(createDevice(D3DDEVTYPE_HAL, windowedParameters()), D3D_OK);
    IDirect3DVertexBuffer9* vb = nullptr;
    EXPECT_EQ(device->CreateVertexBuffer(0, 0, 0, D3DPOOL_MANAGED, &vb, nullptr), D3DERR_INVALIDCALL);
    ASSERT_EQ(device->CreateVertexBuffer(16, 0, 0, D3DPOOL_MANAGED, &vb, nullptr), D3D_OK);
    void* data = nullptr;
    EXPECT_EQ(vb->Lock(8, 16, &data, 0), D3DERR_INVALIDCALL);
    EXPECT_EQ(vb->Unlock(), D3DERR_INVALIDCALL);
    EXPECT_EQ(vb->Lock(8, 8, &data, 0), D3D_OK);
    EXPECT_EQ(vb->Unlock(), D3D_OK);
    vb->Release();
}

}  // namespace
