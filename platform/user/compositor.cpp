// Client content, menu strip and swap for one window; see compositor.h.
#include "platform/user/compositor.h"

#include "platform/core/font_config.h"
#include "platform/user/compositor_state.h"
#include "platform/user/menu_strip.h"

#include <SDL.h>
#include <epoxy/gl.h>
#include <fontconfig/fontconfig.h>
#include <imgui.h>
#include <backends/imgui_impl_opengl3.h>

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <string>

namespace platform::user {

namespace {

// Content and the client texture share GL's orientation, so that the copies
// between them and into the window are plain copies.
const char* const kVertexShader = R"(#version 330 core
out vec2 vUv;
void main()
{
    vec2 p = vec2(float(gl_VertexID & 1), float((gl_VertexID >> 1) & 1));
    vUv = p;
    gl_Position = vec4(p * 2.0 - 1.0, 0.0, 1.0);
}
)";

const char* const kFragmentShader = R"(#version 330 core
uniform sampler2D uTexture;
in vec2 vUv;
out vec4 fragColor;
void main()
{
    fragColor = vec4(texture(uTexture, vUv).rgb, 1.0);
}
)";

unsigned compileShader(GLenum type, const char* source)
{
    const GLuint shader = glCreateShader(type);
    glShaderSource(shader, 1, &source, nullptr);
    glCompileShader(shader);
    GLint ok = GL_FALSE;
    glGetShaderiv(shader, GL_COMPILE_STATUS, &ok);
    if (ok != GL_TRUE) {
        char log[512] = {};
        glGetShaderInfoLog(shader, sizeof log, nullptr, log);
        SDL_Log("window compositor: shader does not compile: %s", log);
        glDeleteShader(shader);
        return 0;
    }
    return shader;
}

// The strip font: the face fontconfig gives for the menu's usual sans-serif.
std::string stripFontFile()
{
    std::string file;
    if (!platform::fontConfigReady()) return file;
    FcPattern* pattern = FcNameParse(reinterpret_cast<const FcChar8*>("Liberation Sans"));
    if (!pattern) return file;
    FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result = FcResultNoMatch;
    FcPattern* match = FcFontMatch(nullptr, pattern, &result);
    if (match) {
        FcChar8* path = nullptr;
        if (FcPatternGetString(match, FC_FILE, 0, &path) == FcResultMatch && path)
            file = reinterpret_cast<const char*>(path);
        FcPatternDestroy(match);
    }
    FcPatternDestroy(pattern);
    return file;
}

}  // namespace

std::unique_ptr<Compositor> Compositor::create(HWND window, SDL_Window* sdlWindow)
{
    std::unique_ptr<Compositor> compositor(new Compositor);
    if (!compositor->init(window, sdlWindow)) return nullptr;
    return compositor;
}

