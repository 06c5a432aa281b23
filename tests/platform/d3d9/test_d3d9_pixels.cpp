// Rendered pixels against Direct3D 9's published behaviour: clears, the
// fixed-function lighting equation worked by hand, texture stages, alpha
// test and blending, depth, culling by screen-space winding, and pixel
// centres on integer coordinates.
#include "tests/platform/d3d9/d3d9_fixture.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

constexpr int kTolerance = 2;  // of 255, per channel

class D3d9Pixels : public D3d9Device {
protected:
    void SetUp() override
    {
        D3d9Device::SetUp();
        ASSERT_EQ(createDevice(D3DDEVTYPE_HAL, windowedParameters()), D3D_OK);
    }
    void clear(D3DCOLOR color) { ASSERT_EQ(device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, color, 1.f, 0), D3D_OK); }
    // A quad covering pixels x0..x1-1, y0..y1-1 (edges half a pixel off the centres).
    void quad(float x0, float y0, float x1, float y1, float z, D3DCOLOR color)
    {
        const RhwColorVertex v[4] = {{x0 - 0.5f, y0 - 0.5f, z, 1.f, color},
                                     {x1 - 0.5f, y0 - 0.5f, z, 1.f, color},
                                     {x0 - 0.5f, y1 - 0.5f, z, 1.f, color},
                                     {x1 - 0.5f, y1 - 0.5f, z, 1.f, color}};
        drawRhw(D3DPT_TRIANGLESTRIP, 2, v, sizeof v[0], kRhwColorFvf);
    }
    IDirect3DTexture9* makeTexture(UINT size, UINT levels, uint32_t (*texel)(UINT level, UINT x, UINT y))
    {
        IDirect3DTexture9* texture = nullptr;
        EXPECT_EQ(device->CreateTexture(size, size, levels, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture, nullptr),
                  D3D_OK);
        if (!texture) return nullptr;
        for (UINT level = 0; level < texture->GetLevelCount(); ++level) {
            D3DLOCKED_RECT locked;
            EXPECT_EQ(texture->LockRect(level, &locked, nullptr, 0), D3D_OK);
            const UINT n = std::max(1u, size >> level);
            for (UINT y = 0; y < n; ++y)
                for (UINT x = 0; x < n; ++x)
                    reinterpret_cast<uint32_t*>(static_cast<char*>(locked.pBits) + y * locked.Pitch)[x] =
                        texel(level, x, y);
            EXPECT_EQ(texture->UnlockRect(level), D3D_OK);
        }
        return texture;
    }
};

TEST_F(D3d9Pixels, ClearFillsTheBackBufferWithTheColour)
{
    clear(D3DCOLOR_XRGB(12, 200, 97));
    const std::vector<uint32_t> frame = readBack();
    ASSERT_EQ(frame.size(), size_t(kTestSize * kTestSize));
    saveFrame(frame, "clear");
    for (int y = 0; y < kTestSize; y += 9)
        for (int x = 0; x < kTestSize; x += 9) EXPECT_TRUE(colorNear(pixelAt(frame, x, y), {12, 200, 97}, 0));
}

TEST_F(D3d9Pixels, ClearStaysInsideTheViewport)
{
    clear(D3DCOLOR_XRGB(0, 0, 0));
    const D3DVIEWPORT9 viewport = {16, 8, 20, 30, 0.f, 1.f};
    ASSERT_EQ(device->SetViewport(&viewport), D3D_OK);
    ASSERT_EQ(device->Clear(0, nullptr, D3DCLEAR_TARGET, D3DCOLOR_XRGB(255, 255, 255), 1.f, 0), D3D_OK);
    const std::vector<uint32_t> frame = readBack();
    EXPECT_TRUE(colorNear(pixelAt(frame, 16, 8), {255, 255, 255}, 0));
    EXPECT_TRUE(colorNear(pixelAt(frame, 35, 37), {255, 255, 255}, 0));
    EXPECT_TRUE(colorNear(pixelAt(frame, 15, 8), {0, 0, 0}, 0));
    EXPECT_TRUE(colorNear(pixelAt(frame, 36, 37), {0, 0, 0}, 0));
    EXPECT_TRUE(colorNear(pixelAt(frame, 20, 38), {0, 0, 0}, 0));
}

