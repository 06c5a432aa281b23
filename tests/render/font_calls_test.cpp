// What the texture font asks of the device, seen through the recording
// device: batches, failures passed on, and a device with a small texture
// limit (Linux only).
#include "render/texture_font.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/render/font_fixture.h"
#include "tests/render/recording_device.h"

namespace {

class FontCalls : public FontDevice {
protected:
    void SetUp() override
    {
        FontDevice::SetUp();
        recording = std::make_unique<RecordingDevice>(device);
    }
    void TearDown() override
    {
        if (recorded) dropFont(*recorded);
        recorded.reset();
        recording.reset();
        FontDevice::TearDown();
    }

    std::unique_ptr<RecordingDevice> recording;
    std::unique_ptr<TextureFont> recorded;
};

TEST_F(FontCalls, LongTextIsDrawnInBatchesOfAHundredTriangles)
{
    recorded = makeFont(12, TextureFont::StyleBold, recording.get());
    // 120 visible characters, with spaces and a line feed that add no quads.
    std::string text;
    for (int i = 0; i < 120; ++i) text += char('A' + i % 26) + std::string(i % 40 == 39 ? "\n " : "");
    recording->calls.clear();
    device->BeginScene();
    EXPECT_EQ(recorded->drawString(0.0f, 0.0f, 0xFFFFFFFF, text.c_str(), 0), S_OK);
    device->EndScene();
    EXPECT_EQ(recording->callsStartingWith("DrawPrimitive"),
              (std::vector<std::string>{"DrawPrimitive 4 0 100", "DrawPrimitive 4 0 100", "DrawPrimitive 4 0 40"}));
    EXPECT_EQ(recording->callsStartingWith("SetFVF"), std::vector<std::string>{"SetFVF 324"});
    EXPECT_EQ(recording->callsStartingWith("SetStreamSource"), std::vector<std::string>{"SetStreamSource 0 set 0 28"});

    recording->calls.clear();
    device->BeginScene();
    EXPECT_EQ(recorded->drawString(0.0f, 0.0f, 0xFFFFFFFF, "", 0), S_OK);
    EXPECT_EQ(recorded->drawString(0.0f, 0.0f, 0xFFFFFFFF, "   \n ", 0), S_OK);
    device->EndScene();
    EXPECT_TRUE(recording->callsStartingWith("DrawPrimitive").empty());
}

TEST_F(FontCalls, SmallTextureLimitScalesTheGlyphsDownAndTheQuadsUp)
{
    recording->maxTextureSize = 1024;
    recorded = makeFont(64, TextureFont::StyleBold, recording.get());
    EXPECT_EQ(recorded->textureWidth, 1024u);
    EXPECT_EQ(recorded->textureHeight, 1024u);
    EXPECT_EQ(recorded->textScale, 0.5f);
    // Rasterised at half the height: 64 points at 48 dpi is 32 points at 96.
    std::unique_ptr<TextureFont> half = makeFont(32);
    for (int c = 32; c <= 126; ++c)
        for (int side = 0; side < 4; ++side)
            ASSERT_EQ(recorded->glyphCells[c - 32][side], half->glyphCells[c - 32][side]) << char(c);

    // On screen twice the cell size.
    RECT big = {}, small = {};
    drawText(*recorded, 20.0f, 20.0f, "H").count([](uint32_t p) { return !isBlack(p); }, &big);
    drawText(*half, 20.0f, 20.0f, "H").count([](uint32_t p) { return !isBlack(p); }, &small);
    EXPECT_NEAR(big.right - big.left, 2 * (small.right - small.left), 2);
    EXPECT_NEAR(big.bottom - big.top, 2 * (small.bottom - small.top), 2);
    dropFont(*half);
}

TEST_F(FontCalls, DeviceFailuresArePassedOn)
{
    recorded = std::make_unique<TextureFont>("Arial", 12, TextureFont::StyleBold);
    recording->failNext("CreateTexture", D3DERR_OUTOFVIDEOMEMORY);
    EXPECT_EQ(recorded->buildGlyphTexture(recording.get()), D3DERR_OUTOFVIDEOMEMORY);
    EXPECT_EQ(recorded->device, recording.get());
    EXPECT_EQ(recorded->glyphTexture, nullptr);

    ASSERT_EQ(recorded->buildGlyphTexture(recording.get()), S_OK);
    recording->calls.clear();
    recording->failNext("CreateVertexBuffer", E_OUTOFMEMORY);
    EXPECT_EQ(recorded->acquireDrawResources(), E_OUTOFMEMORY);
    EXPECT_TRUE(recording->callsStartingWith("BeginStateBlock").empty()) << "no state block is recorded";
    EXPECT_EQ(recorded->vertexBuffer, nullptr);

    recording->failNext("BeginStateBlock", D3DERR_INVALIDCALL);
    EXPECT_EQ(recorded->acquireDrawResources(), D3DERR_INVALIDCALL);
    EXPECT_EQ(recorded->drawString(0.0f, 0.0f, 0xFFFFFFFF, "x", 0), E_FAIL);
    // The blocks and buffer of a clean acquire are what a font draws with.
    ASSERT_EQ(recorded->acquireDrawResources(), S_OK);
    ASSERT_EQ(recording->callsStartingWith("CreateVertexBuffer").back(), "CreateVertexBuffer 9600 520 0 0");
}

}  // namespace
