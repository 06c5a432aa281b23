// State that changes between draws, and changes back: every draw must see the
// state current at its call, whichever program drew last and whatever the
// device left out as unchanged. Buffers relocked between draws draw their new
// contents.
#include "tests/platform/d3d9/d3d9_fixture.h"

#include <cstring>

namespace {

struct LitVertex {
    float x, y, z;
    float nx, ny, nz;
};
constexpr DWORD kLitFvf = D3DFVF_XYZ | D3DFVF_NORMAL;

struct ColorVertex {
    float x, y, z;
    D3DCOLOR color;
};
constexpr DWORD kColorFvf = D3DFVF_XYZ | D3DFVF_DIFFUSE;

D3DMATRIX identity()
{
    D3DMATRIX m = {};
    m._11 = m._22 = m._33 = m._44 = 1.f;
    return m;
}

D3DMATRIX translation(float x, float y)
{
    D3DMATRIX m = identity();
    m._41 = x;
    m._42 = y;
    return m;
}

// A material that lights to exactly its diffuse colour under white light
// falling straight onto the surface, with no ambient anywhere.
D3DMATERIAL9 diffuseMaterial(float r, float g, float b)
{
    D3DMATERIAL9 material = {};
    material.Diffuse = {r, g, b, 1.f};
    return material;
}

D3DLIGHT9 frontLight(float r, float g, float b)
{
    D3DLIGHT9 light = {};
    light.Type = D3DLIGHT_DIRECTIONAL;
    light.Diffuse = {r, g, b, 1.f};
    light.Direction = {0.f, 0.f, 1.f};
    return light;
}

class D3d9StateChanges : public D3d9Device {
protected:
    void SetUp() override
    {
        D3d9Device::SetUp();
        ASSERT_EQ(createDevice(D3DDEVTYPE_HAL, windowedParameters()), D3D_OK);
        // Identity transforms: camera space is clip space.
        const D3DMATRIX one = identity();
        for (D3DTRANSFORMSTATETYPE t : {D3DTS_WORLD, D3DTS_VIEW, D3DTS_PROJECTION})
            ASSERT_EQ(device->SetTransform(t, &one), D3D_OK);
        ASSERT_EQ(device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE), D3D_OK);
        ASSERT_EQ(device->SetRenderState(D3DRS_AMBIENT, 0), D3D_OK);
        ASSERT_EQ(device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0, 1.f, 0), D3D_OK);
        ASSERT_EQ(device->BeginScene(), D3D_OK);
    }
    void TearDown() override
    {
        if (device) device->EndScene();
        D3d9Device::TearDown();
    }
    std::vector<uint32_t> finish()
    {
        EXPECT_EQ(device->EndScene(), D3D_OK);
        std::vector<uint32_t> frame = readBack();
        EXPECT_EQ(device->BeginScene(), D3D_OK);
        return frame;
    }
    // A lit quad over the NDC rectangle x0..x1, y0..y1, facing the viewer.
    void litQuad(float x0, float y0, float x1, float y1)
    {
        const LitVertex v[4] = {{x0, y0, 0.5f, 0, 0, -1}, {x1, y0, 0.5f, 0, 0, -1}, {x0, y1, 0.5f, 0, 0, -1},
                                {x1, y1, 0.5f, 0, 0, -1}};
        ASSERT_EQ(device->SetFVF(kLitFvf), D3D_OK);
        EXPECT_EQ(device->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, v, sizeof v[0]), D3D_OK);
    }
    void colorQuad(float x0, float y0, float x1, float y1, D3DCOLOR color)
    {
        const ColorVertex v[4] = {{x0, y0, 0.5f, color}, {x1, y0, 0.5f, color}, {x0, y1, 0.5f, color},
                                  {x1, y1, 0.5f, color}};
        ASSERT_EQ(device->SetFVF(kColorFvf), D3D_OK);
        EXPECT_EQ(device->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, v, sizeof v[0]), D3D_OK);
    }
    // Column c (0..3) of four across the screen, lit.
    void litColumn(int c) { litQuad(-1.f + 0.5f * float(c), -1.f, -0.5f + 0.5f * float(c), 1.f); }
    // The pixel in the middle of column c.
    uint32_t columnPixel(const std::vector<uint32_t>& frame, int c) const { return pixelAt(frame, 8 + 16 * c, 32); }
};

