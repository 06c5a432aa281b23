// The image decoders on files made in memory: each PNG colour type, JPEG
// variants, BMP layouts, and damaged or absurd files of each kind.
#include "assets/d3dx_texture.h"
#include "assets/image_decode.h"

#include "tests/assets/image_test_files.h"
#include "tests/assets/jpeg_samples.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

using imagetest::Bytes;
using imagetest::BmpSpec;
using q31test::encodePng;

HRESULT decode(const Bytes& file, Image* image) { return decodeImage(file.data(), file.size(), image); }

template <size_t N>
HRESULT decode(const unsigned char (&file)[N], Image* image)
{
    return decodeImage(file, N, image);
}

::testing::AssertionResult channelsNear(uint32_t got, uint32_t expected, int tolerance)
{
    for (int shift = 0; shift < 32; shift += 8) {
        const int a = int((got >> shift) & 0xff), b = int((expected >> shift) & 0xff);
        if (std::abs(a - b) > tolerance)
            return ::testing::AssertionFailure() << std::hex << "got 0x" << got << ", expected 0x" << expected;
    }
    return ::testing::AssertionSuccess();
}

// ---- PNG ----

TEST(PngDecoding, RgbIsOpaqueAndKeepsEveryChannel)
{
    // Row 0 unfiltered, row 1 with the Up filter (it repeats row 0 + 1).
    const Bytes rows = {0, 10, 20, 30, 40, 50, 60, 70, 80, 90, 2, 1, 1, 1, 1, 1, 1, 1, 1, 1};
    Image image;
    ASSERT_EQ(decode(encodePng(3, 2, 8, 2, rows), &image), S_OK);
    EXPECT_EQ(image.width, 3u);
    EXPECT_EQ(image.height, 2u);
    EXPECT_FALSE(image.hasAlpha);
    EXPECT_EQ(image.row(0)[0], 0xff0a141eu);
    EXPECT_EQ(image.row(0)[2], 0xff46505au);
    EXPECT_EQ(image.row(1)[1], 0xff29333du);
}

TEST(PngDecoding, RgbaAndGreyAlphaCarryAlpha)
{
    Image rgba;
    ASSERT_EQ(decode(encodePng(2, 1, 8, 6, {0, 1, 2, 3, 4, 250, 251, 252, 0}), &rgba), S_OK);
    EXPECT_TRUE(rgba.hasAlpha);
    EXPECT_EQ(rgba.row(0)[0], 0x04010203u);
    EXPECT_EQ(rgba.row(0)[1], 0x00fafbfcu);

    Image greyAlpha;
    ASSERT_EQ(decode(encodePng(1, 1, 8, 4, {0, 90, 128}), &greyAlpha), S_OK);
    EXPECT_TRUE(greyAlpha.hasAlpha);
    EXPECT_EQ(greyAlpha.row(0)[0], 0x805a5a5au);
}

TEST(PngDecoding, PalettesExpandAndTransparencyMakesAlpha)
{
    // 2-bit indices 0, 1, 2, 3 in one byte.
    const Bytes rows = {0, 0x1b};
    const imagetest::Bytes palette = {255, 0, 0, 0, 255, 0, 0, 0, 255, 9, 9, 9};
    Image opaque;
    ASSERT_EQ(decode(encodePng(4, 1, 2, 3, rows, {{"PLTE", palette}}), &opaque), S_OK);
    EXPECT_FALSE(opaque.hasAlpha);
    EXPECT_EQ(opaque.row(0)[0], 0xffff0000u);
    EXPECT_EQ(opaque.row(0)[1], 0xff00ff00u);
    EXPECT_EQ(opaque.row(0)[3], 0xff090909u);

    Image clear;
    ASSERT_EQ(decode(encodePng(4, 1, 2, 3, rows, {{"PLTE", palette}, {"tRNS", {255, 128}}}), &clear), S_OK);
    EXPECT_TRUE(clear.hasAlpha);
    EXPECT_EQ(clear.row(0)[0], 0xffff0000u);
    EXPECT_EQ(clear.row(0)[1], 0x8000ff00u);
    EXPECT_EQ(clear.row(0)[2], 0xff0000ffu);  // entries past tRNS stay opaque
}

