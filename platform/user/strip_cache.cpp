// The menu strip's texture and the test whether its draw data changed; see
// strip_cache.h.
#include "platform/user/strip_cache.h"

#include "platform/user/strip_raster.h"

#include <imgui.h>
#include <backends/imgui_impl_opengl3.h>


namespace platform::user {

namespace {

template <class T>
void append(std::vector<unsigned char>* out, const T& value)
{
    const auto* bytes = reinterpret_cast<const unsigned char*>(&value);
    out->insert(out->end(), bytes, bytes + sizeof value);
}

void appendBytes(std::vector<unsigned char>* out, const void* data, size_t size)
{
    const auto* bytes = static_cast<const unsigned char*>(data);
    out->insert(out->end(), bytes, bytes + size);
}

// Everything the renderer reads from `data`, field by field (the structs
// have padding).
void describe(const ImDrawData& data, std::vector<unsigned char>* out)
{
    out->clear();
    append(out, data.DisplaySize.x);
    append(out, data.CmdListsCount);
    for (int i = 0; i < data.CmdListsCount; ++i) {
        const ImDrawList& list = *data.CmdLists[i];
        append(out, list.CmdBuffer.Size);
        for (const ImDrawCmd& command : list.CmdBuffer) {
            append(out, command.ClipRect);
            append(out, command.TextureId);
            append(out, command.VtxOffset);
            append(out, command.IdxOffset);
            append(out, command.ElemCount);
            append(out, command.UserCallback);
        }
        append(out, list.VtxBuffer.Size);
        for (const ImDrawVert& vertex : list.VtxBuffer) {
            append(out, vertex.pos);
            append(out, vertex.uv);
            append(out, vertex.col);
        }
        append(out, list.IdxBuffer.Size);
        appendBytes(out, list.IdxBuffer.Data, sizeof(ImDrawIdx) * static_cast<size_t>(list.IdxBuffer.Size));
    }
}

}  // namespace

bool StripCache::ensureTarget(int width, int height)
{
    if (texture_ && width == width_ && height == height_) return true;
    if (!texture_) glGenTextures(1, &texture_);
    if (!framebuffer_) glGenFramebuffers(1, &framebuffer_);
    // RGB: what the window shows has no alpha.
    glBindTexture(GL_TEXTURE_2D, texture_);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB8, width, height, 0, GL_BGRA, GL_UNSIGNED_BYTE, nullptr);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, 0);
    GLint drawn = 0;
    glGetIntegerv(GL_DRAW_FRAMEBUFFER_BINDING, &drawn);
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, framebuffer_);
    glFramebufferTexture2D(GL_DRAW_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, texture_, 0);
    const bool complete = glCheckFramebufferStatus(GL_DRAW_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, static_cast<GLuint>(drawn));
    width_ = complete ? width : 0;
    height_ = complete ? height : 0;
    valid_ = false;
    return complete;
}

bool StripCache::recordIfChanged(const ImDrawData& data)
{
    describe(data, &scratch_);
    if (scratch_ == signature_) return false;
    signature_.swap(scratch_);
    return true;
}

void StripCache::render(ImDrawData* data)
{
    if (rasterizeDrawData(*data, atlasPixels(ImGui::GetIO().Fonts), width_, height_, &pixels_)) {
        glBindTexture(GL_TEXTURE_2D, texture_);
        glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, width_, height_, GL_BGRA, GL_UNSIGNED_BYTE, pixels_.data());
        return;
    }
    GLint drawn = 0;
    glGetIntegerv(GL_DRAW_FRAMEBUFFER_BINDING, &drawn);
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, framebuffer_);
    glViewport(0, 0, width_, height_);
    glClearColor(1.0f, 1.0f, 1.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    // The renderer maps DisplaySize onto the whole target: only the strip's
    // rows, at the same scale as in the window.
    const ImVec2 displaySize = data->DisplaySize;
    data->DisplaySize.y = static_cast<float>(height_);
    ImGui_ImplOpenGL3_RenderDrawData(data);
    data->DisplaySize = displaySize;
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, static_cast<GLuint>(drawn));
}

GLuint StripCache::update(ImDrawData* data, int width, int height)
{
    if (!data || width <= 0 || height <= 0 || !ensureTarget(width, height)) return 0;
    const bool changed = recordIfChanged(*data);
    if (changed || !valid_) render(data);
    valid_ = true;
    return texture_;
}

void StripCache::release()
{
    if (framebuffer_) glDeleteFramebuffers(1, &framebuffer_);
    if (texture_) glDeleteTextures(1, &texture_);
    framebuffer_ = texture_ = 0;
    width_ = height_ = 0;
    valid_ = false;
    signature_.clear();
}

}  // namespace platform::user