bool Compositor::init(HWND window, SDL_Window* sdlWindow)
{
    window_ = window;
    sdl_ = sdlWindow;
    SavedState saved;
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    context_ = SDL_GL_CreateContext(sdlWindow);
    if (!context_) {
        SDL_Log("window compositor: no OpenGL 3.3 core context: %s", SDL_GetError());
        return false;
    }
    saved.captureGl();

    const unsigned vertex = compileShader(GL_VERTEX_SHADER, kVertexShader);
    const unsigned fragment = compileShader(GL_FRAGMENT_SHADER, kFragmentShader);
    if (!vertex || !fragment) return false;
    program_ = glCreateProgram();
    glAttachShader(program_, vertex);
    glAttachShader(program_, fragment);
    glLinkProgram(program_);
    glDeleteShader(vertex);
    glDeleteShader(fragment);
    GLint linked = GL_FALSE;
    glGetProgramiv(program_, GL_LINK_STATUS, &linked);
    if (linked != GL_TRUE) return false;
    glUseProgram(program_);
    glUniform1i(glGetUniformLocation(program_, "uTexture"), 0);

    glGenVertexArrays(1, &vertexArray_);
    glGenSamplers(1, &samplerNearest_);
    glGenSamplers(1, &samplerLinear_);
    for (GLuint sampler : {samplerNearest_, samplerLinear_}) {
        const GLint filter = sampler == samplerLinear_ ? GL_LINEAR : GL_NEAREST;
        glSamplerParameteri(sampler, GL_TEXTURE_MIN_FILTER, filter);
        glSamplerParameteri(sampler, GL_TEXTURE_MAG_FILTER, filter);
        glSamplerParameteri(sampler, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
        glSamplerParameteri(sampler, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    }
    glGenTextures(1, &clientTexture_);
    glGenFramebuffers(1, &clientFramebuffer_);
    glGenFramebuffers(1, &sourceFramebuffer_);

    IMGUI_CHECKVERSION();
    imgui_ = ImGui::CreateContext();
    ImGui::SetCurrentContext(imgui_);
    ImGuiIO& io = ImGui::GetIO();
    io.IniFilename = nullptr;
    io.LogFilename = nullptr;
    const std::string font = stripFontFile();
    if (font.empty() || !io.Fonts->AddFontFromFileTTF(font.c_str(), 15.0f)) io.Fonts->AddFontDefault();
    unsigned char* atlas = nullptr;
    int atlasWidth = 0, atlasHeight = 0;
    io.Fonts->GetTexDataAsRGBA32(&atlas, &atlasWidth, &atlasHeight);
    if (!ImGui_ImplOpenGL3_Init("#version 330 core")) return false;

    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    const GLenum channels[4] = {GL_FRAMEBUFFER_ATTACHMENT_RED_SIZE, GL_FRAMEBUFFER_ATTACHMENT_GREEN_SIZE,
                                GL_FRAMEBUFFER_ATTACHMENT_BLUE_SIZE, GL_FRAMEBUFFER_ATTACHMENT_ALPHA_SIZE};
    for (int i = 0; i < 4; ++i)
        glGetFramebufferAttachmentParameteriv(GL_FRAMEBUFFER, GL_BACK_LEFT, channels[i], &windowColorBits_[i]);
    glGetFramebufferAttachmentParameteriv(GL_FRAMEBUFFER, GL_DEPTH, GL_FRAMEBUFFER_ATTACHMENT_DEPTH_SIZE,
                                          &windowDepthBits_);
    glGetFramebufferAttachmentParameteriv(GL_FRAMEBUFFER, GL_STENCIL, GL_FRAMEBUFFER_ATTACHMENT_STENCIL_SIZE,
                                          &windowStencilBits_);
    // A window without depth or stencil reports an error rather than 0.
    while (glGetError() != GL_NO_ERROR) {
    }
    backBufferKept_ = std::make_unique<BackBufferKept>(sdlWindow);
    return true;
}

Compositor::~Compositor()
{
    swapThread_.reset();
    SDL_Window* previousWindow = SDL_GL_GetCurrentWindow();
    SDL_GLContext previousContext = SDL_GL_GetCurrentContext();
    ImGuiContext* previousImgui = ImGui::GetCurrentContext();
    if (context_ && SDL_GL_MakeCurrent(sdl_, context_) == 0) {
        if (imgui_) {
            ImGui::SetCurrentContext(imgui_);
            if (ImGui::GetIO().BackendRendererUserData) ImGui_ImplOpenGL3_Shutdown();
        }
        strip_.release();
        glDeleteFramebuffers(1, &sourceFramebuffer_);
        glDeleteFramebuffers(1, &clientFramebuffer_);
        glDeleteTextures(1, &clientTexture_);
        glDeleteSamplers(1, &samplerNearest_);
        glDeleteSamplers(1, &samplerLinear_);
        glDeleteVertexArrays(1, &vertexArray_);
        glDeleteProgram(program_);
    }
    if (imgui_) ImGui::DestroyContext(imgui_);
    ImGui::SetCurrentContext(previousImgui == imgui_ ? nullptr : previousImgui);
    if (previousContext == context_ || !previousContext)
        SDL_GL_MakeCurrent(sdl_, nullptr);
    else
        SDL_GL_MakeCurrent(previousWindow, previousContext);
    if (context_) SDL_GL_DeleteContext(context_);
}

bool Compositor::makeCurrent()
{
    finishPresenting();
    return context_ && SDL_GL_MakeCurrent(sdl_, context_) == 0;
}

void Compositor::finishPresenting()
{
    if (swapThread_) swapThread_->finish();
}

void Compositor::setClientArea(const RECT& area)
{
    pendingArea_ = area;
    resizePending_ = true;
    if (lockCount_ == 0) applyPendingResize();
}

// Needs no current context: only the CPU copy and the sizes change here; the
// texture follows at the next upload or draw.
void Compositor::applyPendingResize()
{
    if (!resizePending_) return;
    resizePending_ = false;
    area_ = pendingArea_;
    const int width = std::max<int>(0, area_.right - area_.left);
    const int height = std::max<int>(0, area_.bottom - area_.top);
    if (width == width_ && height == height_) return;
    ensureCpuCopy();
    std::vector<uint32_t> resized(static_cast<size_t>(width) * static_cast<size_t>(height), 0x00FFFFFFu);
    const int keepWidth = std::min(width, width_);
    const int keepHeight = std::min(height, height_);
    for (int y = 0; y < keepHeight; ++y)
        std::memcpy(&resized[static_cast<size_t>(y) * width], &cpuPixels_[static_cast<size_t>(y) * width_],
                    static_cast<size_t>(keepWidth) * sizeof(uint32_t));
    cpuPixels_.swap(resized);
    width_ = width;
    height_ = height;
    textureStale_ = true;
}

// Brings the CPU copy up to date after Direct3D drew into the texture or the window.
void Compositor::ensureCpuCopy()
{
    if (cpuValid_) return;
    SavedState saved;
    if (width_ == 0 || height_ == 0 || !makeCurrent()) {
        cpuValid_ = true;
        return;
    }
    saved.captureGl();
    takeClientFromWindow();
    cpuValid_ = true;
    glBindFramebuffer(GL_READ_FRAMEBUFFER, clientFramebuffer_);
    glReadPixels(0, 0, width_, height_, GL_BGRA, GL_UNSIGNED_BYTE, cpuPixels_.data());
    for (uint32_t& pixel : cpuPixels_) pixel &= 0x00FFFFFFu;
    // GL's rows run bottom-up, GDI's top-down.
    const auto row = [this](int y) { return cpuPixels_.begin() + static_cast<ptrdiff_t>(y) * width_; };
    for (int y = 0; y < height_ / 2; ++y) std::swap_ranges(row(y), row(y + 1), row(height_ - 1 - y));
}

bool Compositor::lockPixels(ClientPixels* out)
{
    if (lockCount_ == 0) applyPendingResize();
    ensureCpuCopy();
    ++lockCount_;
    out->pixels = cpuPixels_.empty() ? nullptr : cpuPixels_.data();
    out->width = width_;
    out->height = height_;
    return true;
}

void Compositor::unlockPixels()
{
    if (lockCount_ == 0) return;
    if (--lockCount_ > 0) return;
    textureStale_ = true;
    applyPendingResize();
    composite(true);
}

void Compositor::sizeTexture()
{
    if (textureWidth_ == std::max(1, width_) && textureHeight_ == std::max(1, height_)) return;
    textureWidth_ = std::max(1, width_);
    textureHeight_ = std::max(1, height_);
    // RGB: the window shows no alpha, and Direct3D's alpha must not reach it.
    // BGRA bytes, so that the copies in and out can be plain copies.
    glBindTexture(GL_TEXTURE_2D, clientTexture_);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB8, textureWidth_, textureHeight_, 0, GL_BGRA, GL_UNSIGNED_BYTE, nullptr);
    glBindFramebuffer(GL_FRAMEBUFFER, clientFramebuffer_);
    glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, clientTexture_, 0);
}