// ---- lighting ----

struct LitVertex {
    float x, y, z;
    float nx, ny, nz;
};

class D3d9Lighting : public D3d9Pixels {
protected:
    // Identity transforms: camera space is clip space, so the vertices sit
    // where they are drawn. The centroid lands on pixel (32, 35).
    void drawLitTriangle()
    {
        const LitVertex v[3] = {{-0.8f, -0.6f, 0.5f, 0, 0, -1}, {0.f, 0.91875f, 0.5f, 0, 0, -1},
                                {0.8f, -0.6f, 0.5f, 0, 0, -1}};
        ASSERT_EQ(device->SetFVF(D3DFVF_XYZ | D3DFVF_NORMAL), D3D_OK);
        ASSERT_EQ(device->BeginScene(), D3D_OK);
        EXPECT_EQ(device->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 1, v, sizeof v[0]), D3D_OK);
        ASSERT_EQ(device->EndScene(), D3D_OK);
    }
    void setScene()
    {
        D3DMATERIAL9 material = {};
        material.Diffuse = {0.5f, 0.6f, 0.7f, 1.f};
        material.Ambient = {0.2f, 0.3f, 0.4f, 1.f};
        material.Emissive = {0.05f, 0.f, 0.f, 0.f};
        material.Specular = {1.f, 1.f, 1.f, 1.f};
        material.Power = 4.f;
        ASSERT_EQ(device->SetMaterial(&material), D3D_OK);
        D3DLIGHT9 light = {};
        light.Type = D3DLIGHT_DIRECTIONAL;
        light.Diffuse = {1.f, 0.8f, 0.6f, 1.f};
        light.Ambient = {0.1f, 0.2f, 0.1f, 1.f};
        light.Specular = {0.5f, 0.5f, 0.5f, 1.f};
        light.Direction = {0.8f, 0.f, 0.6f};  // L = (-0.8, 0, -0.6), N.L = 0.6
        ASSERT_EQ(device->SetLight(0, &light), D3D_OK);
        ASSERT_EQ(device->LightEnable(0, TRUE), D3D_OK);
        ASSERT_EQ(device->SetRenderState(D3DRS_AMBIENT, D3DCOLOR_XRGB(64, 64, 64)), D3D_OK);
        ASSERT_EQ(device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE), D3D_OK);
    }
};

TEST_F(D3d9Lighting, DiffuseAndAmbientFollowTheEquation)
{
    clear(0);
    setScene();
    drawLitTriangle();
    const std::vector<uint32_t> frame = readBack();
    saveFrame(frame, "lit_diffuse");
    // Ce + Ca*(Ga + La) + Cd*Ld*(N.L), Ga = 64/255 = 0.25098:
    //   r = 0.05 + 0.2*(0.25098+0.1) + 0.5*1.0*0.6 = 0.42020 -> 107.1
    //   g = 0    + 0.3*(0.25098+0.2) + 0.6*0.8*0.6 = 0.42329 -> 107.9
    //   b = 0    + 0.4*(0.25098+0.1) + 0.7*0.6*0.6 = 0.39239 -> 100.1
    EXPECT_TRUE(colorNear(pixelAt(frame, 32, 35), {107, 108, 100}, kTolerance));
    EXPECT_TRUE(colorNear(pixelAt(frame, 2, 2), {0, 0, 0}, 0));
}

