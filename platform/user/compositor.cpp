// Client content, menu strip and swap for one window; see compositor.h.
#include "platform/user/compositor.h"

#include "platform/user/menu_strip.h"

#include <SDL.h>
#include <epoxy/gl.h>
#include <fontconfig/fontconfig.h>
#include <imgui.h>
#include <backends/imgui_impl_opengl3.h>

#include <algorithm>
#include <cstring>
#include <string>

namespace platform::user {

namespace {

const char* const kVertexShader = R"(#version 330 core
uniform int uFlip;
out vec2 vUv;
void main()
{
    vec2 p = vec2(float(gl_VertexID & 1), float((gl_VertexID >> 1) & 1));
    vUv = vec2(p.x, uFlip != 0 ? 1.0 - p.y : p.y);
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
    if (!FcInit()) return file;
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

// Keeps the caller's GL context, ImGui context and every GL state the
// compositor touches, so Direct3D's state survives a present.
class SavedState {
public:
    SavedState()
    {
        window_ = SDL_GL_GetCurrentWindow();
        context_ = SDL_GL_GetCurrentContext();
        imgui_ = ImGui::GetCurrentContext();
    }
    ~SavedState()
    {
        if (captured_) restoreGl();
        if (SDL_GL_GetCurrentContext() != context_) SDL_GL_MakeCurrent(window_, context_);
        ImGui::SetCurrentContext(imgui_);
    }
    SavedState(const SavedState&) = delete;
    SavedState& operator=(const SavedState&) = delete;

    // Called once the compositor's context is current.
    void captureGl()
    {
        captured_ = true;
        glGetIntegerv(GL_DRAW_FRAMEBUFFER_BINDING, &drawFramebuffer_);
        glGetIntegerv(GL_READ_FRAMEBUFFER_BINDING, &readFramebuffer_);
        glGetIntegerv(GL_CURRENT_PROGRAM, &program_);
        glGetIntegerv(GL_ACTIVE_TEXTURE, &activeTexture_);
        glActiveTexture(GL_TEXTURE0);
        glGetIntegerv(GL_TEXTURE_BINDING_2D, &texture_);
        glGetIntegerv(GL_SAMPLER_BINDING, &sampler_);
        glGetIntegerv(GL_VERTEX_ARRAY_BINDING, &vertexArray_);
        glGetIntegerv(GL_VIEWPORT, viewport_);
        glGetIntegerv(GL_UNPACK_ALIGNMENT, &unpackAlignment_);
        glGetIntegerv(GL_UNPACK_ROW_LENGTH, &unpackRowLength_);
        glGetIntegerv(GL_PACK_ALIGNMENT, &packAlignment_);
        glGetIntegerv(GL_PACK_ROW_LENGTH, &packRowLength_);
        glGetIntegerv(GL_PIXEL_UNPACK_BUFFER_BINDING, &unpackBuffer_);
        glGetIntegerv(GL_PIXEL_PACK_BUFFER_BINDING, &packBuffer_);
        glGetBooleanv(GL_COLOR_WRITEMASK, colorMask_);
        for (size_t i = 0; i < kCapabilityCount; ++i) enabled_[i] = glIsEnabled(kCapabilities[i]);

        for (GLenum capability : kCapabilities) glDisable(capability);
        glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
        glBindBuffer(GL_PIXEL_UNPACK_BUFFER, 0);
        glBindBuffer(GL_PIXEL_PACK_BUFFER, 0);
        glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
        glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
        glPixelStorei(GL_PACK_ALIGNMENT, 4);
        glPixelStorei(GL_PACK_ROW_LENGTH, 0);
    }

private:
    void restoreGl()
    {
        for (size_t i = 0; i < kCapabilityCount; ++i) {
            if (enabled_[i])
                glEnable(kCapabilities[i]);
            else
                glDisable(kCapabilities[i]);
        }
        glColorMask(colorMask_[0], colorMask_[1], colorMask_[2], colorMask_[3]);
        glBindBuffer(GL_PIXEL_UNPACK_BUFFER, static_cast<GLuint>(unpackBuffer_));
        glBindBuffer(GL_PIXEL_PACK_BUFFER, static_cast<GLuint>(packBuffer_));
        glPixelStorei(GL_UNPACK_ALIGNMENT, unpackAlignment_);
        glPixelStorei(GL_UNPACK_ROW_LENGTH, unpackRowLength_);
        glPixelStorei(GL_PACK_ALIGNMENT, packAlignment_);
        glPixelStorei(GL_PACK_ROW_LENGTH, packRowLength_);
        glViewport(viewport_[0], viewport_[1], viewport_[2], viewport_[3]);
        glBindVertexArray(static_cast<GLuint>(vertexArray_));
        glActiveTexture(GL_TEXTURE0);
        glBindSampler(0, static_cast<GLuint>(sampler_));
        glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(texture_));
        glActiveTexture(static_cast<GLenum>(activeTexture_));
        glUseProgram(static_cast<GLuint>(program_));
        glBindFramebuffer(GL_DRAW_FRAMEBUFFER, static_cast<GLuint>(drawFramebuffer_));
        glBindFramebuffer(GL_READ_FRAMEBUFFER, static_cast<GLuint>(readFramebuffer_));
    }

    static constexpr GLenum kCapabilities[] = {GL_DEPTH_TEST,   GL_STENCIL_TEST, GL_BLEND,
                                               GL_CULL_FACE,    GL_SCISSOR_TEST, GL_FRAMEBUFFER_SRGB,
                                               GL_POLYGON_OFFSET_FILL};
    static constexpr size_t kCapabilityCount = sizeof kCapabilities / sizeof kCapabilities[0];

    SDL_Window* window_ = nullptr;
    SDL_GLContext context_ = nullptr;
    ImGuiContext* imgui_ = nullptr;
    bool captured_ = false;
    GLint drawFramebuffer_ = 0, readFramebuffer_ = 0, program_ = 0, activeTexture_ = 0, texture_ = 0;
    GLint sampler_ = 0, vertexArray_ = 0, viewport_[4] = {}, unpackAlignment_ = 4, unpackRowLength_ = 0;
    GLint packAlignment_ = 4, packRowLength_ = 0, unpackBuffer_ = 0, packBuffer_ = 0;
    GLboolean colorMask_[4] = {GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE};
    GLboolean enabled_[kCapabilityCount] = {};
};

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
    flipLocation_ = glGetUniformLocation(program_, "uFlip");
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
    return true;
}

Compositor::~Compositor()
{
    SDL_Window* previousWindow = SDL_GL_GetCurrentWindow();
    SDL_GLContext previousContext = SDL_GL_GetCurrentContext();
    ImGuiContext* previousImgui = ImGui::GetCurrentContext();
    if (context_ && SDL_GL_MakeCurrent(sdl_, context_) == 0) {
        if (imgui_) {
            ImGui::SetCurrentContext(imgui_);
            if (ImGui::GetIO().BackendRendererUserData) ImGui_ImplOpenGL3_Shutdown();
        }
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
    return context_ && SDL_GL_MakeCurrent(sdl_, context_) == 0;
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

// Brings the CPU copy up to date after Direct3D drew into the texture.
void Compositor::ensureCpuCopy()
{
    if (cpuValid_) return;
    cpuValid_ = true;
    if (width_ == 0 || height_ == 0) return;
    SavedState saved;
    if (!makeCurrent()) return;
    saved.captureGl();
    glBindFramebuffer(GL_READ_FRAMEBUFFER, clientFramebuffer_);
    glReadPixels(0, 0, width_, height_, GL_BGRA, GL_UNSIGNED_BYTE, cpuPixels_.data());
    for (uint32_t& pixel : cpuPixels_) pixel &= 0x00FFFFFFu;
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

void Compositor::uploadIfStale()
{
    if (!textureStale_) return;
    textureStale_ = false;
    glBindTexture(GL_TEXTURE_2D, clientTexture_);
    if (textureWidth_ != std::max(1, width_) || textureHeight_ != std::max(1, height_)) {
        textureWidth_ = std::max(1, width_);
        textureHeight_ = std::max(1, height_);
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, textureWidth_, textureHeight_, 0, GL_BGRA, GL_UNSIGNED_BYTE,
                     nullptr);
        glBindFramebuffer(GL_FRAMEBUFFER, clientFramebuffer_);
        glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, clientTexture_, 0);
    }
    if (width_ > 0 && height_ > 0)
        glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, width_, height_, GL_BGRA, GL_UNSIGNED_BYTE, cpuPixels_.data());
}

void Compositor::drawQuad(unsigned texture, bool linear)
{
    glUseProgram(program_);
    glUniform1i(flipLocation_, 1);
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
        // GDI's copy is kept only while it is the newest content.
        uploadIfStale();
        if (width_ > 0 && height_ > 0) {
            glBindFramebuffer(GL_FRAMEBUFFER, clientFramebuffer_);
            glViewport(0, 0, width_, height_);
            drawQuad(texture, width != width_ || height != height_);
            cpuValid_ = false;
        }
    }
    composite(true);
}