TEST(PngDecoding, SmallGreyDepthsAndSixteenBitSamplesBecomeEightBits)
{
    Image bits;
    ASSERT_EQ(decode(encodePng(8, 1, 1, 0, {0, 0xb0}), &bits), S_OK);
    EXPECT_FALSE(bits.hasAlpha);
    EXPECT_EQ(bits.row(0)[0], 0xffffffffu);
    EXPECT_EQ(bits.row(0)[1], 0xff000000u);
    EXPECT_EQ(bits.row(0)[2], 0xffffffffu);
    EXPECT_EQ(bits.row(0)[7], 0xff000000u);

    // Samples that are multiples of 257 scale to exact 8-bit values.
    Image deep;
    ASSERT_EQ(decode(encodePng(2, 1, 16, 2, {0, 0xff, 0xff, 0, 0, 0x80, 0x80, 0x33, 0x33, 0x66, 0x66, 0x99, 0x99}),
                     &deep),
              S_OK);
    EXPECT_EQ(deep.row(0)[0], 0xffff0080u);
    EXPECT_EQ(deep.row(0)[1], 0xff336699u);
}

TEST(PngDecoding, DamagedFilesAreInvalidData)
{
    const Bytes rows = {0, 10, 20, 30, 40, 50, 60, 0, 1, 2, 3, 4, 5, 6};
    const Bytes good = encodePng(2, 2, 8, 2, rows);
    Image image;
    ASSERT_EQ(decode(good, &image), S_OK);

    for (size_t size : {size_t(8), size_t(20), size_t(33), good.size() - 20, good.size() - 12})
        EXPECT_EQ(decode(imagetest::cut(good, size), &image), D3DXERR_INVALIDDATA) << "cut to " << size;

    Bytes badCrc = good;
    badCrc[29] ^= 1;  // the IHDR checksum
    EXPECT_EQ(decode(badCrc, &image), D3DXERR_INVALIDDATA);

    Bytes badDeflate = good;
    badDeflate[46] ^= 0xff;  // the stored block's length check (NLEN)
    EXPECT_EQ(decode(badDeflate, &image), D3DXERR_INVALIDDATA);

    EXPECT_EQ(decode(encodePng(2, 2, 8, 2, {0, 1, 2, 3}), &image), D3DXERR_INVALIDDATA) << "too little data";
    EXPECT_EQ(decode(encodePng(2, 2, 3, 2, rows), &image), D3DXERR_INVALIDDATA) << "no such depth";
    EXPECT_EQ(decode(encodePng(2, 1, 8, 3, {0, 0, 1}), &image), D3DXERR_INVALIDDATA) << "palette missing";
    EXPECT_EQ(image.width, 2u) << "a failure leaves the image as it was";
}

TEST(PngDecoding, AbsurdSizesAreRefusedFromTheHeader)
{
    Image image;
    for (auto size : {std::pair<int, int>{0, 4}, {4, 0}, {100000, 1}, {1, 8193}, {8192, 8192}, {4097, 4097}})
        EXPECT_EQ(decode(encodePng(size.first, size.second, 8, 2, {0, 1, 2, 3}), &image), D3DXERR_INVALIDDATA)
            << size.first << " x " << size.second;
}

// ---- JPEG ----

