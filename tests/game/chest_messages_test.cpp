// What the player is told: the About box, and the one message of a start-up
// whose models are missing or broken; textures that are missing are not fatal.
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/kernel/data_root.h"
#include "render/mesh_object.h"
#include "render/texture_font.h"
#include "tests/game/chest_game_fixture.h"
#include "tests/render/media_folder.h"

namespace gametest {
namespace {

TEST_F(ChestGameTest, TheAboutBoxShowsFourLinesUnderItsOwnCaption)
{
    ASSERT_EQ(createGame(), S_OK);
    sendCommand(IDM_ABOUT);
    const auto boxes = q31automation::messageBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].caption, "About Quorvane3");
    EXPECT_EQ(boxes[0].type, UINT(MB_OK));
    EXPECT_EQ(boxes[0].owner, game->window);
    const std::string& text = boxes[0].text;
    EXPECT_EQ(text.find('\n'), std::string::npos);
    size_t breaks = 0;
    for (char c : text) breaks += c == '\r';
    EXPECT_EQ(breaks, 3u);
    const std::string firstLine = text.substr(0, text.find('\r'));
    EXPECT_EQ(firstLine.rfind("Quorvane31", 0), 0u);
    EXPECT_EQ(firstLine.substr(firstLine.size() - 13), " Version 3.13");
    EXPECT_NE(text.find("2008"), std::string::npos);
    EXPECT_NE(text.find('@'), std::string::npos);
    // The box neither resets nor changes the game.
    EXPECT_EQ(game->resetRequested, 0);
}

// Keeps the window as shown right after the first loading-text paint.
class LoadingShot : public TestChestGame {
public:
    LRESULT handleMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) override
    {
        const bool first = message == WM_PAINT && loading && pixels.empty();
        const LRESULT result = TestChestGame::handleMessage(hwnd, message, wParam, lParam);
        if (first) q31automation::readFrame(hwnd, &pixels, &width, &height);
        return result;
    }
    std::vector<uint32_t> pixels;
    int width = 0, height = 0;
};

TEST_F(ChestGameTest, TheLoadingTextIsPaintedInTheMiddleBeforeAnyDevice)
{
    auto* shot = new LoadingShot;
    game.reset(shot);
    ASSERT_EQ(game->create(GetModuleHandle(nullptr)), S_OK);
    pump();
    ASSERT_FALSE(shot->pixels.empty());
    // Dark text on the white class background, centred in the client area,
    // which is the frame's last 375 rows.
    const int top = shot->height - 375;
    ASSERT_GE(top, 0);
    int dark = 0, left = 500, right = 0, high = 375, low = 0;
    for (int y = 0; y < 375; ++y) {
        for (int x = 0; x < 500 && x < shot->width; ++x) {
            const uint32_t rgb = shot->pixels[size_t(top + y) * size_t(shot->width) + size_t(x)] & 0xFFFFFF;
            if (((rgb >> 16) & 0xFF) > 100 || ((rgb >> 8) & 0xFF) > 100 || (rgb & 0xFF) > 100) continue;
            ++dark;
            left = std::min(left, x), right = std::max(right, x), high = std::min(high, y), low = std::max(low, y);
        }
    }
    EXPECT_GT(dark, 40);
    EXPECT_NEAR((left + right) / 2.0, 250.0, 6.0);
    EXPECT_NEAR((high + low) / 2.0, 187.0, 6.0);
    EXPECT_GT(right - left, 80) << "one line of text";
    EXPECT_LT(low - high, 24);
}

// A game whose font could not be allocated in its constructor.
class FontlessChestGame : public TestChestGame {
public:
    FontlessChestGame()
    {
        delete font;
        font = nullptr;
    }
};

TEST_F(ChestGameTest, AFontThatCouldNotBeAllocatedEndsStartUpWithNotEnoughMemory)
{
    game = std::make_unique<FontlessChestGame>();
    EXPECT_EQ(game->create(GetModuleHandle(nullptr)), E_OUTOFMEMORY);
    pump();
    const auto boxes = q31automation::messageBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "Not enough memory.\n\nThis sample will now exit.");
    EXPECT_EQ(game->window, nullptr);
    EXPECT_EQ(game->device, nullptr);
}