void Compositor::composite(bool swap)
{
    SavedState saved;
    if (!makeCurrent()) return;
    saved.captureGl();
    uploadIfStale();
    int drawableWidth = 0, drawableHeight = 0;
    SDL_GL_GetDrawableSize(sdl_, &drawableWidth, &drawableHeight);
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    glViewport(0, 0, drawableWidth, drawableHeight);
    glClearColor(1.0f, 1.0f, 1.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    if (width_ > 0 && height_ > 0) {
        glViewport(area_.left, drawableHeight - area_.top - height_, width_, height_);
        drawQuad(clientTexture_, false);
    }
    drawOverlay(drawableWidth, drawableHeight);
    if (swap && shown_) SDL_GL_SwapWindow(sdl_);
}

void Compositor::drawOverlay(int drawableWidth, int drawableHeight)
{
    if (area_.top <= 0 && !painter_) return;
    ImGui::SetCurrentContext(imgui_);
    ImGuiIO& io = ImGui::GetIO();
    io.DisplaySize = ImVec2(static_cast<float>(drawableWidth), static_cast<float>(drawableHeight));
    io.DeltaTime = 1.0f / 60.0f;
    ImGui_ImplOpenGL3_NewFrame();
    ImGui::NewFrame();
    if (area_.top > 0) paintMenuStrip(window_, *this, ImGui::GetForegroundDrawList());
    if (painter_) painter_(window_, ImGui::GetForegroundDrawList(), painterFont_ ? painterFont_ : ImGui::GetFont());
    ImGui::Render();
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