TEST_F(D3d9StateChanges, MaterialAndLightChangedAndSetBackBetweenDraws)
{
    const D3DLIGHT9 white = frontLight(1.f, 1.f, 1.f);
    ASSERT_EQ(device->SetLight(0, &white), D3D_OK);
    ASSERT_EQ(device->LightEnable(0, TRUE), D3D_OK);
    const D3DMATERIAL9 red = diffuseMaterial(1.f, 0.f, 0.f), green = diffuseMaterial(0.f, 1.f, 0.f);
    ASSERT_EQ(device->SetMaterial(&red), D3D_OK);
    litColumn(0);
    ASSERT_EQ(device->SetMaterial(&green), D3D_OK);
    litColumn(1);
    // Back to the first material: the same values as two draws ago.
    ASSERT_EQ(device->SetMaterial(&red), D3D_OK);
    ASSERT_EQ(device->SetMaterial(&red), D3D_OK);
    litColumn(2);
    // The light's colour alone changes; then it is set as it was.
    const D3DLIGHT9 half = frontLight(0.5f, 0.5f, 0.5f);
    ASSERT_EQ(device->SetLight(0, &half), D3D_OK);
    litColumn(3);
    std::vector<uint32_t> frame = finish();
    EXPECT_TRUE(colorNear(columnPixel(frame, 0), {255, 0, 0}, 1));
    EXPECT_TRUE(colorNear(columnPixel(frame, 1), {0, 255, 0}, 1));
    EXPECT_TRUE(colorNear(columnPixel(frame, 2), {255, 0, 0}, 1));
    EXPECT_TRUE(colorNear(columnPixel(frame, 3), {128, 0, 0}, 2));

    ASSERT_EQ(device->SetLight(0, &white), D3D_OK);
    litColumn(0);
    ASSERT_EQ(device->LightEnable(0, FALSE), D3D_OK);
    litColumn(1);
    ASSERT_EQ(device->LightEnable(0, TRUE), D3D_OK);
    litColumn(2);
    frame = finish();
    EXPECT_TRUE(colorNear(columnPixel(frame, 0), {255, 0, 0}, 1));
    EXPECT_TRUE(colorNear(columnPixel(frame, 1), {0, 0, 0}, 1));
    EXPECT_TRUE(colorNear(columnPixel(frame, 2), {255, 0, 0}, 1));
}