TEST(JpegDecoding, BaselineProgressiveAndGreyFilesDecode)
{
    for (int progressive = 0; progressive < 2; ++progressive) {
        Image image;
        ASSERT_EQ(progressive ? decode(kJpegProgressive, &image) : decode(kJpegBaseline, &image), S_OK);
        EXPECT_EQ(image.width, 16u);
        EXPECT_EQ(image.height, 8u);
        EXPECT_FALSE(image.hasAlpha);
        EXPECT_TRUE(channelsNear(image.row(0)[0], 0xffc82828u, 3));
        EXPECT_TRUE(channelsNear(image.row(7)[7], 0xffc82828u, 3));
        EXPECT_TRUE(channelsNear(image.row(3)[8], 0xff283cc8u, 3));
        EXPECT_TRUE(channelsNear(image.row(7)[15], 0xff283cc8u, 3));
    }
    Image grey;
    ASSERT_EQ(decode(kJpegGrey, &grey), S_OK);
    EXPECT_TRUE(channelsNear(grey.row(4)[2], 0xff585858u, 2));
    EXPECT_TRUE(channelsNear(grey.row(4)[12], 0xff464646u, 2));
}

TEST(JpegDecoding, TruncatedAndDamagedFilesAreInvalidData)
{
    const Bytes good(kJpegBaseline, kJpegBaseline + sizeof kJpegBaseline);
    Image image;
    for (size_t size : {size_t(3), size_t(100), size_t(170), size_t(615), size_t(630), good.size() - 2})
        EXPECT_EQ(decode(imagetest::cut(good, size), &image), D3DXERR_INVALIDDATA) << "cut to " << size;

    // The frame header: precision at 162, height at 163, width at 165.
    Bytes huge = good;
    huge[163] = huge[164] = huge[165] = huge[166] = 0xff;
    EXPECT_EQ(decode(huge, &image), D3DXERR_INVALIDDATA);
    Bytes tooManyPixels = good;
    tooManyPixels[163] = tooManyPixels[165] = 0x20;  // 8192 x 8192
    tooManyPixels[164] = tooManyPixels[166] = 0x00;
    EXPECT_EQ(decode(tooManyPixels, &image), D3DXERR_INVALIDDATA);
    Bytes noWidth = good;
    noWidth[165] = noWidth[166] = 0;
    EXPECT_EQ(decode(noWidth, &image), D3DXERR_INVALIDDATA);
    Bytes badPrecision = good;
    badPrecision[162] = 3;
    EXPECT_EQ(decode(badPrecision, &image), D3DXERR_INVALIDDATA);
    EXPECT_FALSE(image.pixels);
}

// ---- BMP ----

TEST(BmpDecoding, TwentyFourBitRowsAreBottomUpWithPadding)
{
    BmpSpec s;
    s.width = 3;
    s.height = 2;
    // Stored bottom row first, blue-green-red, each row padded to 12 bytes.
    s.pixels = {1, 2, 3, 4, 5, 6, 7, 8, 9, 0, 0, 0, 10, 20, 30, 40, 50, 60, 70, 80, 90, 0, 0, 0};
    Image image;
    ASSERT_EQ(decode(imagetest::bmpFile(s), &image), S_OK);
    EXPECT_FALSE(image.hasAlpha);
    EXPECT_EQ(image.row(0)[0], 0xff1e140au);
    EXPECT_EQ(image.row(0)[2], 0xff5a5046u);
    EXPECT_EQ(image.row(1)[1], 0xff060504u);

    s.infoSize = 12;  // the same pixels under the old core header
    Image core;
    ASSERT_EQ(decode(imagetest::bmpFile(s), &core), S_OK);
    EXPECT_EQ(core.row(1)[1], 0xff060504u);
}

