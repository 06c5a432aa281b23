// Saving and restoring the caller's contexts and GL state; see compositor_state.h.
#include "platform/user/compositor_state.h"

#include <imgui.h>

namespace platform::user {

SavedState::SavedState()
{
    window_ = SDL_GL_GetCurrentWindow();
    context_ = SDL_GL_GetCurrentContext();
    imgui_ = ImGui::GetCurrentContext();
}

SavedState::~SavedState()
{
    if (captured_) restoreGl();
    if (SDL_GL_GetCurrentContext() != context_) SDL_GL_MakeCurrent(window_, context_);
    ImGui::SetCurrentContext(imgui_);
}

void SavedState::captureGl()
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
    glGetIntegerv(GL_SCISSOR_BOX, scissorBox_);
    glGetIntegerv(GL_UNPACK_ALIGNMENT, &unpackAlignment_);
    glGetIntegerv(GL_UNPACK_ROW_LENGTH, &unpackRowLength_);
    glGetIntegerv(GL_PACK_ALIGNMENT, &packAlignment_);
    glGetIntegerv(GL_PACK_ROW_LENGTH, &packRowLength_);
    glGetIntegerv(GL_PIXEL_UNPACK_BUFFER_BINDING, &unpackBuffer_);
    glGetIntegerv(GL_PIXEL_PACK_BUFFER_BINDING, &packBuffer_);
    glGetBooleanv(GL_COLOR_WRITEMASK, colorMask_);
    glGetFloatv(GL_COLOR_CLEAR_VALUE, clearColor_);
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

void SavedState::restoreGl()
{
    for (size_t i = 0; i < kCapabilityCount; ++i) {
        if (enabled_[i])
            glEnable(kCapabilities[i]);
        else
            glDisable(kCapabilities[i]);
    }
    glColorMask(colorMask_[0], colorMask_[1], colorMask_[2], colorMask_[3]);
    glClearColor(clearColor_[0], clearColor_[1], clearColor_[2], clearColor_[3]);
    glBindBuffer(GL_PIXEL_UNPACK_BUFFER, static_cast<GLuint>(unpackBuffer_));
    glBindBuffer(GL_PIXEL_PACK_BUFFER, static_cast<GLuint>(packBuffer_));
    glPixelStorei(GL_UNPACK_ALIGNMENT, unpackAlignment_);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, unpackRowLength_);
    glPixelStorei(GL_PACK_ALIGNMENT, packAlignment_);
    glPixelStorei(GL_PACK_ROW_LENGTH, packRowLength_);
    glViewport(viewport_[0], viewport_[1], viewport_[2], viewport_[3]);
    glScissor(scissorBox_[0], scissorBox_[1], scissorBox_[2], scissorBox_[3]);
    // A name deleted while the state was saved (its device went) is not
    // brought back: binding it would leave an error for the caller's next check.
    if (vertexArray_ == 0 || glIsVertexArray(static_cast<GLuint>(vertexArray_)))
        glBindVertexArray(static_cast<GLuint>(vertexArray_));
    glActiveTexture(GL_TEXTURE0);
    if (sampler_ == 0 || glIsSampler(static_cast<GLuint>(sampler_))) glBindSampler(0, static_cast<GLuint>(sampler_));
    glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(texture_));
    glActiveTexture(static_cast<GLenum>(activeTexture_));
    if (program_ == 0 || glIsProgram(static_cast<GLuint>(program_))) glUseProgram(static_cast<GLuint>(program_));
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, static_cast<GLuint>(drawFramebuffer_));
    glBindFramebuffer(GL_READ_FRAMEBUFFER, static_cast<GLuint>(readFramebuffer_));
}

}  // namespace platform::user