void Compositor::uploadIfStale()
{
    if (!textureStale_) return;
    textureStale_ = false;
    sizeTexture();
    if (width_ <= 0 || height_ <= 0) return;
    // GDI's rows run top-down, GL's bottom-up.
    std::vector<uint32_t> rows(cpuPixels_.size());
    const size_t rowLength = static_cast<size_t>(width_);
    for (int y = 0; y < height_; ++y)
        std::memcpy(&rows[static_cast<size_t>(height_ - 1 - y) * rowLength],
                    &cpuPixels_[static_cast<size_t>(y) * rowLength], rowLength * sizeof(uint32_t));
    glBindTexture(GL_TEXTURE_2D, clientTexture_);
    glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, width_, height_, GL_BGRA, GL_UNSIGNED_BYTE, rows.data());
}

void Compositor::drawQuad(unsigned texture, bool linear)
{
    glUseProgram(program_);
    glBindVertexArray(vertexArray_);
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, texture);
    glBindSampler(0, linear ? samplerLinear_ : samplerNearest_);
    glDrawArrays(GL_TRIANGLE_STRIP, 0, 4);
}

void Compositor::presentTexture(unsigned texture, int width, int height)
{
    {
        SavedState saved;
        if (!makeCurrent()) return;
        saved.captureGl();
        if (lockCount_ == 0) applyPendingResize();
        // The frame covers the whole client: GDI's copy is no longer the
        // newest content, and is read back only when GDI asks for it.
        sizeTexture();
        textureStale_ = false;
        clientInWindow_ = deviceDrawing_ = false;
        if (width_ > 0 && height_ > 0) {
            copyIntoClient(texture, width, height);
            cpuValid_ = false;
        }
    }
    composite(true);
}

