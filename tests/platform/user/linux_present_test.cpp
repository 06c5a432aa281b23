// Direct3D's frames on a window of the Linux layer: a frame of the client's
// size lands pixel for pixel, upright, below the strip; the menu strip, kept
// between frames, still follows every change of the menu; a frame drawn
// straight into the window's back buffer keeps the strip and is taken back
// when GDI or a repaint needs the client, and reaches the screen whole while
// the next frame is already being drawn. Linux only.
#include <gtest/gtest.h>

#include "tests/platform/user/linux_support.h"
#include "tests/support/png_writer.h"

#include <SDL.h>
#include <SDL_syswm.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <epoxy/gl.h>

#include <algorithm>
#include <string>

namespace {

using usertest::pixelAt;

constexpr int kClientWidth = 500;
constexpr int kClientHeight = 375;
constexpr uint32_t kBlue = 0x000000FFu, kGreen = 0x0000FF00u, kRed = 0x00FF0000u, kGray = 0x00808080u;

// A client-sized texture in GL's order (row 0 at the bottom), one colour a
// quadrant: blue top left, green top right, red bottom left, gray bottom right,
// the quadrants' edges at client row kClientHeight / 2 and column kClientWidth / 2.
GLuint quadrantTexture()
{
    std::vector<uint32_t> texels(static_cast<size_t>(kClientWidth) * kClientHeight);
    for (int y = 0; y < kClientHeight; ++y)
        for (int x = 0; x < kClientWidth; ++x) {
            const bool top = kClientHeight - 1 - y < kClientHeight / 2, left = x < kClientWidth / 2;
            const uint32_t rgb = top ? (left ? kBlue : kGreen) : (left ? kRed : kGray);
            // BGRA bytes, alpha 0: the window shows no alpha.
            texels[static_cast<size_t>(y) * kClientWidth + x] = rgb;
        }
    GLuint texture = 0;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, kClientWidth, kClientHeight, 0, GL_BGRA, GL_UNSIGNED_BYTE,
                 texels.data());
    return texture;
}

class UserLinuxPresent : public ::testing::Test {
protected:
    void SetUp() override
    {
        strip = GetSystemMetrics(SM_CYMENU);
        menu = LoadMenuA(usertest::programInstance(), MAKEINTRESOURCE(141));
        ASSERT_NE(menu, nullptr);
        window = windows.create(WS_OVERLAPPEDWINDOW | WS_VISIBLE, kClientWidth, kClientHeight, menu);
        ASSERT_NE(window, nullptr);
        usertest::pumpReady();
        ASSERT_TRUE(platform::makeGlContextCurrent(window));
        texture = quadrantTexture();
    }
    void TearDown() override
    {
        if (texture && platform::makeGlContextCurrent(window)) glDeleteTextures(1, &texture);
    }

    // Frames as the device presents them, then what the window shows.
    std::vector<uint32_t> presentFrames(int count)
    {
        for (int i = 0; i < count; ++i) platform::presentTexture(window, texture, kClientWidth, kClientHeight);
        std::vector<uint32_t> pixels;
        EXPECT_TRUE(q31automation::readFrame(window, &pixels, &width, &height));
        return pixels;
    }

    // Columns of bar item `index` with text darker than `level` in the blue channel.
    int darkColumns(const std::vector<uint32_t>& pixels, int index, int level)
    {
        RECT box{};
        EXPECT_TRUE(q31automation::menuBarItemRect(window, index, &box));
        int columns = 0;
        for (int x = box.left; x < box.right; ++x) {
            bool dark = false;
            for (int y = 0; y < strip; ++y) dark = dark || int(pixelAt(pixels, width, x, y) & 0xFF) < level;
            columns += dark ? 1 : 0;
        }
        return columns;
    }