TEST_F(D3d9Lighting, SpecularWithTheInfiniteViewerHalfVector)
{
    clear(0);
    setScene();
    ASSERT_EQ(device->SetRenderState(D3DRS_SPECULARENABLE, TRUE), D3D_OK);
    ASSERT_EQ(device->SetRenderState(D3DRS_LOCALVIEWER, FALSE), D3D_OK);
    drawLitTriangle();
    const std::vector<uint32_t> frame = readBack();
    saveFrame(frame, "lit_highlight");
    // H = normalize(L + (0,0,-1)) = (-0.4472, 0, -0.8944); (N.H)^4 = 0.64;
    // Cs*Ls*0.64 = 0.32 added to the diffuse result above:
    //   r = 0.74020 -> 188.8, g = 0.74329 -> 189.5, b = 0.71239 -> 181.7
    EXPECT_TRUE(colorNear(pixelAt(frame, 32, 35), {189, 190, 182}, kTolerance));
}

TEST_F(D3d9Lighting, SpecularWithTheLocalViewerIsComputedPerVertex)
{
    clear(0);
    setScene();
    ASSERT_EQ(device->SetRenderState(D3DRS_SPECULARENABLE, TRUE), D3D_OK);
    drawLitTriangle();
    const std::vector<uint32_t> frame = readBack();
    // Per vertex, H = normalize(L - normalize(P)), P the camera-space position;
    // at the centroid the three vertex results are averaged.
    const float vertices[3][3] = {{-0.8f, -0.6f, 0.5f}, {0.f, 0.91875f, 0.5f}, {0.8f, -0.6f, 0.5f}};
    double specular = 0;
    for (const auto& p : vertices) {
        const double length = std::sqrt(p[0] * p[0] + p[1] * p[1] + p[2] * p[2]);
        double h[3] = {-0.8 - p[0] / length, 0.0 - p[1] / length, -0.6 - p[2] / length};
        const double hl = std::sqrt(h[0] * h[0] + h[1] * h[1] + h[2] * h[2]);
        const double nh = -h[2] / hl;
        specular += 0.5 * std::pow(nh, 4.0) / 3.0;
    }
    const Rgb expected = {int(std::lround((0.42020 + specular) * 255)), int(std::lround((0.42329 + specular) * 255)),
                          int(std::lround((0.39239 + specular) * 255))};
    EXPECT_TRUE(colorNear(pixelAt(frame, 32, 35), expected, kTolerance));
}

// ---- texture stages, alpha, depth, culling ----

uint32_t quadrantTexel(UINT, UINT x, UINT y)
{
    static const uint32_t colours[4] = {0xffff0000, 0xff00ff00, 0xff0000ff, 0xffffffff};
    return colours[y * 2 + x];
}

TEST_F(D3d9Pixels, ModulateMultipliesTheTextureByTheDiffuseColour)
{
    clear(0);
    IDirect3DTexture9* texture = makeTexture(2, 1, quadrantTexel);
    ASSERT_NE(texture, nullptr);
    ASSERT_EQ(device->SetTexture(0, texture), D3D_OK);
    const D3DCOLOR grey = D3DCOLOR_ARGB(255, 128, 64, 255);
    const RhwTexVertex v[4] = {{-0.5f, -0.5f, 0.5f, 1.f, grey, 0, 0},
                               {63.5f, -0.5f, 0.5f, 1.f, grey, 1, 0},
                               {-0.5f, 63.5f, 0.5f, 1.f, grey, 0, 1},
                               {63.5f, 63.5f, 0.5f, 1.f, grey, 1, 1}};
    drawRhw(D3DPT_TRIANGLESTRIP, 2, v, sizeof v[0], kRhwTexFvf);
    const std::vector<uint32_t> frame = readBack();
    saveFrame(frame, "modulate");
    EXPECT_TRUE(colorNear(pixelAt(frame, 10, 10), {128, 0, 0}, kTolerance));
    EXPECT_TRUE(colorNear(pixelAt(frame, 50, 10), {0, 64, 0}, kTolerance));
    EXPECT_TRUE(colorNear(pixelAt(frame, 10, 50), {0, 0, 255}, kTolerance));
    EXPECT_TRUE(colorNear(pixelAt(frame, 50, 50), {128, 64, 255}, kTolerance));
    ASSERT_EQ(device->SetTexture(0, nullptr), D3D_OK);
    texture->Release();
}

