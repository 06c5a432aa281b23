// Device life: creation and its checks, reference counting, Reset and the
// pool rules around it, loss, scenes, Clear, caps and the cursor.
#include "platform/d3d9/device.h"

#include "platform/d3d9/adapter_modes.h"
#include "platform/d3d9/automation.h"
#include "platform/d3d9/caps.h"
#include "platform/d3d9/d3d9_object.h"
#include "platform/d3d9/formats.h"
#include "platform/d3d9/state_block.h"
#include "platform/d3d9/textures.h"
#include "platform/user/window_host.h"

#include <SDL.h>

#include <algorithm>
#include <cstring>
#include <new>

namespace d3d9gl {
namespace {

// The display format a full-screen back buffer of `format` runs on.
D3DFORMAT displayFormatFor(D3DFORMAT format)
{
    if (format == D3DFMT_A8R8G8B8) return D3DFMT_X8R8G8B8;
    if (format == D3DFMT_A1R5G5B5) return D3DFMT_X1R5G5B5;
    return format;
}

}  // namespace

Device::Device(Direct3D9* d3d, UINT adapter, D3DDEVTYPE type, HWND focusWindow, DWORD behaviorFlags)
    : d3d_(d3d), adapter_(adapter), type_(type), focusWindow_(focusWindow), behaviorFlags_(behaviorFlags)
{
    d3d_->AddRef();
    setDefaultState(&state_, false, 1, 1);
}

Device::~Device()
{
    const bool current = makeCurrent();
    releaseBindings(&state_);
    if (backBuffer_) backBuffer_->bindRelease();
    if (current) {
        // The context is the window's and outlives this device: a name left
        // bound there would be restored by the compositor after it is gone.
        glUseProgram(0);
        glBindVertexArray(0);
        for (GLuint unit = 0; unit < kMaxTextureStages; ++unit) glBindSampler(unit, 0);
        programs_.clear();
        destroyBackBuffer();
        glDeleteVertexArrays(1, &vao_);
        glDeleteBuffers(1, &streamVbo_);
        glDeleteBuffers(1, &streamIbo_);
        glDeleteSamplers(GLsizei(kMaxTextureStages), samplers_);
    }
    if (cursor_) SDL_FreeCursor(cursor_);
    if (fullScreen_)
        platform::leaveFullScreen(deviceWindow());
    host_.reset();
    d3d_->Release();
}

HRESULT Device::create(Direct3D9* d3d, UINT adapter, D3DDEVTYPE type, HWND focusWindow, DWORD behaviorFlags,
                       D3DPRESENT_PARAMETERS* parameters, IDirect3DDevice9** out)
{
    if (!out) return D3DERR_INVALIDCALL;
    *out = nullptr;
    if (!parameters || adapter >= adapterCount() || !deviceTypeOffered(type)) return D3DERR_INVALIDCALL;
    const DWORD processing = behaviorFlags & (D3DCREATE_SOFTWARE_VERTEXPROCESSING |
                                              D3DCREATE_HARDWARE_VERTEXPROCESSING | D3DCREATE_MIXED_VERTEXPROCESSING);
    // Exactly one vertex-processing kind, as the runtime insists.
    if (processing != D3DCREATE_SOFTWARE_VERTEXPROCESSING && processing != D3DCREATE_HARDWARE_VERTEXPROCESSING &&
        processing != D3DCREATE_MIXED_VERTEXPROCESSING)
        return D3DERR_INVALIDCALL;
    HRESULT injected = S_OK;
    if (automation::takeInjectedFailure(automation::Call::CreateDevice, &injected)) return injected;
    auto* device = new (std::nothrow) Device(d3d, adapter, type, focusWindow, behaviorFlags);
    if (!device) return E_OUTOFMEMORY;
    const HRESULT hr = device->initialise(parameters);
    if (FAILED(hr)) {
        device->Release();
        return hr;
    }
    *out = device;
    return D3D_OK;
}

HWND Device::deviceWindow() const { return parameters_.hDeviceWindow ? parameters_.hDeviceWindow : focusWindow_; }

HRESULT Device::validateParameters(D3DPRESENT_PARAMETERS* pp, int* samples) const
{
    HWND window = pp->hDeviceWindow ? pp->hDeviceWindow : focusWindow_;
    if (!platform::glContextOf(window)) return D3DERR_INVALIDCALL;
    if (pp->BackBufferCount > 3) return D3DERR_INVALIDCALL;
    if (pp->SwapEffect < D3DSWAPEFFECT_DISCARD || pp->SwapEffect > D3DSWAPEFFECT_COPY) return D3DERR_INVALIDCALL;
    if (pp->SwapEffect == D3DSWAPEFFECT_COPY && pp->BackBufferCount > 1) return D3DERR_INVALIDCALL;
    const UINT interval = pp->PresentationInterval;
    if (interval != D3DPRESENT_INTERVAL_DEFAULT && interval != D3DPRESENT_INTERVAL_ONE &&
        interval != D3DPRESENT_INTERVAL_IMMEDIATE)
        return D3DERR_INVALIDCALL;

    D3DDISPLAYMODE desktop;
    if (!desktopMode(adapter_, &desktop)) return D3DERR_INVALIDCALL;
    D3DFORMAT displayFormat;
    if (pp->Windowed) {
        if (pp->FullScreen_RefreshRateInHz != 0) return D3DERR_INVALIDCALL;
        const RECT client = platform::clientAreaInDrawable(window);
        if (pp->BackBufferWidth == 0) pp->BackBufferWidth = UINT(std::max<LONG>(1, client.right - client.left));
        if (pp->BackBufferHeight == 0) pp->BackBufferHeight = UINT(std::max<LONG>(1, client.bottom - client.top));
        if (pp->BackBufferFormat == D3DFMT_UNKNOWN) pp->BackBufferFormat = desktop.Format;
        displayFormat = desktop.Format;
    } else {
        if (pp->BackBufferWidth == 0 || pp->BackBufferHeight == 0) return D3DERR_INVALIDCALL;
        displayFormat = displayFormatFor(pp->BackBufferFormat);
        const std::vector<D3DDISPLAYMODE> modes = adapterModes(adapter_, displayFormat);
        const bool found = std::any_of(modes.begin(), modes.end(), [pp](const D3DDISPLAYMODE& m) {
            return m.Width == pp->BackBufferWidth && m.Height == pp->BackBufferHeight &&
                   (pp->FullScreen_RefreshRateInHz == 0 || m.RefreshRate == pp->FullScreen_RefreshRateInHz);
        });
        if (!found) return D3DERR_INVALIDCALL;
    }
    if (FAILED(checkDeviceType(adapter_, type_, displayFormat, pp->BackBufferFormat, pp->Windowed)))
        return D3DERR_INVALIDCALL;
    if (pp->EnableAutoDepthStencil && FAILED(checkDepthStencilMatch(adapter_, type_, displayFormat,
                                                                    pp->BackBufferFormat,
                                                                    pp->AutoDepthStencilFormat)))
        return D3DERR_INVALIDCALL;
    *samples = glSampleCount(pp->MultiSampleType, pp->MultiSampleQuality);
    if (*samples < 0) return D3DERR_INVALIDCALL;
    if (*samples > 0 && pp->SwapEffect != D3DSWAPEFFECT_DISCARD) return D3DERR_INVALIDCALL;
    if (pp->BackBufferCount == 0) pp->BackBufferCount = 1;
    return D3D_OK;
}

HRESULT Device::initialise(D3DPRESENT_PARAMETERS* pp)
{
    int samples = 0;
    const HRESULT valid = validateParameters(pp, &samples);
    if (FAILED(valid)) return valid;
    parameters_ = *pp;
    const HWND window = deviceWindow();
    host_ = type_ == D3DDEVTYPE_HAL ? createWindowRenderHost(window) : createSoftwareRenderHost(window);
    if (!host_) return D3DERR_NOTAVAILABLE;
    if (!makeCurrent()) return D3DERR_NOTAVAILABLE;
    glGenVertexArrays(1, &vao_);
    glGenBuffers(1, &streamVbo_);
    glGenBuffers(1, &streamIbo_);
    glGenSamplers(GLsizei(kMaxTextureStages), samplers_);
    const HRESULT created = createBackBuffer(samples);
    if (FAILED(created)) return created;
    backBuffer_ = new (std::nothrow) BackBufferSurface(this);
    if (!backBuffer_) return E_OUTOFMEMORY;
    backBuffer_->bindRetain();
    resetState();
    applyPresentMode();
    return D3D_OK;
}

HRESULT Device::createBackBuffer(int samples)
{
    const FormatInfo* color = colorFormat(parameters_.BackBufferFormat);
    const GLsizei width = GLsizei(parameters_.BackBufferWidth), height = GLsizei(parameters_.BackBufferHeight);
    samples_ = samples;
    glGenTextures(1, &colorTexture_);
    glBindTexture(GL_TEXTURE_2D, colorTexture_);
    // Described as the format's own memory layout, so that GL stores it in the
    // byte order the window uses and presenting it is a plain copy.
    glTexImage2D(GL_TEXTURE_2D, 0, GLint(color->internalFormat), width, height, 0, color->uploadFormat,
                 color->uploadType, nullptr);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, 0);
    glBindTexture(GL_TEXTURE_2D, 0);

