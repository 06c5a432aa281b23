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

// The calls between each BeginStateBlock and its EndStateBlock.
std::vector<std::vector<std::string>> recordedBlocks(const std::vector<std::string>& calls)
{
    std::vector<std::vector<std::string>> blocks;
    bool inside = false;
    for (const std::string& call : calls) {
        if (call == "BeginStateBlock") {
            blocks.emplace_back();
            inside = true;
        } else if (call.rfind("EndStateBlock", 0) == 0) {
            inside = false;
        } else if (inside) {
            blocks.back().push_back(call);
        }
    }
    return blocks;
}

TEST_F(FontCalls, BothBlocksRecordTheThirtyDrawSettingsInOrder)
{
    // States and values as the device numbers them.
    const auto expected = [](int zEnable) {
        return std::vector<std::string>{
            "SetTexture 0 set",
            "SetRenderState 7 " + std::to_string(zEnable),  // ZENABLE
            "SetRenderState 27 1",    // ALPHABLENDENABLE
            "SetRenderState 19 5",    // SRCBLEND = SRCALPHA
            "SetRenderState 20 6",    // DESTBLEND = INVSRCALPHA
            "SetRenderState 15 1",    // ALPHATESTENABLE
            "SetRenderState 24 8",    // ALPHAREF
            "SetRenderState 25 7",    // ALPHAFUNC = GREATEREQUAL
            "SetRenderState 8 3",     // FILLMODE = SOLID
            "SetRenderState 22 3",    // CULLMODE = CCW
            "SetRenderState 52 0",    // STENCILENABLE
            "SetRenderState 136 1",   // CLIPPING
            "SetRenderState 152 0",   // CLIPPLANEENABLE
            "SetRenderState 151 0",   // VERTEXBLEND = DISABLE
            "SetRenderState 167 0",   // INDEXEDVERTEXBLENDENABLE
            "SetRenderState 28 0",    // FOGENABLE
            "SetRenderState 168 15",  // COLORWRITEENABLE = red, green, blue, alpha
            "SetTextureStageState 0 1 4",   // COLOROP = MODULATE
            "SetTextureStageState 0 2 2",   // COLORARG1 = TEXTURE
            "SetTextureStageState 0 3 0",   // COLORARG2 = DIFFUSE
            "SetTextureStageState 0 4 4",   // ALPHAOP = MODULATE
            "SetTextureStageState 0 5 2",   // ALPHAARG1 = TEXTURE
            "SetTextureStageState 0 6 0",   // ALPHAARG2 = DIFFUSE
            "SetTextureStageState 0 11 0",  // TEXCOORDINDEX
            "SetTextureStageState 0 24 0",  // TEXTURETRANSFORMFLAGS = DISABLE
            "SetTextureStageState 1 1 1",   // stage 1 COLOROP = DISABLE
            "SetTextureStageState 1 4 1",   // stage 1 ALPHAOP = DISABLE
            "SetSamplerState 0 6 1",        // MINFILTER = POINT
            "SetSamplerState 0 5 1",        // MAGFILTER = POINT
            "SetSamplerState 0 7 0",        // MIPFILTER = NONE
        };
    };
    for (const DWORD style : {DWORD(TextureFont::StyleBold), DWORD(TextureFont::StyleBold | TextureFont::StyleDepthTest)}) {
        const int zEnable = (style & TextureFont::StyleDepthTest) ? 1 : 0;
        SCOPED_TRACE(zEnable ? "depth-tested" : "over everything");
        recording->calls.clear();
        std::unique_ptr<TextureFont> made = makeFont(12, style, recording.get());
        const auto blocks = recordedBlocks(recording->calls);
        ASSERT_EQ(blocks.size(), 2u);
        EXPECT_EQ(blocks[0], expected(zEnable));
        EXPECT_EQ(blocks[1], expected(zEnable));
        dropFont(*made);
    }
}

TEST_F(FontCalls, FilteredDrawingSwitchesOnlyMinificationAndMagnification)
{
    recorded = makeFont(12, TextureFont::StyleBold, recording.get());
    for (const DWORD flags : {DWORD(0), DWORD(TextureFont::DrawFiltered)}) {
        recording->calls.clear();
        device->BeginScene();
        EXPECT_EQ(recorded->drawString(10.0f, 10.0f, 0xFFFFFFFF, "Ab", flags), S_OK);
        device->EndScene();
        EXPECT_EQ(recording->callsStartingWith("SetSamplerState"),
                  flags ? (std::vector<std::string>{"SetSamplerState 0 6 2", "SetSamplerState 0 5 2"})
                        : std::vector<std::string>{});
    }
}

TEST_F(FontCalls, BelowScaleOneLinesAndCentringUseTheUnscaledLineHeight)
{
    recording->maxTextureSize = 1024;
    recorded = makeFont(64, TextureFont::StyleBold, recording.get());
    ASSERT_EQ(recorded->textScale, 0.5f);
    const float lh = lineHeight(*recorded);

    // A line feed moves down by the cell's height in texels, not on screen.
    const Frame both = drawText(*recorded, 40.0f, 30.0f, "a\nb");
    const Frame apart = drawFrame(0xFF000000, [&] {
        recorded->drawString(40.0f, 30.0f, 0xFFFFFFFF, "a", 0);
        recorded->drawString(40.0f, 30.0f + lh, 0xFFFFFFFF, "b", 0);
    });
    EXPECT_GT(both.count([](uint32_t p) { return !isBlack(p); }), 20);
    EXPECT_EQ(differingPixels(both, apart), 0);

    // Centring measures the glyphs at their drawn size, the line unscaled.
    float width = 0.0f;
    for (const char c : std::string("Hi")) {
        const RECT cell = cellOf(*recorded, c);
        width += float(cell.right - cell.left) / recorded->textScale - float(2 * recorded->cellMargin);
    }
    const DWORD centre = TextureFont::DrawCenterX | TextureFont::DrawCenterY;
    const Frame centred = drawText(*recorded, 0.0f, 0.0f, "Hi", centre);
    EXPECT_GT(centred.count([](uint32_t p) { return !isBlack(p); }), 20);
    EXPECT_EQ(differingPixels(centred, drawText(*recorded, (500.0f - width) * 0.5f, (375.0f - lh) * 0.5f, "Hi")), 0);
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