// Each program keeps the uniforms it was last given: what changed while
// another program drew must still reach it when it draws again.
TEST_F(D3d9StateChanges, ChangesMadeWhileAnotherProgramDrewReachTheFirst)
{
    const D3DLIGHT9 white = frontLight(1.f, 1.f, 1.f);
    ASSERT_EQ(device->SetLight(0, &white), D3D_OK);
    ASSERT_EQ(device->LightEnable(0, TRUE), D3D_OK);
    const D3DMATERIAL9 red = diffuseMaterial(1.f, 0.f, 0.f), blue = diffuseMaterial(0.f, 0.f, 1.f);
    ASSERT_EQ(device->SetMaterial(&red), D3D_OK);
    litColumn(0);
    ASSERT_EQ(device->SetRenderState(D3DRS_LIGHTING, FALSE), D3D_OK);
    colorQuad(-0.5f, -1.f, 0.f, 1.f, D3DCOLOR_XRGB(255, 255, 0));
    // Material, light, world and projection change while the unlit program is current.
    ASSERT_EQ(device->SetMaterial(&blue), D3D_OK);
    const D3DLIGHT9 half = frontLight(0.5f, 0.5f, 0.5f);
    ASSERT_EQ(device->SetLight(0, &half), D3D_OK);
    const D3DMATRIX right = translation(1.f, 0.f);
    ASSERT_EQ(device->SetTransform(D3DTS_WORLD, &right), D3D_OK);
    colorQuad(-1.f, -1.f, -0.5f, 1.f, D3DCOLOR_XRGB(0, 255, 255));  // lands on column 2
    D3DMATRIX halfHeight = identity();
    halfHeight._22 = 0.5f;
    ASSERT_EQ(device->SetTransform(D3DTS_PROJECTION, &halfHeight), D3D_OK);
    ASSERT_EQ(device->SetRenderState(D3DRS_LIGHTING, TRUE), D3D_OK);
    litColumn(1);  // moved onto column 3, at half the height
    const std::vector<uint32_t> frame = finish();
    EXPECT_TRUE(colorNear(columnPixel(frame, 0), {255, 0, 0}, 1));
    EXPECT_TRUE(colorNear(columnPixel(frame, 1), {255, 255, 0}, 0));
    EXPECT_TRUE(colorNear(columnPixel(frame, 2), {0, 255, 255}, 0));
    EXPECT_TRUE(colorNear(columnPixel(frame, 3), {0, 0, 128}, 2));
    // Rows 16..47 are covered, rows near the edges no longer.
    EXPECT_TRUE(colorNear(pixelAt(frame, 56, 20), {0, 0, 128}, 2));
    EXPECT_TRUE(colorNear(pixelAt(frame, 56, 4), {0, 0, 0}, 0));
    EXPECT_TRUE(colorNear(pixelAt(frame, 56, 60), {0, 0, 0}, 0));
}

TEST_F(D3d9StateChanges, TransformsAndViewportSetBackToEarlierValues)
{
    ASSERT_EQ(device->SetRenderState(D3DRS_LIGHTING, FALSE), D3D_OK);
    const D3DMATRIX left = identity(), right = translation(1.5f, 0.f);
    ASSERT_EQ(device->SetTransform(D3DTS_WORLD, &left), D3D_OK);
    colorQuad(-1.f, 0.f, -0.5f, 1.f, D3DCOLOR_XRGB(255, 0, 0));  // column 0, top half
    ASSERT_EQ(device->SetTransform(D3DTS_WORLD, &right), D3D_OK);
    colorQuad(-1.f, 0.f, -0.5f, 1.f, D3DCOLOR_XRGB(0, 255, 0));  // column 3, top half
    ASSERT_EQ(device->SetTransform(D3DTS_WORLD, &left), D3D_OK);
    colorQuad(-1.f, -1.f, -0.5f, 0.f, D3DCOLOR_XRGB(0, 0, 255));  // column 0, bottom half
    // Viewports over the left half, the right half, then the whole target again.
    const D3DVIEWPORT9 whole = {0, 0, kTestSize, kTestSize, 0.f, 1.f};
    const D3DVIEWPORT9 leftHalf = {0, 0, kTestSize / 2, kTestSize, 0.f, 1.f};
    const D3DVIEWPORT9 rightHalf = {kTestSize / 2, 0, kTestSize / 2, kTestSize, 0.f, 1.f};
    ASSERT_EQ(device->SetViewport(&leftHalf), D3D_OK);
    colorQuad(0.f, -1.f, 1.f, 0.f, D3DCOLOR_XRGB(255, 255, 0));  // x 16..31, bottom half
    ASSERT_EQ(device->SetViewport(&rightHalf), D3D_OK);
    colorQuad(-1.f, -1.f, 0.f, 0.f, D3DCOLOR_XRGB(255, 255, 255));  // x 32..47, bottom half
    ASSERT_EQ(device->SetViewport(&whole), D3D_OK);
    colorQuad(0.5f, -1.f, 1.f, 0.f, D3DCOLOR_XRGB(255, 0, 255));  // column 3, bottom half
    const std::vector<uint32_t> frame = finish();
    EXPECT_TRUE(colorNear(pixelAt(frame, 8, 16), {255, 0, 0}, 0));
    EXPECT_TRUE(colorNear(pixelAt(frame, 56, 16), {0, 255, 0}, 0));
    EXPECT_TRUE(colorNear(pixelAt(frame, 8, 48), {0, 0, 255}, 0));
    EXPECT_TRUE(colorNear(pixelAt(frame, 40, 48), {255, 255, 255}, 0));
    EXPECT_TRUE(colorNear(pixelAt(frame, 24, 48), {255, 255, 0}, 0));
    EXPECT_TRUE(colorNear(pixelAt(frame, 56, 48), {255, 0, 255}, 0));
}