bool Compositor::directTarget(int width, int height, int depthBits, int stencilBits, POINT* origin)
{
    if (!backBufferKept_ || !backBufferKept_->kept() || !shown_ || lockCount_ > 0 || resizePending_ || width <= 0 ||
        height <= 0 || width != width_ || height != height_)
        return false;
    if (windowColorBits_[0] != 8 || windowColorBits_[1] != 8 || windowColorBits_[2] != 8 ||
        windowDepthBits_ < depthBits || windowStencilBits_ < stencilBits)
        return false;
    int drawableWidth = 0, drawableHeight = 0;
    SDL_GL_GetDrawableSize(sdl_, &drawableWidth, &drawableHeight);
    const LONG bottom = drawableHeight - area_.top - height;
    if (area_.left < 0 || area_.left + width > drawableWidth || bottom < 0) return false;
    origin->x = area_.left;
    origin->y = bottom;
    return true;
}

void Compositor::beginDirectFrame()
{
    deviceDrawing_ = true;
    clientIsInWindow();
}

// The texture and GDI's copy are older than the window's back buffer.
void Compositor::clientIsInWindow()
{
    clientInWindow_ = true;
    cpuValid_ = false;
    textureStale_ = false;
}

// What Direct3D drew is in the window, over whatever was taken from there
// meanwhile. A Present that drew nothing repeats the client as it is: from
// the texture when that is the newer (taken from the window since, and
// perhaps painted by GDI or resized).
void Compositor::presentDirect()
{
    const bool drawClient = !deviceDrawing_ && !clientInWindow_;
    if (!drawClient) clientIsInWindow();
    deviceDrawing_ = false;
    drawFrame(Swap::Direct, drawClient);
    if (!shown_ || !backBufferKept_ || !backBufferKept_->kept()) return;
    backBufferKept_->afterSwap();
    // The frame went with the swap: what the texture holds must do.
    if (!backBufferKept_->kept()) clientInWindow_ = false;
}

void Compositor::swapDirect()
{
    // The thread is made from the second direct frame on: its context takes
    // longer to make than the first frame takes to swap here, and the first
    // frame is what a player waits for at start.
    if (!swapThreadTried_ && directSwapped_ && backBufferKept_ && !backBufferKept_->checksAges()) {
        swapThreadTried_ = true;
        swapThread_ = SwapThread::create(sdl_);
    }
    if (swapThread_)
        swapThread_->swap();
    else
        SDL_GL_SwapWindow(sdl_);
    directSwapped_ = true;
}