    glGenFramebuffers(1, &renderFbo_);
    glBindFramebuffer(GL_FRAMEBUFFER, renderFbo_);
    if (samples > 0) {
        glGenRenderbuffers(1, &colorMsaa_);
        glBindRenderbuffer(GL_RENDERBUFFER, colorMsaa_);
        glRenderbufferStorageMultisample(GL_RENDERBUFFER, samples, color->internalFormat, width, height);
        glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, colorMsaa_);
    } else {
        glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, colorTexture_, 0);
    }
    hasStencil_ = false;
    if (parameters_.EnableAutoDepthStencil) {
        const DepthFormatInfo* depth = depthFormat(parameters_.AutoDepthStencilFormat);
        glGenRenderbuffers(1, &depthBuffer_);
        glBindRenderbuffer(GL_RENDERBUFFER, depthBuffer_);
        if (samples > 0)
            glRenderbufferStorageMultisample(GL_RENDERBUFFER, samples, depth->internalFormat, width, height);
        else
            glRenderbufferStorage(GL_RENDERBUFFER, depth->internalFormat, width, height);
        hasStencil_ = depth->stencilBits > 0;
        glFramebufferRenderbuffer(GL_FRAMEBUFFER, hasStencil_ ? GL_DEPTH_STENCIL_ATTACHMENT : GL_DEPTH_ATTACHMENT,
                                  GL_RENDERBUFFER, depthBuffer_);
    }
    const bool complete = glCheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
    // The window's framebuffer stands in only where a program could hardly
    // tell: the same pixel format, at least the depth precision asked for
    // (stencil stays off without a stencil format), contents not kept past Present.
    const DepthFormatInfo* depth =
        parameters_.EnableAutoDepthStencil ? depthFormat(parameters_.AutoDepthStencilFormat) : nullptr;
    directCapable_ = samples == 0 && depth && parameters_.BackBufferFormat == D3DFMT_X8R8G8B8 &&
                     parameters_.SwapEffect == D3DSWAPEFFECT_DISCARD;
    direct_ = frameStarted_ = false;
    origin_ = {};
    if (samples > 0) {
        glGenFramebuffers(1, &resolveFbo_);
        glBindFramebuffer(GL_FRAMEBUFFER, resolveFbo_);
        glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, colorTexture_, 0);
    }
    // A new back buffer starts black rather than with stale memory.
    glBindFramebuffer(GL_FRAMEBUFFER, renderFbo_);
    glDisable(GL_SCISSOR_TEST);
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    glDepthMask(GL_TRUE);
    glStencilMask(0xff);
    glClearColor(0, 0, 0, 1);
    glClearDepth(1.0);
    glClearStencil(0);
    glClear(GL_COLOR_BUFFER_BIT | (depthBuffer_ ? GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT : 0));
    dirty_ = ~0u;
    return complete ? D3D_OK : D3DERR_OUTOFVIDEOMEMORY;
}