TEST_F(D3d9Pixels, UnboundStageTextureLeavesTheDiffuseColour)
{
    clear(0);
    quad(0, 0, 64, 64, 0.5f, D3DCOLOR_XRGB(40, 80, 120));
    EXPECT_TRUE(colorNear(pixelAt(readBack(), 30, 30), {40, 80, 120}, kTolerance));
}

TEST_F(D3d9Pixels, AlphaTestAtRefEightThenSourceAlphaBlending)
{
    clear(D3DCOLOR_XRGB(0, 0, 255));
    ASSERT_EQ(device->SetRenderState(D3DRS_ALPHATESTENABLE, TRUE), D3D_OK);
    ASSERT_EQ(device->SetRenderState(D3DRS_ALPHAREF, 8), D3D_OK);
    ASSERT_EQ(device->SetRenderState(D3DRS_ALPHAFUNC, D3DCMP_GREATEREQUAL), D3D_OK);
    ASSERT_EQ(device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE), D3D_OK);
    ASSERT_EQ(device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA), D3D_OK);
    ASSERT_EQ(device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA), D3D_OK);
    quad(0, 0, 21, 64, 0.5f, D3DCOLOR_ARGB(7, 255, 0, 0));
    quad(21, 0, 42, 64, 0.5f, D3DCOLOR_ARGB(8, 255, 0, 0));
    quad(42, 0, 64, 64, 0.5f, D3DCOLOR_ARGB(128, 255, 0, 0));
    const std::vector<uint32_t> frame = readBack();
    saveFrame(frame, "alpha");
    EXPECT_TRUE(colorNear(pixelAt(frame, 10, 30), {0, 0, 255}, 0));    // 7 < 8: discarded
    EXPECT_TRUE(colorNear(pixelAt(frame, 30, 30), {8, 0, 247}, kTolerance));  // 255*8/255, 255*247/255
    EXPECT_TRUE(colorNear(pixelAt(frame, 53, 30), {128, 0, 127}, kTolerance));
}

TEST_F(D3d9Pixels, DepthTestKeepsTheNearestSurface)
{
    clear(0);
    quad(0, 0, 32, 64, 0.3f, D3DCOLOR_XRGB(255, 0, 0));
    quad(0, 0, 64, 64, 0.7f, D3DCOLOR_XRGB(0, 255, 0));
    quad(0, 32, 64, 64, 0.5f, D3DCOLOR_XRGB(0, 0, 255));
    const std::vector<uint32_t> frame = readBack();
    saveFrame(frame, "depth");
    EXPECT_TRUE(colorNear(pixelAt(frame, 10, 10), {255, 0, 0}, 0));
    EXPECT_TRUE(colorNear(pixelAt(frame, 10, 50), {255, 0, 0}, 0));
    EXPECT_TRUE(colorNear(pixelAt(frame, 50, 10), {0, 255, 0}, 0));
    EXPECT_TRUE(colorNear(pixelAt(frame, 50, 50), {0, 0, 255}, 0));
}

