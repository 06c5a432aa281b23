// What a compositor entry point must hand back unchanged: the caller's GL
// context, ImGui context and every GL state the compositor touches, so that
// Direct3D's state survives a present. Construct first, make the compositor's
// context current, then captureGl(); the destructor restores all of it.
#pragma once

#include <SDL.h>
#include <epoxy/gl.h>

struct ImGuiContext;

namespace platform::user {

class SavedState {
public:
    SavedState();
    ~SavedState();
    SavedState(const SavedState&) = delete;
    SavedState& operator=(const SavedState&) = delete;

    // Called once the compositor's context is current: records the state and
    // sets the neutral one the compositor draws with (no tests, no blending,
    // full colour mask, tightly packed pixel transfers).
    void captureGl();

private:
    void restoreGl();

    static constexpr GLenum kCapabilities[] = {GL_DEPTH_TEST,   GL_STENCIL_TEST, GL_BLEND,
                                               GL_CULL_FACE,    GL_SCISSOR_TEST, GL_FRAMEBUFFER_SRGB,
                                               GL_POLYGON_OFFSET_FILL};
    static constexpr size_t kCapabilityCount = sizeof kCapabilities / sizeof kCapabilities[0];

    SDL_Window* window_ = nullptr;
    SDL_GLContext context_ = nullptr;
    ImGuiContext* imgui_ = nullptr;
    bool captured_ = false;
    GLint drawFramebuffer_ = 0, readFramebuffer_ = 0, program_ = 0, activeTexture_ = 0, texture_ = 0;
    GLint sampler_ = 0, vertexArray_ = 0, viewport_[4] = {}, scissorBox_[4] = {};
    GLint unpackAlignment_ = 4, unpackRowLength_ = 0, packAlignment_ = 4, packRowLength_ = 0;
    GLint unpackBuffer_ = 0, packBuffer_ = 0;
    GLboolean colorMask_[4] = {GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE};
    GLfloat clearColor_[4] = {};
    GLboolean enabled_[kCapabilityCount] = {};
};

}  // namespace platform::user