TEST_F(D3d9StateChanges, RenderStatesResetAfterADrawTakeEffect)
{
    ASSERT_EQ(device->SetRenderState(D3DRS_LIGHTING, FALSE), D3D_OK);
    ASSERT_EQ(device->SetRenderState(D3DRS_COLORWRITEENABLE, D3DCOLORWRITEENABLE_RED), D3D_OK);
    colorQuad(-1.f, -1.f, -0.5f, 1.f, D3DCOLOR_XRGB(255, 255, 255));
    ASSERT_EQ(device->SetRenderState(D3DRS_COLORWRITEENABLE, 0x0f), D3D_OK);
    colorQuad(-0.5f, -1.f, 0.f, 1.f, D3DCOLOR_XRGB(255, 255, 255));
    // The quads are anticlockwise on screen: culled, then drawn again.
    ASSERT_EQ(device->SetRenderState(D3DRS_CULLMODE, D3DCULL_CCW), D3D_OK);
    colorQuad(0.f, -1.f, 0.5f, 1.f, D3DCOLOR_XRGB(0, 255, 0));
    ASSERT_EQ(device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE), D3D_OK);
    colorQuad(0.5f, -1.f, 1.f, 1.f, D3DCOLOR_XRGB(0, 255, 0));
    const std::vector<uint32_t> frame = finish();
    EXPECT_TRUE(colorNear(columnPixel(frame, 0), {255, 0, 0}, 0));
    EXPECT_TRUE(colorNear(columnPixel(frame, 1), {255, 255, 255}, 0));
    EXPECT_TRUE(colorNear(columnPixel(frame, 2), {0, 0, 0}, 0));
    EXPECT_TRUE(colorNear(columnPixel(frame, 3), {0, 255, 0}, 0));
}