TEST_F(D3d9Pixels, CullingFollowsScreenSpaceWinding)
{
    // Left: clockwise on screen (y down); right: counter-clockwise.
    const RhwColorVertex clockwise[3] = {{4, 4, 0.5f, 1, 0xffff0000}, {28, 4, 0.5f, 1, 0xffff0000},
                                         {4, 28, 0.5f, 1, 0xffff0000}};
    const RhwColorVertex counterClockwise[3] = {{36, 4, 0.5f, 1, 0xff00ff00}, {36, 28, 0.5f, 1, 0xff00ff00},
                                                {60, 4, 0.5f, 1, 0xff00ff00}};
    struct Case {
        DWORD cull;
        bool clockwiseShown, counterShown;
    };
    for (const Case& c : {Case{D3DCULL_CCW, true, false}, Case{D3DCULL_CW, false, true}, Case{D3DCULL_NONE, true, true}}) {
        clear(0);
        ASSERT_EQ(device->SetRenderState(D3DRS_CULLMODE, c.cull), D3D_OK);
        drawRhw(D3DPT_TRIANGLELIST, 1, clockwise, sizeof clockwise[0], kRhwColorFvf);
        drawRhw(D3DPT_TRIANGLELIST, 1, counterClockwise, sizeof counterClockwise[0], kRhwColorFvf);
        const std::vector<uint32_t> frame = readBack();
        if (c.cull == D3DCULL_CCW) saveFrame(frame, "cull_ccw");
        EXPECT_TRUE(colorNear(pixelAt(frame, 11, 11), c.clockwiseShown ? Rgb{255, 0, 0} : Rgb{0, 0, 0}, 0)) << c.cull;
        EXPECT_TRUE(colorNear(pixelAt(frame, 43, 11), c.counterShown ? Rgb{0, 255, 0} : Rgb{0, 0, 0}, 0)) << c.cull;
    }
}

uint32_t gradientTexel(UINT, UINT x, UINT y) { return D3DCOLOR_XRGB(x * 4, y * 4, (x * 7 + y * 3) & 0xff); }

TEST_F(D3d9Pixels, ScreenSpaceQuadAtHalfPixelOffsetMapsTexelsOneToOne)
{
    clear(0);
    IDirect3DTexture9* texture = makeTexture(kTestSize, 1, gradientTexel);
    ASSERT_NE(texture, nullptr);
    ASSERT_EQ(device->SetTexture(0, texture), D3D_OK);
    ASSERT_EQ(device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1), D3D_OK);
    const float e = kTestSize - 0.5f;
    const RhwTexVertex v[4] = {{-0.5f, -0.5f, 0.5f, 1.f, 0xffffffff, 0, 0},
                               {e, -0.5f, 0.5f, 1.f, 0xffffffff, 1, 0},
                               {-0.5f, e, 0.5f, 1.f, 0xffffffff, 0, 1},
                               {e, e, 0.5f, 1.f, 0xffffffff, 1, 1}};
    drawRhw(D3DPT_TRIANGLESTRIP, 2, v, sizeof v[0], kRhwTexFvf);
    const std::vector<uint32_t> frame = readBack();
    saveFrame(frame, "texel_mapping");
    int wrong = 0;
    for (UINT y = 0; y < UINT(kTestSize); ++y)
        for (UINT x = 0; x < UINT(kTestSize); ++x)
            if ((pixelAt(frame, int(x), int(y)) & 0xffffff) != (gradientTexel(0, x, y) & 0xffffff)) ++wrong;
    EXPECT_EQ(wrong, 0) << "pixels not equal to their texel";
    ASSERT_EQ(device->SetTexture(0, nullptr), D3D_OK);
    texture->Release();
}

uint32_t levelTexel(UINT level, UINT, UINT) { return level == 0 ? 0xffff0000 : 0xff00ff00; }