void Device::destroyBackBuffer()
{
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    glDeleteFramebuffers(1, &renderFbo_);
    glDeleteFramebuffers(1, &resolveFbo_);
    glDeleteTextures(1, &colorTexture_);
    glDeleteRenderbuffers(1, &colorMsaa_);
    glDeleteRenderbuffers(1, &depthBuffer_);
    renderFbo_ = resolveFbo_ = colorTexture_ = colorMsaa_ = depthBuffer_ = 0;
}

void Device::resetState()
{
    releaseBindings(&state_);
    setDefaultState(&state_, parameters_.EnableAutoDepthStencil != FALSE, parameters_.BackBufferWidth,
                    parameters_.BackBufferHeight);
    dirty_ = ~0u;
    dirtySamplers_ = ~0u;
    keyDirty_ = true;
    ++transformVersion_;
    ++projectionVersion_;
    ++materialVersion_;
    ++lightsVersion_;
    ++miscVersion_;
    derivedTransformsStale_ = derivedLightsStale_ = true;
    program_ = nullptr;
    inputFvf_ = ~0u;
    inputBuffer_ = ~0u;
    texturesChanged();
}

void Device::texturesChanged()
{
    dirty_ |= kDirtyTextures;
    std::fill(std::begin(boundTextures_), std::end(boundTextures_), ~0u);
}