// The client rectangle of the window's back buffer is the newest content:
// copied into the texture before anything else reads or draws the texture.
// A partly drawn frame is taken as it is.
void Compositor::takeClientFromWindow()
{
    if (!clientInWindow_) return;
    clientInWindow_ = false;
    sizeTexture();
    if (width_ <= 0 || height_ <= 0) return;
    int drawableWidth = 0, drawableHeight = 0;
    SDL_GL_GetDrawableSize(sdl_, &drawableWidth, &drawableHeight);
    const int bottom = drawableHeight - area_.top - height_;
    glBindFramebuffer(GL_READ_FRAMEBUFFER, 0);
    glReadBuffer(GL_BACK);
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, clientFramebuffer_);
    glBlitFramebuffer(area_.left, bottom, area_.left + width_, bottom + height_, 0, 0, width_, height_,
                      GL_COLOR_BUFFER_BIT, GL_NEAREST);
    cpuValid_ = false;
    textureStale_ = false;
}

// A frame of the client's size is copied; any other is scaled to fit.
void Compositor::copyIntoClient(unsigned texture, int width, int height)
{
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, clientFramebuffer_);
    if (width != width_ || height != height_) {
        glViewport(0, 0, width_, height_);
        drawQuad(texture, true);
        return;
    }
    // Attached only for the copy: the frame's texture belongs to its device.
    glBindFramebuffer(GL_READ_FRAMEBUFFER, sourceFramebuffer_);
    glFramebufferTexture2D(GL_READ_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, texture, 0);
    glBlitFramebuffer(0, 0, width, height, 0, 0, width, height, GL_COLOR_BUFFER_BIT, GL_NEAREST);
    glFramebufferTexture2D(GL_READ_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, 0, 0);
}

void Compositor::composite(bool swap)
{
    drawFrame(swap ? Swap::Now : Swap::None, true);
}

void Compositor::drawFrame(Swap swap, bool drawClient)
{
    SavedState saved;
    if (!makeCurrent()) return;
    saved.captureGl();
    if (drawClient) {
        takeClientFromWindow();
        uploadIfStale();
    }
    int drawableWidth = 0, drawableHeight = 0;
    SDL_GL_GetDrawableSize(sdl_, &drawableWidth, &drawableHeight);
    const unsigned strip = buildOverlay(drawableWidth, drawableHeight);
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    // The cached strip is opaque and covers the band above the client.
    clearAroundClient(drawableWidth, drawableHeight, strip != 0);
    if (drawClient && width_ > 0 && height_ > 0) {
        glViewport(area_.left, drawableHeight - area_.top - height_, width_, height_);
        drawQuad(clientTexture_, false);
    }
    drawOverlay(drawableWidth, drawableHeight, strip);
    if (!shown_) return;
    if (swap == Swap::Direct)
        swapDirect();
    else if (swap == Swap::Now)
        SDL_GL_SwapWindow(sdl_);
}

// The window's white, where the client content does not cover it.
void Compositor::clearAroundClient(int drawableWidth, int drawableHeight, bool keepTopBand)
{
    glClearColor(1.0f, 1.0f, 1.0f, 1.0f);
    const int left = std::clamp<int>(area_.left, 0, drawableWidth);
    const int right = std::clamp<int>(area_.left + width_, left, drawableWidth);
    const int top = std::clamp<int>(drawableHeight - area_.top, 0, drawableHeight);  // GL rows, bottom-up
    const int bottom = std::clamp<int>(drawableHeight - area_.top - height_, 0, top);
    if (right <= left || top <= bottom) {
        glClear(GL_COLOR_BUFFER_BIT);
        return;
    }
    const int bands[4][4] = {{0, top, drawableWidth, keepTopBand ? 0 : drawableHeight - top},
                             {0, 0, drawableWidth, bottom},
                             {0, bottom, left, top - bottom},
                             {right, bottom, drawableWidth - right, top - bottom}};
    glEnable(GL_SCISSOR_TEST);
    for (const auto& band : bands) {
        if (band[2] <= 0 || band[3] <= 0) continue;
        glScissor(band[0], band[1], band[2], band[3]);
        glClear(GL_COLOR_BUFFER_BIT);
    }
    glDisable(GL_SCISSOR_TEST);
}

