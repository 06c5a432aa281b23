// The menu strip drawn on the processor against the same draw data drawn by
// Dear ImGui's OpenGL 3 renderer under Mesa: fills, outlines, lines, text,
// translucency, clipping and edges through pixel centres come out alike.
// Draw data it cannot draw is refused. Linux only.
#include <gtest/gtest.h>

#include "platform/core/sdl_video.h"
#include "platform/user/strip_raster.h"
#include "tests/support/png_writer.h"

#include <SDL.h>
#include <backends/imgui_impl_opengl3.h>
#include <epoxy/gl.h>
#include <imgui.h>

#include <cstdlib>
#include <limits>
#include <string>
#include <vector>

namespace {

using platform::user::AtlasPixels;
using platform::user::rasterizeDrawData;

constexpr int kWidth = 160;
constexpr int kHeight = 40;

class StripRaster : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(platform::ensureSdlVideo()) << SDL_GetError();
        SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE);
        SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 3);
        SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 3);
        window_ = SDL_CreateWindow("strip raster", 0, 0, 16, 16, SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
        ASSERT_NE(window_, nullptr) << SDL_GetError();
        context_ = SDL_GL_CreateContext(window_);
        ASSERT_NE(context_, nullptr) << SDL_GetError();
        imgui_ = ImGui::CreateContext();
        ImGui::GetIO().IniFilename = nullptr;
        ASSERT_TRUE(ImGui_ImplOpenGL3_Init("#version 330 core"));
        backend_ = true;
        ImGui::GetIO().DisplaySize = ImVec2(float(kWidth), float(kHeight));
        ImGui_ImplOpenGL3_NewFrame();
        ImGui::NewFrame();
    }

    void TearDown() override
    {
        if (backend_) ImGui_ImplOpenGL3_Shutdown();
        if (imgui_) ImGui::DestroyContext(imgui_);
        if (context_) SDL_GL_DeleteContext(context_);
        if (window_) SDL_DestroyWindow(window_);
    }

    ImDrawList* list() { return ImGui::GetForegroundDrawList(); }

    AtlasPixels atlas() { return platform::user::atlasPixels(ImGui::GetIO().Fonts); }

    // What the OpenGL renderer draws over white into an RGB texture, read
    // back bottom-up as 0xAARRGGBB.
    std::vector<uint32_t> drawnByGl(ImDrawData* data)
    {
        GLuint texture = 0, framebuffer = 0;
        glGenTextures(1, &texture);
        glBindTexture(GL_TEXTURE_2D, texture);
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB8, kWidth, kHeight, 0, GL_BGRA, GL_UNSIGNED_BYTE, nullptr);
        glGenFramebuffers(1, &framebuffer);
        glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
        glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, texture, 0);
        glViewport(0, 0, kWidth, kHeight);
        glClearColor(1.0f, 1.0f, 1.0f, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT);
        ImGui_ImplOpenGL3_RenderDrawData(data);
        std::vector<uint32_t> pixels(size_t(kWidth) * kHeight);
        glReadPixels(0, 0, kWidth, kHeight, GL_BGRA, GL_UNSIGNED_BYTE, pixels.data());
        glBindFramebuffer(GL_FRAMEBUFFER, 0);
        glDeleteFramebuffers(1, &framebuffer);
        glDeleteTextures(1, &texture);
        return pixels;
    }

    SDL_Window* window_ = nullptr;
    SDL_GLContext context_ = nullptr;
    ImGuiContext* imgui_ = nullptr;
    bool backend_ = false;
};

int channelDifference(uint32_t a, uint32_t b)
{
    int most = 0;
    for (int shift = 0; shift < 24; shift += 8)
        most = std::max(most, std::abs(int((a >> shift) & 0xFF) - int((b >> shift) & 0xFF)));
    return most;
}

void writeBottomUp(const std::string& name, const std::vector<uint32_t>& pixels)
{
    std::vector<uint32_t> topDown(pixels.size());
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x)
            topDown[size_t(y) * kWidth + x] = pixels[size_t(kHeight - 1 - y) * kWidth + x] & 0x00FFFFFFu;
    q31test::writePng(std::string(Q31_TEST_OUTPUT_DIR) + "/" + name, topDown, kWidth, kHeight);
}