// ---- IUnknown ----

HRESULT Device::QueryInterface(REFIID riid, void** out)
{
    if (!out) return E_POINTER;
    if (riid == IID_IUnknown || riid == IID_IDirect3DDevice9) {
        *out = static_cast<IDirect3DDevice9*>(this);
        AddRef();
        return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
}

ULONG Device::AddRef() { return ++refs_; }

ULONG Device::Release()
{
    if (refs_ == 0) return 0;
    const ULONG left = --refs_;
    if (left == 0) delete this;
    return left;
}

void Device::childAlive(D3DPOOL pool, bool alive)
{
    if (pool == D3DPOOL_DEFAULT) liveDefaultPool_ += alive ? 1 : -1;
}

void Device::stateBlockAlive(bool alive) { liveStateBlocks_ += alive ? 1 : -1; }

bool Device::makeCurrent() { return host_ && host_->makeCurrent(); }

// ---- loss and Reset ----

void Device::updateLossState()
{
    if (injectedLoss_) {
        lossState_ = LossState::Lost;
        return;
    }
    SDL_Window* window = platform::sdlWindowOf(deviceWindow());
    const bool minimised = fullScreen_ && window && (SDL_GetWindowFlags(window) & SDL_WINDOW_MINIMIZED);
    if (minimised)
        lossState_ = LossState::Lost;
    else if (lossState_ == LossState::Lost)
        lossState_ = LossState::NotReset;
}

HRESULT Device::TestCooperativeLevel()
{
    updateLossState();
    switch (lossState_) {
    case LossState::Lost: return D3DERR_DEVICELOST;
    case LossState::NotReset: return D3DERR_DEVICENOTRESET;
    default: return D3D_OK;
    }
}

HRESULT Device::Reset(D3DPRESENT_PARAMETERS* pp)
{
    if (!pp || recording_) return D3DERR_INVALIDCALL;
    updateLossState();
    if (lossState_ == LossState::Lost) return D3DERR_DEVICELOST;
    HRESULT injected = S_OK;
    if (automation::takeInjectedFailure(automation::Call::Reset, &injected)) {
        lossState_ = LossState::NotReset;
        return injected;
    }
    // Every default-pool resource and state block must be gone first; a
    // failed Reset leaves the device waiting for another, as on Windows.
    if (liveDefaultPool_ > 0 || liveStateBlocks_ > 0) {
        lossState_ = LossState::NotReset;
        return D3DERR_INVALIDCALL;
    }
    D3DPRESENT_PARAMETERS wanted = *pp;
    int samples = 0;
    HRESULT hr = validateParameters(&wanted, &samples);
    if (FAILED(hr) || !makeCurrent()) {
        lossState_ = LossState::NotReset;
        return FAILED(hr) ? hr : D3DERR_INVALIDCALL;
    }
    releaseBindings(&state_);
    destroyBackBuffer();
    parameters_ = wanted;
    *pp = wanted;
    hr = createBackBuffer(samples);
    if (FAILED(hr)) {
        lossState_ = LossState::NotReset;
        return hr;
    }
    resetState();
    applyPresentMode();
    inScene_ = false;
    lossState_ = LossState::Operational;
    return D3D_OK;
}

// ---- queries ----

UINT Device::GetAvailableTextureMem()
{
    // GL has no portable answer; report a plausible amount, rounded to MB as Windows does.
    return 512u * 1024u * 1024u;
}

HRESULT Device::EvictManagedResources() { return D3D_OK; }

HRESULT Device::GetDirect3D(IDirect3D9** d3d)
{
    if (!d3d) return D3DERR_INVALIDCALL;
    *d3d = d3d_;
    d3d_->AddRef();
    return D3D_OK;
}

HRESULT Device::GetDeviceCaps(D3DCAPS9* caps) { return fillCaps(adapter_, type_, caps); }

HRESULT Device::GetDisplayMode(UINT swapChain, D3DDISPLAYMODE* mode)
{
    if (!mode || swapChain != 0) return D3DERR_INVALIDCALL;
    if (fullScreen_) {
        *mode = {parameters_.BackBufferWidth, parameters_.BackBufferHeight, parameters_.FullScreen_RefreshRateInHz,
                 displayFormatFor(parameters_.BackBufferFormat)};
        return D3D_OK;
    }
    return desktopMode(adapter_, mode) ? D3D_OK : D3DERR_INVALIDCALL;
}

HRESULT Device::GetCreationParameters(D3DDEVICE_CREATION_PARAMETERS* parameters)
{
    if (!parameters) return D3DERR_INVALIDCALL;
    *parameters = {adapter_, type_, focusWindow_, behaviorFlags_};
    return D3D_OK;
}

// ---- scenes and Clear ----

HRESULT Device::BeginScene()
{
    if (inScene_) return D3DERR_INVALIDCALL;
    inScene_ = true;
    return D3D_OK;
}

HRESULT Device::EndScene()
{
    if (!inScene_) return D3DERR_INVALIDCALL;
    inScene_ = false;
    return D3D_OK;
}

HRESULT Device::Clear(DWORD count, const D3DRECT* rects, DWORD flags, D3DCOLOR color, float z, DWORD stencil)
{
    if ((count > 0 && !rects) || (flags & ~DWORD(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER | D3DCLEAR_STENCIL)) ||
        flags == 0)
        return D3DERR_INVALIDCALL;
    if ((flags & D3DCLEAR_ZBUFFER) && !depthBuffer_) return D3DERR_INVALIDCALL;
    if ((flags & D3DCLEAR_STENCIL) && !hasStencil_) return D3DERR_INVALIDCALL;
    if (z < 0.f || z > 1.f) return D3DERR_INVALIDCALL;
    if (lossState_ != LossState::Operational) return D3D_OK;
    if (!makeCurrentForFrame()) return D3DERR_INVALIDCALL;
    beginFrame();
    glBindFramebuffer(GL_FRAMEBUFFER, frameFramebuffer());
    // Clear ignores the write masks but stays inside the viewport.
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    glDepthMask(GL_TRUE);
    glStencilMask(0xff);
    glClearColor(float((color >> 16) & 0xff) / 255.f, float((color >> 8) & 0xff) / 255.f, float(color & 0xff) / 255.f,
                 float(color >> 24) / 255.f);
    glClearDepth(z);
    glClearStencil(GLint(stencil & 0xff));
    // A window's stencil that the device's format lacks is cleared with the
    // depth: nothing reads it, and depth alone would have to keep it.
    const bool clearStencil =
        (flags & D3DCLEAR_STENCIL) || (direct_ && !hasStencil_ && (flags & D3DCLEAR_ZBUFFER));
    const GLbitfield bits = ((flags & D3DCLEAR_TARGET) ? GL_COLOR_BUFFER_BIT : 0) |
                            ((flags & D3DCLEAR_ZBUFFER) ? GL_DEPTH_BUFFER_BIT : 0) |
                            (clearStencil ? GL_STENCIL_BUFFER_BIT : 0);
    const D3DVIEWPORT9& vp = state_.viewport;
    const LONG width = LONG(parameters_.BackBufferWidth), height = LONG(parameters_.BackBufferHeight);
    glEnable(GL_SCISSOR_TEST);
    auto clearRect = [&](LONG x1, LONG y1, LONG x2, LONG y2) {
        x1 = std::max(x1, LONG(vp.X));
        y1 = std::max(y1, LONG(vp.Y));
        x2 = std::min(x2, LONG(vp.X + vp.Width));
        y2 = std::min(y2, LONG(vp.Y + vp.Height));
        if (x2 <= x1 || y2 <= y1) return;
        // All of the back buffer in the window: the whole window is cleared,
        // which GL does far faster than a rectangle; Present draws the rest
        // of the window again.
        if (direct_ && x1 == 0 && y1 == 0 && x2 == width && y2 == height) glDisable(GL_SCISSOR_TEST);
        glScissor(origin_.x + x1, origin_.y + height - y2, x2 - x1, y2 - y1);
        glClear(bits);
        glEnable(GL_SCISSOR_TEST);
    };
    if (count == 0) {
        clearRect(LONG(vp.X), LONG(vp.Y), LONG(vp.X + vp.Width), LONG(vp.Y + vp.Height));
    } else {
        for (DWORD i = 0; i < count; ++i) clearRect(rects[i].x1, rects[i].y1, rects[i].x2, rects[i].y2);
    }
    glDisable(GL_SCISSOR_TEST);
    dirty_ |= kDirtyRaster;
    return D3D_OK;
}

// ---- cursor ----

HRESULT Device::SetCursorProperties(UINT hotX, UINT hotY, IDirect3DSurface9* bitmap)
{
    SurfaceBits bits;
    if (!bitmap || !surfaceBits(bitmap, &bits) || bits.desc.Format != D3DFMT_A8R8G8B8) return D3DERR_INVALIDCALL;
    if (hotX >= bits.desc.Width || hotY >= bits.desc.Height) return D3DERR_INVALIDCALL;
    SDL_Surface* image = SDL_CreateRGBSurfaceWithFormatFrom(bits.bits, int(bits.desc.Width), int(bits.desc.Height), 32,
                                                            int(bits.pitch), SDL_PIXELFORMAT_ARGB8888);
    if (!image) return D3DERR_INVALIDCALL;
    SDL_Cursor* cursor = SDL_CreateColorCursor(image, int(hotX), int(hotY));
    SDL_FreeSurface(image);
    // Backends without cursors (offscreen, dummy) refuse; the call still succeeds, as a cursor is cosmetic.
    if (!cursor) return D3D_OK;
    if (cursorShown_) SDL_SetCursor(cursor);
    if (cursor_) SDL_FreeCursor(cursor_);
    cursor_ = cursor;
    return D3D_OK;
}

void Device::SetCursorPosition(int x, int y, DWORD)
{
    // Desktop coordinates, as Direct3D takes them. Only a device cursor that is
    // shown follows them; otherwise the system pointer is the cursor and the
    // program's per-move call must not warp it against the user's own motion.
    if (cursor_ && cursorShown_) SDL_WarpMouseGlobal(x, y);
}

BOOL Device::ShowCursor(BOOL show)
{
    const BOOL previous = cursorShown_ ? TRUE : FALSE;
    cursorShown_ = show != FALSE;
    if (cursorShown_ && cursor_) SDL_SetCursor(cursor_);
    SDL_ShowCursor(cursorShown_ ? SDL_ENABLE : SDL_DISABLE);
    return previous;
}

}  // namespace d3d9gl