TEST(BmpDecoding, ThirtyTwoBitTopDownFilesAreOpaqueUnlessTheyGiveAnAlphaMask)
{
    BmpSpec s;
    s.width = 2;
    s.height = -2;
    s.bitCount = 32;
    s.pixels = {1, 2, 3, 0x40, 4, 5, 6, 0x50, 7, 8, 9, 0x60, 10, 11, 12, 0x70};
    Image plain;
    ASSERT_EQ(decode(imagetest::bmpFile(s), &plain), S_OK);
    EXPECT_FALSE(plain.hasAlpha);
    EXPECT_EQ(plain.row(0)[0], 0xff030201u);
    EXPECT_EQ(plain.row(1)[1], 0xff0c0b0au);

    s.infoSize = 108;
    s.compression = 3;
    s.masks = {0x00ff0000, 0x0000ff00, 0x000000ff, 0xff000000};
    Image alpha;
    ASSERT_EQ(decode(imagetest::bmpFile(s), &alpha), S_OK);
    EXPECT_TRUE(alpha.hasAlpha);
    EXPECT_EQ(alpha.row(0)[0], 0x40030201u);
    EXPECT_EQ(alpha.row(1)[1], 0x700c0b0au);
}

TEST(BmpDecoding, SixteenBitMasksScaleToEightBits)
{
    BmpSpec s;
    s.width = 2;
    s.height = 1;
    s.bitCount = 16;
    s.pixels = {0xff, 0x7f, 0x1f, 0x00};  // 5-5-5: white, pure blue
    Image image;
    ASSERT_EQ(decode(imagetest::bmpFile(s), &image), S_OK);
    EXPECT_EQ(image.row(0)[0], 0xffffffffu);
    EXPECT_EQ(image.row(0)[1], 0xff0000ffu);

    s.compression = 3;  // 5-6-5 masks after the header
    s.masks = {0xf800, 0x07e0, 0x001f};
    s.pixels = {0xe0, 0x07, 0x00, 0xf8};  // pure green, pure red
    ASSERT_EQ(decode(imagetest::bmpFile(s), &image), S_OK);
    EXPECT_EQ(image.row(0)[0], 0xff00ff00u);
    EXPECT_EQ(image.row(0)[1], 0xffff0000u);
}

TEST(BmpDecoding, EightBitFilesLookUpTheirPalette)
{
    BmpSpec s;
    s.width = 3;
    s.height = 1;
    s.bitCount = 8;
    s.colorsUsed = 2;
    s.palette = {0, 0, 255, 0, 255, 128, 0, 0};
    s.pixels = {1, 0, 1, 0};
    Image image;
    ASSERT_EQ(decode(imagetest::bmpFile(s), &image), S_OK);
    EXPECT_FALSE(image.hasAlpha);
    EXPECT_EQ(image.row(0)[0], 0xff0080ffu);
    EXPECT_EQ(image.row(0)[1], 0xffff0000u);

    s.pixels = {1, 2, 1, 0};  // index 2 is past the two colours
    EXPECT_EQ(decode(imagetest::bmpFile(s), &image), D3DXERR_INVALIDDATA);
}

TEST(BmpDecoding, DamagedUnsupportedAndAbsurdFilesAreInvalidData)
{
    BmpSpec good;
    good.width = 2;
    good.height = 2;
    good.pixels = Bytes(16, 7);
    Image image;
    ASSERT_EQ(decode(imagetest::bmpFile(good), &image), S_OK);
    const Bytes file = imagetest::bmpFile(good);
    for (size_t size : {size_t(2), size_t(20), size_t(53), file.size() - 1})
        EXPECT_EQ(decode(imagetest::cut(file, size), &image), D3DXERR_INVALIDDATA) << "cut to " << size;

    auto refused = [&](void (*change)(BmpSpec&), const char* what) {
        BmpSpec s = good;
        change(s);
        EXPECT_EQ(decode(imagetest::bmpFile(s), &image), D3DXERR_INVALIDDATA) << what;
    };
    refused([](BmpSpec& s) { s.compression = 1; }, "run-length coded");
    refused([](BmpSpec& s) { s.bitCount = 4; }, "4-bit");
    refused([](BmpSpec& s) { s.planes = 2; }, "two planes");
    refused([](BmpSpec& s) { s.height = 0; }, "no rows");
    refused([](BmpSpec& s) { s.width = -2; }, "negative width");
    refused([](BmpSpec& s) { s.width = 1 << 30; }, "huge width");
    refused([](BmpSpec& s) { s.height = -(1 << 30); }, "huge top-down height");
    refused([](BmpSpec& s) { s.infoSize = 30; }, "unknown header");
    refused([](BmpSpec& s) { s.bitCount = 8, s.colorsUsed = 300; }, "palette too large");
    refused(
        [](BmpSpec& s) {
            s.bitCount = 32, s.compression = 3, s.masks = {0x00ff00ff, 0xff00, 0xff0000};
        },
        "split mask");
}