TEST_F(StripRaster, DrawsWhatTheGlRendererDraws)
{
    ImDrawList* draw = list();
    draw->AddRectFilled(ImVec2(0, 0), ImVec2(kWidth, 20), IM_COL32(240, 240, 240, 255));
    draw->AddRectFilled(ImVec2(4, 2), ImVec2(40, 18), IM_COL32(204, 232, 255, 255));
    draw->AddRect(ImVec2(4, 2), ImVec2(40, 18), IM_COL32(0, 120, 215, 255));
    draw->AddText(ImVec2(8, 4), IM_COL32(0, 0, 0, 255), "File Help");
    draw->AddLine(ImVec2(8, 16), ImVec2(14, 16), IM_COL32(0, 0, 0, 255), 1.0f);
    // Half-pixel corners put pixel centres on every edge.
    draw->AddRectFilled(ImVec2(60.5f, 22.5f), ImVec2(80.5f, 30.5f), IM_COL32(255, 0, 0, 128));
    draw->AddTriangleFilled(ImVec2(90, 22), ImVec2(100, 38), ImVec2(120, 25), IM_COL32(0, 128, 0, 255));
    draw->AddLine(ImVec2(125, 22), ImVec2(155, 38), IM_COL32(0, 0, 255, 255), 1.5f);
    draw->PushClipRect(ImVec2(10.7f, 24.2f), ImVec2(30.4f, 34.9f));
    draw->AddRectFilled(ImVec2(0, 20), ImVec2(50, 40), IM_COL32(128, 0, 128, 255));
    draw->PopClipRect();
    ImGui::Render();
    ImDrawData* data = ImGui::GetDrawData();
    ASSERT_NE(data, nullptr);

    std::vector<uint32_t> ours;
    ASSERT_TRUE(rasterizeDrawData(*data, atlas(), kWidth, kHeight, &ours));
    const std::vector<uint32_t> gl = drawnByGl(data);
    writeBottomUp("strip_raster_ours.png", ours);
    writeBottomUp("strip_raster_gl.png", gl);

    // Rounding of the blend and the filtering may differ by a few levels;
    // a pixel covered by one and not the other differs by far more.
    int differing = 0, worst = 0;
    for (size_t i = 0; i < ours.size(); ++i) {
        const int difference = channelDifference(ours[i], gl[i]);
        worst = std::max(worst, difference);
        if (difference > 3) ++differing;
        EXPECT_EQ(ours[i] >> 24, 0xFFu);
    }
    EXPECT_EQ(differing, 0) << "pixels differing by more than 3 levels; worst " << worst;
    // Drawn at all: the clipped purple stops at the clip rectangle.
    const auto at = [&](int x, int y) { return ours[size_t(kHeight - 1 - y) * kWidth + x] & 0x00FFFFFFu; };
    EXPECT_EQ(at(20, 30), 0x800080u);
    EXPECT_EQ(at(9, 30), 0xFFFFFFu);
    EXPECT_EQ(at(20, 36), 0xFFFFFFu);
}

TEST_F(StripRaster, DrawsNothingForDegenerateOrNonFiniteTriangles)
{
    const float nan = std::numeric_limits<float>::quiet_NaN(), huge = 1.0e30f;
    // Without the anti-aliased fringe, which ImGui draws even around a line.
    list()->Flags &= ~ImDrawListFlags_AntiAliasedFill;
    list()->AddTriangleFilled(ImVec2(10, 10), ImVec2(20, 20), ImVec2(30, 30), IM_COL32(0, 0, 0, 255));
    list()->AddTriangleFilled(ImVec2(nan, 0), ImVec2(20, 30), ImVec2(40, 5), IM_COL32(0, 0, 0, 255));
    list()->AddTriangleFilled(ImVec2(-huge, -huge), ImVec2(huge, -huge), ImVec2(0, huge), IM_COL32(0, 0, 0, 255));
    ImGui::Render();
    std::vector<uint32_t> pixels;
    ASSERT_TRUE(rasterizeDrawData(*ImGui::GetDrawData(), atlas(), kWidth, kHeight, &pixels));
    for (uint32_t pixel : pixels) ASSERT_EQ(pixel, 0xFFFFFFFFu);
}

TEST_F(StripRaster, RefusesCallbacksAndOtherTextures)
{
    list()->AddRectFilled(ImVec2(0, 0), ImVec2(10, 10), IM_COL32(0, 0, 0, 255));
    list()->AddCallback(ImDrawCallback_ResetRenderState, nullptr);
    ImGui::Render();
    std::vector<uint32_t> pixels;
    EXPECT_FALSE(rasterizeDrawData(*ImGui::GetDrawData(), atlas(), kWidth, kHeight, &pixels));

    ImGui::NewFrame();
    static int otherTexture;
    list()->AddImage(&otherTexture, ImVec2(0, 0), ImVec2(10, 10));
    ImGui::Render();
    EXPECT_FALSE(rasterizeDrawData(*ImGui::GetDrawData(), atlas(), kWidth, kHeight, &pixels));

    ImGui::NewFrame();
    ImGui::Render();
    AtlasPixels none;
    EXPECT_FALSE(rasterizeDrawData(*ImGui::GetDrawData(), none, kWidth, kHeight, &pixels));
}

}  // namespace
