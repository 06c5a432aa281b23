// D3DXCreateTextureFromFileA on a real device: files written by the test,
// the texture's size, format, pool and levels, and texels read back from
// level 0 and the generated levels; every failure leaves no texture.
#include "assets/d3dx_texture.h"
#include "assets/texture_levels.h"

#include "tests/assets/image_test_files.h"
#include "tests/assets/jpeg_samples.h"
#include "tests/assets/texture_device.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

namespace {

using imagetest::Bytes;
using q31test::encodePng;

constexpr uint32_t kRgb = 0x00ffffff;

TEST_F(TextureFromFile, OpaquePngGivesAnX8R8G8B8ManagedTextureWithBoxFilteredLevels)
{
    const Bytes rows = {0, 0,  0,  0,  40, 80, 120, 200, 0, 0, 100, 100, 100,
                        0, 80, 40, 0, 0,  0,  40,  0,   200, 0, 100, 100, 104};
    ASSERT_EQ(load("rgb.png", encodePng(4, 2, 8, 2, rows)), D3D_OK);
    ASSERT_EQ(texture->GetLevelCount(), 3u);
    const D3DSURFACE_DESC top = levelDesc(0);
    EXPECT_EQ(top.Format, D3DFMT_X8R8G8B8);
    EXPECT_EQ(top.Pool, D3DPOOL_MANAGED);
    EXPECT_EQ(top.Width, 4u);
    EXPECT_EQ(top.Height, 2u);
    EXPECT_EQ(levelDesc(1).Width, 2u);
    EXPECT_EQ(levelDesc(1).Height, 1u);
    EXPECT_EQ(levelDesc(2).Width, 1u);

    const std::vector<uint32_t> level0 = texels(0);
    EXPECT_EQ(level0[1] & kRgb, 0x285078u);
    EXPECT_EQ(level0[4] & kRgb, 0x502800u);
    EXPECT_EQ(level0[7] & kRgb, 0x646468u);
    const std::vector<uint32_t> level1 = texels(1);
    EXPECT_EQ(level1[0] & kRgb, 0x1e1e28u);  // (30, 30, 40)
    EXPECT_EQ(level1[1] & kRgb, 0x646433u);  // (100, 100, 51)
    EXPECT_EQ(texels(2)[0] & kRgb, 0x41412eu);  // (65, 65, 45.5 rounded up)
}

TEST_F(TextureFromFile, AlphaInTheFileGivesA8R8G8B8AndFiltersAlphaToo)
{
    const Bytes rows = {0, 255, 0, 0, 0, 255, 0, 0, 200, 0, 0, 0, 255, 100, 0, 0, 255, 100};
    ASSERT_EQ(load("rgba.png", encodePng(2, 2, 8, 6, rows)), D3D_OK);
    EXPECT_EQ(levelDesc(0).Format, D3DFMT_A8R8G8B8);
    ASSERT_EQ(texture->GetLevelCount(), 2u);
    const std::vector<uint32_t> level0 = texels(0);
    EXPECT_EQ(level0[0], 0x00ff0000u);
    EXPECT_EQ(level0[1], 0xc8ff0000u);
    EXPECT_EQ(level0[2], 0x640000ffu);
    EXPECT_EQ(texels(1)[0], 0x64800080u);  // alpha (0 + 200 + 100 + 100) / 4
}

TEST_F(TextureFromFile, JpegAndBmpFilesMakeTexturesToo)
{
    ASSERT_EQ(load("two.jpg", Bytes(kJpegBaseline, kJpegBaseline + sizeof kJpegBaseline)), D3D_OK);
    EXPECT_EQ(levelDesc(0).Format, D3DFMT_X8R8G8B8);
    EXPECT_EQ(levelDesc(0).Width, 16u);
    ASSERT_EQ(texture->GetLevelCount(), 5u);
    // Level 1 is 8 x 4: four columns of each colour.
    const std::vector<uint32_t> half = texels(1);
    for (int x : {0, 3, 4, 7}) {
        const uint32_t expected = x < 4 ? 0xc82828u : 0x283cc8u;
        for (int shift : {0, 8, 16})
            EXPECT_NEAR(int((half[size_t(8 + x)] >> shift) & 0xff), int((expected >> shift) & 0xff), 3) << x;
    }
    texture->Release();
    texture = nullptr;

    imagetest::BmpSpec bmp;
    bmp.width = 1;
    bmp.height = 2;
    bmp.bitCount = 32;
    bmp.infoSize = 108;
    bmp.compression = 3;
    bmp.masks = {0x00ff0000, 0x0000ff00, 0x000000ff, 0xff000000};
    bmp.pixels = {1, 2, 3, 4, 5, 6, 7, 8};  // bottom row first
    ASSERT_EQ(load("alpha.bmp", imagetest::bmpFile(bmp)), D3D_OK);
    EXPECT_EQ(levelDesc(0).Format, D3DFMT_A8R8G8B8);
    EXPECT_EQ(texels(0)[0], 0x08070605u);
    EXPECT_EQ(texels(1)[0], 0x06050403u);
}

TEST_F(TextureFromFile, OtherSizesKeepTheirSizeAndHalveDownToOne)
{
    if (caps.TextureCaps & D3DPTEXTURECAPS_POW2) GTEST_SKIP() << "device requires powers of two";
    imagetest::BmpSpec bmp;
    bmp.width = 5;
    bmp.height = 3;
    for (int y = 0; y < 3; ++y) {
        for (int x = 0; x < 5; ++x) bmp.pixels.insert(bmp.pixels.end(), {0, 0, uint8_t(50 * x)});
        bmp.pixels.push_back(0);  // pad to 16 bytes
    }
    ASSERT_EQ(load("odd.bmp", imagetest::bmpFile(bmp)), D3D_OK);
    ASSERT_EQ(texture->GetLevelCount(), 3u);
    EXPECT_EQ(levelDesc(0).Width, 5u);
    EXPECT_EQ(levelDesc(0).Height, 3u);
    EXPECT_EQ(levelDesc(1).Width, 2u);
    EXPECT_EQ(levelDesc(1).Height, 1u);
    const std::vector<uint32_t> level1 = texels(1);
    EXPECT_EQ(level1[0] & kRgb, 0x280000u);  // red 40
    EXPECT_EQ(level1[1] & kRgb, 0xa00000u);  // red 160
}

// A file loaded again is copied from the levels kept from the first load;
// what the texture holds must not tell the two loads apart, and a file edited
// in place (same name, same length) must give its new texels.
TEST_F(TextureFromFile, AFileLoadedAgainGivesEqualLevelsAndAnEditedFileItsNewOnes)
{
    imagetest::BmpSpec bmp;
    bmp.width = 4;
    bmp.height = 2;
    for (int i = 0; i < 8; ++i) bmp.pixels.insert(bmp.pixels.end(), {uint8_t(30 * i), uint8_t(200 - 20 * i), 77});
    auto allLevels = [this] {
        std::vector<std::vector<uint32_t>> levels;
        for (UINT level = 0; level < texture->GetLevelCount(); ++level) levels.push_back(texels(level));
        return levels;
    };

    ASSERT_EQ(load("again.bmp", imagetest::bmpFile(bmp)), D3D_OK);
    const std::vector<std::vector<uint32_t>> first = allLevels();
    ASSERT_EQ(first.size(), 3u);
    IDirect3DTexture9* firstTexture = texture;
    texture = nullptr;

    ASSERT_EQ(load("again.bmp", imagetest::bmpFile(bmp)), D3D_OK);
    EXPECT_NE(texture, firstTexture);
    EXPECT_EQ(allLevels(), first);
    // Each load is a texture of its own: writing one leaves the other.
    D3DLOCKED_RECT locked;
    ASSERT_EQ(texture->LockRect(0, &locked, nullptr, 0), D3D_OK);
    *static_cast<uint32_t*>(locked.pBits) = 0x12345678u;
    ASSERT_EQ(texture->UnlockRect(0), D3D_OK);
    std::swap(texture, firstTexture);
    EXPECT_EQ(allLevels(), first);
    std::swap(texture, firstTexture);
    EXPECT_EQ(firstTexture->Release(), 0u);
    texture->Release();
    texture = nullptr;

    bmp.pixels[0] = 250;  // the first texel's blue; the file keeps its length
    ASSERT_EQ(load("again.bmp", imagetest::bmpFile(bmp)), D3D_OK);
    const std::vector<std::vector<uint32_t>> edited = allLevels();
    ASSERT_EQ(edited.size(), first.size());
    EXPECT_NE(edited[0], first[0]);
    EXPECT_NE(edited[2], first[2]);  // the smallest level is made afresh too
    EXPECT_EQ(edited[0][1], first[0][1]);
}

TEST_F(TextureFromFile, FailuresGiveTheirCodeAndNoTexture)
{
    texture = reinterpret_cast<IDirect3DTexture9*>(uintptr_t(0x20));
    EXPECT_EQ(D3DXCreateTextureFromFileA(device, "q31tex_missing.png", &texture), HRESULT(0x80070002));
    EXPECT_EQ(texture, nullptr);
    EXPECT_EQ(D3DXCreateTextureFromFileA(device, "q31tex_no_folder\\x.png", &texture), HRESULT(0x80070003));
    EXPECT_EQ(D3DXCreateTextureFromFileA(nullptr, "q31tex_missing.png", &texture), D3DERR_INVALIDCALL);
    EXPECT_EQ(D3DXCreateTextureFromFileA(device, nullptr, &texture), D3DERR_INVALIDCALL);
    EXPECT_EQ(D3DXCreateTextureFromFileA(device, "x.png", nullptr), D3DERR_INVALIDCALL);

    const Bytes png = encodePng(2, 2, 8, 2, {0, 1, 2, 3, 4, 5, 6, 0, 1, 2, 3, 4, 5, 6});
    const Bytes jpeg(kJpegBaseline, kJpegBaseline + sizeof kJpegBaseline);
    const struct {
        const char* name;
        Bytes file;
    } bad[] = {{"empty.png", {}},
               {"text.png", {'n', 'o', 't', ' ', 'a', 'n', ' ', 'i', 'm', 'a', 'g', 'e'}},
               {"cut.png", imagetest::cut(png, png.size() - 20)},
               {"cut.jpg", imagetest::cut(jpeg, 630)},
               {"huge.png", encodePng(30000, 30000, 8, 2, {0, 1, 2, 3})}};
    for (const auto& b : bad) {
        EXPECT_EQ(load(b.name, b.file), D3DXERR_INVALIDDATA) << b.name;
        EXPECT_EQ(texture, nullptr) << b.name;
    }
}

TEST(TextureLevels, SizesFollowTheDevicesLimits)
{
    D3DCAPS9 caps = {};
    caps.TextureCaps = D3DPTEXTURECAPS_MIPMAP;
    caps.MaxTextureWidth = caps.MaxTextureHeight = 4096;
    TextureSize size = textureSizeFor(caps, 640, 480);
    EXPECT_EQ(size.width, 640u);
    EXPECT_EQ(size.height, 480u);
    EXPECT_EQ(size.levels, 10u);

    caps.TextureCaps |= D3DPTEXTURECAPS_POW2;
    size = textureSizeFor(caps, 640, 480);
    EXPECT_EQ(size.width, 1024u);
    EXPECT_EQ(size.height, 512u);
    EXPECT_EQ(size.levels, 11u);

    caps.TextureCaps |= D3DPTEXTURECAPS_SQUAREONLY;
    caps.MaxTextureWidth = caps.MaxTextureHeight = 256;
    size = textureSizeFor(caps, 640, 480);
    EXPECT_EQ(size.width, 256u);
    EXPECT_EQ(size.height, 256u);

    caps.TextureCaps = 0;  // no mipmaps: one level
    caps.MaxTextureWidth = 512;
    caps.MaxTextureHeight = 2048;
    size = textureSizeFor(caps, 2048, 1024);
    EXPECT_EQ(size.width, 512u);
    EXPECT_EQ(size.height, 256u);
    EXPECT_EQ(size.levels, 1u);

    EXPECT_EQ(fullMipLevelCount(1, 1), 1u);
    EXPECT_EQ(fullMipLevelCount(5, 3), 3u);
    EXPECT_EQ(fullMipLevelCount(1, 8192), 14u);
}

}  // namespace