TEST_F(D3d9Pixels, MipFilterSelectsLevelsOnlyWhenSet)
{
    IDirect3DTexture9* texture = makeTexture(64, 2, levelTexel);
    ASSERT_NE(texture, nullptr);
    ASSERT_EQ(texture->GetLevelCount(), 2u);
    ASSERT_EQ(device->SetTexture(0, texture), D3D_OK);
    // The 64-texel texture over 32 pixels: level 1 when mip levels are used.
    const RhwTexVertex v[4] = {{-0.5f, -0.5f, 0.5f, 1.f, 0xffffffff, 0, 0},
                               {31.5f, -0.5f, 0.5f, 1.f, 0xffffffff, 1, 0},
                               {-0.5f, 31.5f, 0.5f, 1.f, 0xffffffff, 0, 1},
                               {31.5f, 31.5f, 0.5f, 1.f, 0xffffffff, 1, 1}};
    for (DWORD mip : {DWORD(D3DTEXF_NONE), DWORD(D3DTEXF_POINT), DWORD(D3DTEXF_LINEAR)}) {
        clear(0);
        ASSERT_EQ(device->SetSamplerState(0, D3DSAMP_MIPFILTER, mip), D3D_OK);
        ASSERT_EQ(device->SetSamplerState(0, D3DSAMP_MINFILTER, D3DTEXF_LINEAR), D3D_OK);
        drawRhw(D3DPT_TRIANGLESTRIP, 2, v, sizeof v[0], kRhwTexFvf);
        EXPECT_TRUE(colorNear(pixelAt(readBack(), 16, 16), mip == D3DTEXF_NONE ? Rgb{255, 0, 0} : Rgb{0, 255, 0}, 8))
            << "mip filter " << mip;
    }
    ASSERT_EQ(device->SetTexture(0, nullptr), D3D_OK);
    texture->Release();
}

TEST_F(D3d9Pixels, TransformsPlaceIndexedGeometryFromBuffers)
{
    clear(0);
    struct V {
        float x, y, z;
        D3DCOLOR c;
    };
    IDirect3DVertexBuffer9* vb = nullptr;
    IDirect3DIndexBuffer9* ib = nullptr;
    ASSERT_EQ(device->CreateVertexBuffer(4 * sizeof(V), D3DUSAGE_WRITEONLY, D3DFVF_XYZ | D3DFVF_DIFFUSE,
                                         D3DPOOL_MANAGED, &vb, nullptr),
              D3D_OK);
    ASSERT_EQ(device->CreateIndexBuffer(6 * sizeof(WORD), D3DUSAGE_WRITEONLY, D3DFMT_INDEX16, D3DPOOL_MANAGED, &ib,
                                        nullptr),
              D3D_OK);
    void* data = nullptr;
    ASSERT_EQ(vb->Lock(0, 0, &data, 0), D3D_OK);
    const V quadVertices[4] = {{0, 0, 0, 0xffffff00}, {1, 0, 0, 0xffffff00}, {0, -1, 0, 0xffffff00}, {1, -1, 0, 0xffffff00}};
    std::memcpy(data, quadVertices, sizeof quadVertices);
    ASSERT_EQ(vb->Unlock(), D3D_OK);
    ASSERT_EQ(ib->Lock(0, 0, &data, 0), D3D_OK);
    const WORD indices[6] = {0, 1, 2, 2, 1, 3};
    std::memcpy(data, indices, sizeof indices);
    ASSERT_EQ(ib->Unlock(), D3D_OK);
    // The view's translation (fourth row, row vectors) moves the unit quad
    // left and up; the identity projection keeps clip = camera space.
    D3DMATRIX world = {}, view = {};
    world._11 = world._22 = world._33 = world._44 = 1.f;
    view = world;
    view._41 = -1.f;  // translation in the fourth row
    view._42 = 1.f;
    ASSERT_EQ(device->SetTransform(D3DTS_WORLD, &world), D3D_OK);
    ASSERT_EQ(device->SetTransform(D3DTS_VIEW, &view), D3D_OK);
    ASSERT_EQ(device->SetRenderState(D3DRS_LIGHTING, FALSE), D3D_OK);
    ASSERT_EQ(device->SetFVF(D3DFVF_XYZ | D3DFVF_DIFFUSE), D3D_OK);
    ASSERT_EQ(device->SetStreamSource(0, vb, 0, sizeof(V)), D3D_OK);
    ASSERT_EQ(device->SetIndices(ib), D3D_OK);
    ASSERT_EQ(device->BeginScene(), D3D_OK);
    EXPECT_EQ(device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, 4, 0, 2), D3D_OK);
    ASSERT_EQ(device->EndScene(), D3D_OK);
    const std::vector<uint32_t> frame = readBack();
    saveFrame(frame, "indexed");
    // The quad spans NDC x -1..0, y 1..0: the top-left quarter of the screen.
    EXPECT_TRUE(colorNear(pixelAt(frame, 10, 10), {255, 255, 0}, 0));
    EXPECT_TRUE(colorNear(pixelAt(frame, 50, 10), {0, 0, 0}, 0));
    EXPECT_TRUE(colorNear(pixelAt(frame, 10, 50), {0, 0, 0}, 0));
    ASSERT_EQ(device->SetStreamSource(0, nullptr, 0, 0), D3D_OK);
    ASSERT_EQ(device->SetIndices(nullptr), D3D_OK);
    ib->Release();
    vb->Release();
}