// Lays out the strip and what the painter draws; returns the cached strip's
// texture when that is all there is to draw, 0 when the draw data must be
// rendered into the window.
unsigned Compositor::buildOverlay(int drawableWidth, int drawableHeight)
{
    if (area_.top <= 0 && !painter_) return 0;
    ImGui::SetCurrentContext(imgui_);
    ImGuiIO& io = ImGui::GetIO();
    io.DisplaySize = ImVec2(static_cast<float>(drawableWidth), static_cast<float>(drawableHeight));
    io.DeltaTime = 1.0f / 60.0f;
    ImGui_ImplOpenGL3_NewFrame();
    ImGui::NewFrame();
    if (area_.top > 0) paintMenuStrip(window_, *this, ImGui::GetForegroundDrawList());
    if (painter_) painter_(window_, ImGui::GetForegroundDrawList(), painterFont_ ? painterFont_ : ImGui::GetFont());
    ImGui::Render();
    // The strip alone is kept between frames; anything reaching below it
    // (an open menu, a dialog's controls) is drawn straight into the window.
    if (painter_ || area_.top <= 0 || !menuStripOnly(window_)) return 0;
    return strip_.update(ImGui::GetDrawData(), drawableWidth, std::min<int>(area_.top, drawableHeight));
}

void Compositor::drawOverlay(int drawableWidth, int drawableHeight, unsigned stripTexture)
{
    if (area_.top <= 0 && !painter_) return;
    if (stripTexture) {
        const int height = std::min<int>(area_.top, drawableHeight);
        glBindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
        glViewport(0, drawableHeight - height, drawableWidth, height);
        drawQuad(stripTexture, false);
        return;
    }
    glViewport(0, 0, drawableWidth, drawableHeight);
    ImGui_ImplOpenGL3_RenderDrawData(ImGui::GetDrawData());
}

bool Compositor::readFrame(std::vector<uint32_t>* pixels, int* width, int* height)
{
    composite(false);
    SavedState saved;
    if (!makeCurrent()) return false;
    saved.captureGl();
    int w = 0, h = 0;
    SDL_GL_GetDrawableSize(sdl_, &w, &h);
    if (w <= 0 || h <= 0) return false;
    std::vector<uint32_t> bottomUp(static_cast<size_t>(w) * static_cast<size_t>(h));
    glBindFramebuffer(GL_READ_FRAMEBUFFER, 0);
    glReadBuffer(GL_BACK);
    glReadPixels(0, 0, w, h, GL_BGRA, GL_UNSIGNED_BYTE, bottomUp.data());
    pixels->resize(bottomUp.size());
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            (*pixels)[static_cast<size_t>(y) * w + x] = bottomUp[static_cast<size_t>(h - 1 - y) * w + x] & 0x00FFFFFFu;
    *width = w;
    *height = h;
    return true;
}

bool Compositor::setPainterFont(const char* file, float pixels)
{
    SavedState saved;
    if (!file || pixels <= 0.0f || !makeCurrent()) return false;
    saved.captureGl();
    ImGui::SetCurrentContext(imgui_);
    ImFont* font = ImGui::GetIO().Fonts->AddFontFromFileTTF(file, pixels);
    if (!font) return false;
    // The atlas grew: a texture the backend made already is rebuilt from it
    // (otherwise its first frame makes it).
    if (ImGui::GetIO().Fonts->TexID) {
        ImGui_ImplOpenGL3_DestroyFontsTexture();
        strip_.invalidate();
        if (!ImGui_ImplOpenGL3_CreateFontsTexture()) return false;
    }
    painterFont_ = font;
    return true;
}

SIZE Compositor::measureText(const char* begin, const char* end) const
{
    ImGuiContext* previous = ImGui::GetCurrentContext();
    ImGui::SetCurrentContext(imgui_);
    ImFont* font = ImGui::GetIO().Fonts->Fonts[0];
    const ImVec2 size = font->CalcTextSizeA(font->FontSize, 1.0e9f, 0.0f, begin, end);
    ImGui::SetCurrentContext(previous);
    return SIZE{static_cast<LONG>(size.x + 0.5f), static_cast<LONG>(font->FontSize + 0.5f)};
}

}  // namespace platform::user