// ---- Format dispatch, resize ----

TEST(ImageDispatch, UnknownOrEmptyDataIsInvalid)
{
    Image image;
    const Bytes text = {'h', 'e', 'l', 'l', 'o'};
    EXPECT_EQ(decode(text, &image), D3DXERR_INVALIDDATA);
    EXPECT_EQ(decodeImage(text.data(), 0, &image), D3DXERR_INVALIDDATA);
    EXPECT_EQ(decode(Bytes{'B'}, &image), D3DXERR_INVALIDDATA);
}

Image filled(uint32_t width, uint32_t height, uint32_t (*pixel)(uint32_t x, uint32_t y))
{
    Image image;
    EXPECT_EQ(image.allocate(width, height), S_OK);
    for (uint32_t y = 0; y < height; ++y)
        for (uint32_t x = 0; x < width; ++x) image.row(y)[x] = pixel(x, y);
    return image;
}

TEST(ImageResize, HalvingAveragesEachBlockRoundingHalvesUp)
{
    const Image source = filled(2, 2, [](uint32_t x, uint32_t y) { return 0x01010101u * (10 * (2 * y + x + 1)); });
    Image half;
    ASSERT_EQ(resizeImage(source, 1, 1, &half), S_OK);
    EXPECT_EQ(half.row(0)[0], 0x19191919u);  // (10 + 20 + 30 + 40) / 4 = 25

    const Image pair = filled(2, 1, [](uint32_t x, uint32_t) { return x ? 0x02000002u : 0x01000001u; });
    ASSERT_EQ(resizeImage(pair, 1, 1, &half), S_OK);
    EXPECT_EQ(half.row(0)[0], 0x02000002u);  // 1.5 rounds to 2
}

TEST(ImageResize, OddSizesWeighEachSourcePixelByTheAreaItCovers)
{
    // Columns 0, 50, 100, 150, 200 into two: (0 + 50 + 50) / 2.5 and (50 + 150 + 200) / 2.5.
    const Image source = filled(5, 3, [](uint32_t x, uint32_t) { return packArgb(255, 50 * x, 0, 0); });
    Image out;
    ASSERT_EQ(resizeImage(source, 2, 1, &out), S_OK);
    EXPECT_EQ(out.row(0)[0], packArgb(255, 40, 0, 0));
    EXPECT_EQ(out.row(0)[1], packArgb(255, 160, 0, 0));

    // Stretching repeats pixels.
    ASSERT_EQ(resizeImage(source, 10, 3, &out), S_OK);
    EXPECT_EQ(out.row(2)[2], packArgb(255, 50, 0, 0));
    EXPECT_EQ(out.row(2)[3], packArgb(255, 50, 0, 0));
    EXPECT_EQ(out.row(2)[9], packArgb(255, 200, 0, 0));
}

TEST(ImageResize, SizesOutsideTheLimitsAreRefused)
{
    const Image source = filled(2, 2, [](uint32_t, uint32_t) { return 0u; });
    Image out;
    EXPECT_EQ(resizeImage(source, 0, 1, &out), D3DXERR_INVALIDDATA);
    EXPECT_EQ(resizeImage(source, kMaxImageSide + 1, 1, &out), D3DXERR_INVALIDDATA);
    EXPECT_FALSE(out.pixels);
}

}  // namespace