    // The darkest blue channel in bar item `index`: about 0 for black text,
    // 0x6D for grayed.
    int darkest(const std::vector<uint32_t>& pixels, int index)
    {
        RECT box{};
        EXPECT_TRUE(q31automation::menuBarItemRect(window, index, &box));
        int level = 0xFF;
        for (int x = box.left; x < box.right; ++x)
            for (int y = 0; y < strip; ++y) level = std::min(level, int(pixelAt(pixels, width, x, y) & 0xFF));
        return level;
    }

    usertest::SeamOn seam;
    usertest::RecordingWindows windows;
    HMENU menu = nullptr;
    HWND window = nullptr;
    GLuint texture = 0;
    int strip = 0;
    int width = 0, height = 0;
};

TEST_F(UserLinuxPresent, AClientSizedFrameLandsPixelForPixelAndLeavesTheCallersState)
{
    GLuint framebuffer = 0;
    glGenFramebuffers(1, &framebuffer);
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
    glScissor(3, 4, 5, 6);
    glEnable(GL_SCISSOR_TEST);
    glClearColor(0.25f, 0.5f, 0.75f, 1.0f);

    const std::vector<uint32_t> pixels = presentFrames(1);
    GLint drawn = 0, read = 0, box[4] = {};
    glGetIntegerv(GL_DRAW_FRAMEBUFFER_BINDING, &drawn);
    glGetIntegerv(GL_READ_FRAMEBUFFER_BINDING, &read);
    glGetIntegerv(GL_SCISSOR_BOX, box);
    EXPECT_EQ(drawn, GLint(framebuffer));
    EXPECT_EQ(read, GLint(framebuffer));
    EXPECT_EQ(box[0], 3);
    EXPECT_EQ(box[3], 6);
    EXPECT_TRUE(glIsEnabled(GL_SCISSOR_TEST));
    GLfloat clear[4] = {};
    glGetFloatv(GL_COLOR_CLEAR_VALUE, clear);
    EXPECT_EQ(clear[1], 0.5f);
    glDeleteFramebuffers(1, &framebuffer);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));

    ASSERT_EQ(width, kClientWidth);
    ASSERT_EQ(height, kClientHeight + strip);
    q31test::writePng(std::string(Q31_TEST_OUTPUT_DIR) + "/present_quadrants.png", pixels, width, height);
    // Every edge pixel of each quadrant, exactly: a plain copy, no filtering.
    const int top = strip, bottom = height - 1, middleX = kClientWidth / 2, middleY = strip + kClientHeight / 2;
    EXPECT_EQ(pixelAt(pixels, width, 0, top), kBlue);
    EXPECT_EQ(pixelAt(pixels, width, middleX - 1, middleY - 1), kBlue);
    EXPECT_EQ(pixelAt(pixels, width, middleX, top), kGreen);
    EXPECT_EQ(pixelAt(pixels, width, kClientWidth - 1, middleY - 1), kGreen);
    EXPECT_EQ(pixelAt(pixels, width, 0, middleY), kRed);
    EXPECT_EQ(pixelAt(pixels, width, middleX - 1, bottom), kRed);
    EXPECT_EQ(pixelAt(pixels, width, middleX, middleY), kGray);
    EXPECT_EQ(pixelAt(pixels, width, kClientWidth - 1, bottom), kGray);
    // The strip above, in its own colour, not the frame's.
    EXPECT_EQ(pixelAt(pixels, width, kClientWidth - 1, 0), 0x00F0F0F0u);
    EXPECT_EQ(pixelAt(pixels, width, kClientWidth - 1, strip - 1), 0x00F0F0F0u);
    // GDI's copy of the client is what Direct3D drew, top row first.
    platform::ClientPixels client{};
    ASSERT_TRUE(platform::lockClientPixels(window, &client));
    EXPECT_EQ(client.pixels[0], kBlue);
    EXPECT_EQ(client.pixels[static_cast<size_t>(client.width) * (client.height - 1) + client.width - 1], kGray);
    platform::unlockClientPixels(window);
}