// Texture transforms belong to the vertex stage: a 2D set is (u, v, 1, 0), so
// the matrix's third row translates it; PROJECTED divides by the last output.
TEST_F(D3d9Pixels, TextureTransformsShiftAndProjectTheCoordinates)
{
    struct V {
        float x, y, z, u, v;
    };
    const V quadVertices[4] = {{-1, 1, 0.5f, 0, 0}, {1, 1, 0.5f, 1, 0}, {-1, -1, 0.5f, 0, 1}, {1, -1, 0.5f, 1, 1}};
    IDirect3DTexture9* texture = makeTexture(2, 1, quadrantTexel);
    ASSERT_NE(texture, nullptr);
    ASSERT_EQ(device->SetTexture(0, texture), D3D_OK);
    ASSERT_EQ(device->SetRenderState(D3DRS_LIGHTING, FALSE), D3D_OK);
    ASSERT_EQ(device->SetFVF(D3DFVF_XYZ | D3DFVF_TEX1), D3D_OK);
    auto drawWith = [&](const D3DMATRIX& matrix, DWORD flags) {
        clear(0);
        EXPECT_EQ(device->SetTransform(D3DTS_TEXTURE0, &matrix), D3D_OK);
        EXPECT_EQ(device->SetTextureStageState(0, D3DTSS_TEXTURETRANSFORMFLAGS, flags), D3D_OK);
        EXPECT_EQ(device->BeginScene(), D3D_OK);
        EXPECT_EQ(device->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, quadVertices, sizeof quadVertices[0]), D3D_OK);
        EXPECT_EQ(device->EndScene(), D3D_OK);
        return readBack();
    };
    D3DMATRIX matrix = {};
    matrix._11 = matrix._22 = matrix._33 = matrix._44 = 1.f;

    matrix._31 = 0.5f;  // u + 0.5, wrapping
    const std::vector<uint32_t> shifted = drawWith(matrix, D3DTTFF_COUNT2);
    saveFrame(shifted, "texture_shift");
    EXPECT_TRUE(colorNear(pixelAt(shifted, 10, 10), {0, 255, 0}, 0));
    EXPECT_TRUE(colorNear(pixelAt(shifted, 50, 10), {255, 0, 0}, 0));
    EXPECT_TRUE(colorNear(pixelAt(shifted, 10, 50), {255, 255, 255}, 0));
    EXPECT_TRUE(colorNear(pixelAt(shifted, 50, 50), {0, 0, 255}, 0));

    matrix._31 = 0.f;
    matrix._33 = 2.f;  // the third output is 2: (u / 2, v / 2), the top-left texel only
    const std::vector<uint32_t> projected = drawWith(matrix, D3DTTFF_COUNT3 | D3DTTFF_PROJECTED);
    saveFrame(projected, "texture_projected");
    EXPECT_TRUE(colorNear(pixelAt(projected, 10, 10), {255, 0, 0}, 0));
    EXPECT_TRUE(colorNear(pixelAt(projected, 50, 50), {255, 0, 0}, 0));

    ASSERT_EQ(device->SetTexture(0, nullptr), D3D_OK);
    texture->Release();
}

}  // namespace