TEST_F(ChestGameTest, AGameThatNeverStartedFreesItsFontWhenDestroyed)
{
    // As when Direct3D cannot be created: no window, so shutDown never runs.
    // The sanitizer build's leak check holds the font to account.
    game = std::make_unique<TestChestGame>();
    ASSERT_NE(game->font, nullptr);
    game.reset();
    SUCCEED();
}

class ChestMedia : public ChestGameTest {
protected:
    void SetUp() override
    {
        ChestGameTest::SetUp();
        ASSERT_TRUE(folder.ok());
        // Nothing to be found under the data root: only the current directory counts.
        platform::overrideSdkMediaRoot(nullptr);
    }
    void TearDown() override
    {
        ChestGameTest::TearDown();
        platform::restoreSdkMediaRoot();
    }

    // The game's models, and its textures when asked, in the subfolder "x".
    void copyMedia(bool textures)
    {
        namespace fs = std::filesystem;
        const fs::path source = fs::path(Q31_SOURCE_DIR) / "media";
        std::error_code error;
        fs::create_directories(folder.at("x"), error);
        for (const auto& entry : fs::directory_iterator(source, error)) {
            const std::string name = entry.path().filename().string();
            const bool model = entry.path().extension() == ".x";
            if (model || (textures && name != "README.md")) {
                fs::copy_file(entry.path(), fs::path(folder.at("x")) / name, fs::copy_options::overwrite_existing,
                              error);
            }
        }
    }

    void expectOneFatalMediaMessage()
    {
        const auto boxes = q31automation::messageBoxes();
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_EQ(boxes[0].text, "Could not load required media.\n\nThis sample will now exit.");
        EXPECT_EQ(boxes[0].caption, "Quorvane31");
        EXPECT_TRUE(boxes[0].type & MB_ICONERROR);
        // The window-close sequence ran, shutDown included.
        EXPECT_EQ(game->window, nullptr);
        EXPECT_EQ(game->device, nullptr);
        for (MeshObject* mesh : game->meshes) EXPECT_EQ(mesh, nullptr);
        EXPECT_EQ(game->font, nullptr);
    }

    rendertest::MediaFolder folder;
};

TEST_F(ChestMedia, NoModelsAnywhereEndStartUpWithOneMessage)
{
    EXPECT_EQ(createGame(), HRESULT(MediaMissing));
    expectOneFatalMediaMessage();
}

TEST_F(ChestMedia, ABrokenModelEndsStartUpWithTheSameMessage)
{
    copyMedia(true);
    std::ofstream(folder.at("x/Lever3t.x"), std::ios::trunc) << "xof 0303txt 0032\nMesh { 3; 0.0; broken";
    EXPECT_EQ(createGame(), HRESULT(MediaMissing));
    expectOneFatalMediaMessage();
}

TEST_F(ChestMedia, AModelThatFailsInTheSubfolderIsLoadedUnderItsPlainName)
{
    copyMedia(true);
    std::ofstream(folder.at("x/Lever3t.x"), std::ios::trunc) << "xof 0303txt 0032\nMesh { 3; 0.0; broken";
    std::filesystem::copy_file(std::filesystem::path(Q31_SOURCE_DIR) / "media" / "Lever3t.x", folder.at("Lever3t.x"));
    ASSERT_EQ(createGame(), S_OK);
    EXPECT_TRUE(q31automation::messageBoxes().empty());
    frame();
    EXPECT_EQ(drawableCopies(), MeshCount);
}

TEST_F(ChestMedia, ModelsInTheXSubfolderAreFoundAndMissingTexturesAreNotFatal)
{
    copyMedia(false);
    ASSERT_EQ(createGame(), S_OK);
    EXPECT_TRUE(q31automation::messageBoxes().empty());
    frame();
    EXPECT_EQ(drawableCopies(), MeshCount);
    POINT p;
    EXPECT_TRUE(pointOnLever(0, &p));
}

}  // namespace
}  // namespace gametest