TEST_F(UserLinuxPresent, TheStripFollowsMenuChangesBetweenPresentedFrames)
{
    const std::vector<uint32_t> before = presentFrames(3);
    ASSERT_GT(darkColumns(before, 0, 0x40), 8);
    EXPECT_LT(darkest(before, 0), 0x40);

    // Grayed: "File" loses its black text, "Help" stays as it was.
    EnableMenuItem(menu, 0, MF_BYPOSITION | MF_GRAYED);
    DrawMenuBar(window);
    const std::vector<uint32_t> grayed = presentFrames(2);
    EXPECT_GE(darkest(grayed, 0), 0x60);
    EXPECT_LE(darkest(grayed, 0), 0x80);
    EXPECT_EQ(darkColumns(grayed, 1, 0x40), darkColumns(before, 1, 0x40));

    // A new item appears where the strip was empty.
    HMENU extra = CreatePopupMenu();
    AppendMenuA(extra, MF_STRING, 1234, "&Item");
    ASSERT_TRUE(AppendMenuA(menu, MF_POPUP | MF_STRING, reinterpret_cast<UINT_PTR>(extra), "&Extra"));
    DrawMenuBar(window);
    const std::vector<uint32_t> appended = presentFrames(2);
    EXPECT_GT(darkColumns(appended, 2, 0x40), 8);

    // The program's menu again, as loaded: the same pixels as the first frames.
    HMENU fresh = LoadMenuA(usertest::programInstance(), MAKEINTRESOURCE(141));
    ASSERT_TRUE(SetMenu(window, fresh));
    DestroyMenu(menu);
    menu = fresh;
    const std::vector<uint32_t> restored = presentFrames(2);
    ASSERT_EQ(restored.size(), before.size());
    int differing = 0;
    for (size_t i = 0; i < static_cast<size_t>(strip) * static_cast<size_t>(width); ++i)
        differing += restored[i] != before[i] ? 1 : 0;
    EXPECT_EQ(differing, 0);
}