// A buffer drawn, relocked and drawn again: the second draw reads what the
// second lock wrote, for the part locked and for the whole buffer.
TEST_F(D3d9StateChanges, RelockedBuffersDrawTheirNewContents)
{
    for (DWORD pool : {DWORD(D3DPOOL_MANAGED), DWORD(D3DPOOL_DEFAULT)}) {
        SCOPED_TRACE(pool == D3DPOOL_MANAGED ? "managed" : "default, dynamic");
        const DWORD usage = D3DUSAGE_WRITEONLY | (pool == D3DPOOL_DEFAULT ? D3DUSAGE_DYNAMIC : 0);
        const DWORD lockFlags = pool == D3DPOOL_DEFAULT ? D3DLOCK_DISCARD : 0;
        IDirect3DVertexBuffer9* vb = nullptr;
        IDirect3DIndexBuffer9* ib = nullptr;
        ASSERT_EQ(device->CreateVertexBuffer(8 * sizeof(ColorVertex), usage, kColorFvf, D3DPOOL(pool), &vb, nullptr),
                  D3D_OK);
        ASSERT_EQ(device->CreateIndexBuffer(6 * sizeof(WORD), usage, D3DFMT_INDEX16, D3DPOOL(pool), &ib, nullptr),
                  D3D_OK);
        // Two quads: the left half of the screen and the right half.
        const ColorVertex quads[8] = {{-1, -1, 0.5f, 0xffff0000}, {0, -1, 0.5f, 0xffff0000},
                                      {-1, 1, 0.5f, 0xffff0000},  {0, 1, 0.5f, 0xffff0000},
                                      {0, -1, 0.5f, 0xff0000ff},  {1, -1, 0.5f, 0xff0000ff},
                                      {0, 1, 0.5f, 0xff0000ff},   {1, 1, 0.5f, 0xff0000ff}};
        void* data = nullptr;
        ASSERT_EQ(vb->Lock(0, 0, &data, lockFlags), D3D_OK);
        std::memcpy(data, quads, sizeof quads);
        ASSERT_EQ(vb->Unlock(), D3D_OK);
        const WORD leftQuad[6] = {0, 1, 2, 2, 1, 3};
        ASSERT_EQ(ib->Lock(0, 0, &data, lockFlags), D3D_OK);
        std::memcpy(data, leftQuad, sizeof leftQuad);
        ASSERT_EQ(ib->Unlock(), D3D_OK);
        ASSERT_EQ(device->SetRenderState(D3DRS_LIGHTING, FALSE), D3D_OK);
        ASSERT_EQ(device->SetFVF(kColorFvf), D3D_OK);
        ASSERT_EQ(device->SetStreamSource(0, vb, 0, sizeof(ColorVertex)), D3D_OK);
        ASSERT_EQ(device->SetIndices(ib), D3D_OK);
        EXPECT_EQ(device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, 8, 0, 2), D3D_OK);
        std::vector<uint32_t> frame = finish();
        EXPECT_TRUE(colorNear(pixelAt(frame, 16, 32), {255, 0, 0}, 0));
        EXPECT_TRUE(colorNear(pixelAt(frame, 48, 32), {0, 0, 0}, 0));

        // New colours for the first quad's vertices only (a managed buffer
        // may lock part of itself; a dynamic one is discarded and refilled),
        // and indices that pick the second quad too.
        ColorVertex changed[8];
        std::memcpy(changed, quads, sizeof quads);
        for (int i = 0; i < 4; ++i) changed[i].color = 0xff00ff00;
        if (pool == D3DPOOL_MANAGED) {
            ASSERT_EQ(vb->Lock(0, 4 * sizeof(ColorVertex), &data, 0), D3D_OK);
            std::memcpy(data, changed, 4 * sizeof(ColorVertex));
        } else {
            ASSERT_EQ(vb->Lock(0, 0, &data, D3DLOCK_DISCARD), D3D_OK);
            std::memcpy(data, changed, sizeof changed);
        }
        ASSERT_EQ(vb->Unlock(), D3D_OK);
        const WORD rightQuad[6] = {4, 5, 6, 6, 5, 7};
        ASSERT_EQ(ib->Lock(0, 0, &data, lockFlags), D3D_OK);
        std::memcpy(data, rightQuad, sizeof rightQuad);
        ASSERT_EQ(ib->Unlock(), D3D_OK);
        EXPECT_EQ(device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, 8, 0, 2), D3D_OK);
        EXPECT_EQ(device->DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2), D3D_OK);
        frame = finish();
        EXPECT_TRUE(colorNear(pixelAt(frame, 16, 32), {0, 255, 0}, 0));
        EXPECT_TRUE(colorNear(pixelAt(frame, 48, 32), {0, 0, 255}, 0));

        ASSERT_EQ(device->SetStreamSource(0, nullptr, 0, 0), D3D_OK);
        ASSERT_EQ(device->SetIndices(nullptr), D3D_OK);
        ib->Release();
        vb->Release();
        ASSERT_EQ(device->Clear(0, nullptr, D3DCLEAR_TARGET, 0, 1.f, 0), D3D_OK);
    }
}

}  // namespace