// Draws straight into the window: the whole window red (the strip band too),
// the client's top-left quadrant blue, as Direct3D's clears would.
void drawIntoWindow(HWND window, POINT origin)
{
    platform::beginDirectFrame(window);
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    glDisable(GL_SCISSOR_TEST);
    glClearColor(1.0f, 0.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    glEnable(GL_SCISSOR_TEST);
    glScissor(origin.x, origin.y + kClientHeight - kClientHeight / 2, kClientWidth / 2, kClientHeight / 2);
    glClearColor(0.0f, 0.0f, 1.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    glDisable(GL_SCISSOR_TEST);
}

TEST_F(UserLinuxPresent, AFrameDrawnIntoTheWindowKeepsTheStripAndIsTakenBackWhenNeeded)
{
    POINT origin{-1, -1};
    EXPECT_FALSE(platform::directFrameTarget(window, kClientWidth - 1, kClientHeight, 24, 8, &origin));
    EXPECT_FALSE(platform::directFrameTarget(window, kClientWidth, kClientHeight, 32, 0, &origin))
        << "more depth than the window has";
    ASSERT_TRUE(platform::directFrameTarget(window, kClientWidth, kClientHeight, 16, 0, &origin));
    EXPECT_EQ(origin.x, 0);
    EXPECT_EQ(origin.y, 0) << "the client reaches the window's bottom edge";

    const auto expectFrame = [&](const std::vector<uint32_t>& pixels, const char* when) {
        SCOPED_TRACE(when);
        ASSERT_EQ(height, kClientHeight + strip);
        EXPECT_EQ(pixelAt(pixels, width, kClientWidth - 1, 0), 0x00F0F0F0u) << "the strip is drawn again";
        EXPECT_EQ(pixelAt(pixels, width, kClientWidth - 1, strip - 1), 0x00F0F0F0u);
        EXPECT_EQ(pixelAt(pixels, width, 0, strip), kBlue);
        EXPECT_EQ(pixelAt(pixels, width, kClientWidth / 2 - 1, strip + kClientHeight / 2 - 1), kBlue);
        EXPECT_EQ(pixelAt(pixels, width, kClientWidth / 2, strip), kRed);
        EXPECT_EQ(pixelAt(pixels, width, 0, strip + kClientHeight / 2), kRed);
        EXPECT_EQ(pixelAt(pixels, width, kClientWidth - 1, height - 1), kRed);
    };
    drawIntoWindow(window, origin);
    platform::presentDirectFrame(window);
    std::vector<uint32_t> pixels;
    ASSERT_TRUE(q31automation::readFrame(window, &pixels, &width, &height));
    expectFrame(pixels, "presented");
    q31test::writePng(std::string(Q31_TEST_OUTPUT_DIR) + "/present_direct.png", pixels, width, height);

    // GDI reads the frame back from the window, top row first, and what it
    // paints shows over it.
    platform::ClientPixels client{};
    ASSERT_TRUE(platform::lockClientPixels(window, &client));
    ASSERT_EQ(client.width, kClientWidth);
    EXPECT_EQ(client.pixels[0], kBlue);
    EXPECT_EQ(client.pixels[static_cast<size_t>(client.width) * (client.height - 1) + client.width - 1], kRed);
    client.pixels[static_cast<size_t>(client.width) * (client.height - 1)] = kGreen;
    platform::unlockClientPixels(window);
    ASSERT_TRUE(q31automation::readFrame(window, &pixels, &width, &height));
    expectFrame(pixels, "after GDI");
    EXPECT_EQ(pixelAt(pixels, width, 0, height - 1), kGreen);

    // A Present that drew nothing repeats what the client shows.
    platform::presentDirectFrame(window);
    ASSERT_TRUE(q31automation::readFrame(window, &pixels, &width, &height));
    expectFrame(pixels, "presented again");
    EXPECT_EQ(pixelAt(pixels, width, 0, height - 1), kGreen);

    // A frame drawn again into the window replaces GDI's pixel; an offscreen
    // frame after it is shown as ever.
    drawIntoWindow(window, origin);
    platform::presentDirectFrame(window);
    ASSERT_TRUE(q31automation::readFrame(window, &pixels, &width, &height));
    expectFrame(pixels, "drawn again");

    // GDI painting in the middle of a frame drawn into the window: the frame
    // goes on over what GDI painted, and Present shows both.
    platform::beginDirectFrame(window);
    ASSERT_TRUE(platform::lockClientPixels(window, &client));
    EXPECT_EQ(client.pixels[0], kBlue);
    client.pixels[static_cast<size_t>(client.width) * (client.height - 1)] = kGreen;
    platform::unlockClientPixels(window);
    ASSERT_TRUE(platform::makeGlContextCurrent(window));
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    glEnable(GL_SCISSOR_TEST);
    glScissor(origin.x + kClientWidth - 10, origin.y + kClientHeight - 10, 10, 10);
    glClearColor(0.5f, 0.5f, 0.5f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    glDisable(GL_SCISSOR_TEST);
    platform::presentDirectFrame(window);
    ASSERT_TRUE(q31automation::readFrame(window, &pixels, &width, &height));
    EXPECT_EQ(pixelAt(pixels, width, 0, height - 1), kGreen);
    EXPECT_EQ(pixelAt(pixels, width, kClientWidth - 1, strip), 0x00808080u);
    EXPECT_EQ(pixelAt(pixels, width, 0, strip), kBlue);
    EXPECT_EQ(pixelAt(pixels, width, kClientWidth - 1, 0), 0x00F0F0F0u);

    const std::vector<uint32_t> quadrants = presentFrames(1);
    EXPECT_EQ(pixelAt(quadrants, width, kClientWidth - 1, height - 1), kGray);
    EXPECT_EQ(pixelAt(quadrants, width, 0, strip), kBlue);
}

// What the X server shows of the window (its front buffer, not the back
// buffer that readFrame composites into): 0x00RRGGBB at client pixel (x, y).
class ScreenImage {
public:
    explicit ScreenImage(HWND window)
    {
        SDL_SysWMinfo info;
        SDL_VERSION(&info.version);
        SDL_Window* sdl = platform::sdlWindowOf(window);
        if (!sdl || !SDL_GetWindowWMInfo(sdl, &info) || info.subsystem != SDL_SYSWM_X11) return;
        int width = 0, height = 0;
        SDL_GetWindowSize(sdl, &width, &height);
        image_ = XGetImage(info.info.x11.display, info.info.x11.window, 0, 0, unsigned(width), unsigned(height),
                           AllPlanes, ZPixmap);
    }
    ~ScreenImage()
    {
        if (image_) XDestroyImage(image_);
    }
    ScreenImage(const ScreenImage&) = delete;
    ScreenImage& operator=(const ScreenImage&) = delete;
    bool valid() const { return image_ != nullptr; }
    uint32_t at(int x, int y) const { return uint32_t(XGetPixel(image_, x, y)) & 0x00FFFFFFu; }

private:
    XImage* image_ = nullptr;
};

void clearClient(POINT origin, float red, float green, float blue)
{
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    glEnable(GL_SCISSOR_TEST);
    glScissor(origin.x, origin.y, kClientWidth, kClientHeight);
    glClearColor(red, green, blue, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    glDisable(GL_SCISSOR_TEST);
}

TEST_F(UserLinuxPresent, AFrameInFlightReachesTheScreenWholeWhileTheNextIsDrawn)
{
    POINT origin{};
    ASSERT_TRUE(platform::directFrameTarget(window, kClientWidth, kClientHeight, 24, 8, &origin));
    const auto expectScreen = [&](uint32_t colour, const char* when) {
        SCOPED_TRACE(when);
        platform::finishPresenting(window);
        const ScreenImage screen(window);
        ASSERT_TRUE(screen.valid());
        EXPECT_EQ(screen.at(kClientWidth - 1, 0), 0x00F0F0F0u) << "the strip";
        for (const POINT p : {POINT{0, 0}, POINT{kClientWidth - 1, 0}, POINT{kClientWidth / 2, kClientHeight / 2},
                              POINT{0, kClientHeight - 1}, POINT{kClientWidth - 1, kClientHeight - 1}})
            EXPECT_EQ(screen.at(p.x, strip + p.y), colour) << p.x << "," << p.y;
    };

    // The frame presented last is the one on the screen, whole, though it
    // takes the rasteriser a while (a hundred clears, the last one red) and
    // the next frame's drawing came before its swap could finish.
    for (int frame = 0; frame < 3; ++frame) {
        platform::beginDirectFrame(window);
        for (int i = 100; i >= 0; --i) clearClient(origin, 1.0f, i % 2 ? 1.0f : 0.0f, 0.0f);
        platform::presentDirectFrame(window);
        platform::beginDirectFrame(window);
        for (int i = 0; i < 100; ++i) clearClient(origin, 0.0f, i % 2 ? 1.0f : 0.5f, 0.0f);
        expectScreen(kRed, "the red frame, the green one drawn meanwhile");
        platform::presentDirectFrame(window);
        expectScreen(kGreen, "the green frame");
    }

    // What reads the window waits for the frame in flight and sees it.
    platform::beginDirectFrame(window);
    clearClient(origin, 0.0f, 0.0f, 1.0f);
    platform::presentDirectFrame(window);
    std::vector<uint32_t> pixels;
    ASSERT_TRUE(q31automation::readFrame(window, &pixels, &width, &height));
    EXPECT_EQ(pixelAt(pixels, width, kClientWidth / 2, strip + kClientHeight / 2), kBlue);
    expectScreen(kBlue, "read back");
}

}  // namespace
