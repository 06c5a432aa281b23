#include "tests/game/chest_game_fixture.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "game/orbit_camera.h"
#include "math/d3dx_mesh.h"
#include "render/mesh_object.h"

namespace gametest {

const int SolutionClicks[42] = {1, 1, 2, 1, 1, 2, 3, 2, 1, 1, 2, 3, 4, 3, 2, 1, 1, 2, 3, 4, 5,
                                4, 3, 2, 1, 1, 2, 3, 4, 5, 6, 5, 4, 3, 2, 1, 1, 2, 3, 4, 5, 6};

namespace {

struct ScreenPoint {
    float x, y, w;
};

ScreenPoint project(const D3DXVECTOR3& p, const D3DXMATRIX& m, UINT width, UINT height)
{
    const float cx = p.x * m.m[0][0] + p.y * m.m[1][0] + p.z * m.m[2][0] + m.m[3][0];
    const float cy = p.x * m.m[0][1] + p.y * m.m[1][1] + p.z * m.m[2][1] + m.m[3][1];
    const float cw = p.x * m.m[0][3] + p.y * m.m[1][3] + p.z * m.m[2][3] + m.m[3][3];
    return {(cx / cw + 1.0f) * 0.5f * float(width), (1.0f - cy / cw) * 0.5f * float(height), cw};
}

// The bounding-box centre of a mesh, then the centroid of each of its faces.
std::vector<D3DXVECTOR3> candidatePoints(ID3DXMesh* mesh)
{
    std::vector<D3DXVECTOR3> points;
    void* vertexData = nullptr;
    void* indexData = nullptr;
    if (FAILED(mesh->LockVertexBuffer(D3DLOCK_READONLY, &vertexData))) return points;
    if (FAILED(mesh->LockIndexBuffer(D3DLOCK_READONLY, &indexData))) {
        mesh->UnlockVertexBuffer();
        return points;
    }
    const DWORD stride = mesh->GetNumBytesPerVertex();
    const DWORD vertexCount = mesh->GetNumVertices();
    auto position = [&](DWORD i) {
        D3DXVECTOR3 p;
        std::memcpy(&p, static_cast<const BYTE*>(vertexData) + i * stride, sizeof p);
        return p;
    };
    D3DXVECTOR3 lo = position(0), hi = lo;
    for (DWORD i = 1; i < vertexCount; ++i) {
        const D3DXVECTOR3 p = position(i);
        lo = D3DXVECTOR3(std::min(lo.x, p.x), std::min(lo.y, p.y), std::min(lo.z, p.z));
        hi = D3DXVECTOR3(std::max(hi.x, p.x), std::max(hi.y, p.y), std::max(hi.z, p.z));
    }
    points.push_back((lo + hi) * 0.5f);
    const bool wide = (mesh->GetOptions() & D3DXMESH_32BIT) != 0;
    for (DWORD f = 0; f < mesh->GetNumFaces(); ++f) {
        DWORD corner[3];
        for (int c = 0; c < 3; ++c) {
            corner[c] = wide ? static_cast<const DWORD*>(indexData)[3 * f + c]
                             : static_cast<const WORD*>(indexData)[3 * f + c];
        }
        points.push_back((position(corner[0]) + position(corner[1]) + position(corner[2])) / 3.0f);
    }
    mesh->UnlockIndexBuffer();
    mesh->UnlockVertexBuffer();
    return points;
}

}  // namespace

void ChestGameTest::SetUp()
{
    Application::resetProcessStateForTesting();
    q31automation::setEnabled(true);
    q31automation::clearMessageBoxes();
}

void ChestGameTest::TearDown()
{
    if (game && game->window) SendMessage(game->window, WM_CLOSE, 0, 0);
    pump();
    game.reset();
    q31automation::clearMessageBoxes();
    q31automation::setEnabled(false);
}

HRESULT ChestGameTest::createGame()
{
    game = std::make_unique<TestChestGame>();
    const HRESULT hr = game->create(GetModuleHandle(nullptr));
    pump();
    return hr;
}

void ChestGameTest::pump()
{
    MSG message;
    while (PeekMessage(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) continue;
        TranslateMessage(&message);
        DispatchMessage(&message);
    }
}

void ChestGameTest::frame(double seconds)
{
    clock.advance(seconds);
    pump();
    if (game && game->device) game->stepFrame();
}

void ChestGameTest::moveTo(int x, int y)
{
    q31automation::moveMouse(game->window, x, y);
    pump();
}

void ChestGameTest::press(int x, int y)
{
    q31automation::mouseButton(game->window, x, y, 1, true);
    pump();
}

void ChestGameTest::release(int x, int y)
{
    q31automation::mouseButton(game->window, x, y, 1, false);
    pump();
}

void ChestGameTest::clickAt(POINT p)
{
    moveTo(p.x, p.y);
    press(p.x, p.y);
    release(p.x, p.y);
}

void ChestGameTest::planSolutionClicks(std::vector<POINT>* plan)
{
    for (int lever : SolutionClicks) {
        POINT p;
        ASSERT_TRUE(pointOnLever(lever - 1, &p)) << "lever " << lever;
        plan->push_back(p);
        game->puzzle.clickLever(lever - 1);
        frame();
    }
}

bool ChestGameTest::pointOnLever(int index, POINT* point)
{
    MeshObject* mesh = game->meshes[index];
    if (!mesh || !mesh->systemMesh) return false;
    const UINT width = game->backBufferDesc.Width;
    const UINT height = game->backBufferDesc.Height;
    const D3DXMATRIX toScreen = game->leverWorld[index] * game->view * game->projection;

    std::vector<D3DXVECTOR3> points = candidatePoints(mesh->systemMesh);
    if (points.empty()) return false;
    const ScreenPoint centre = project(points[0], toScreen, width, height);
    std::stable_sort(points.begin() + 1, points.end(), [&](const D3DXVECTOR3& a, const D3DXVECTOR3& b) {
        const ScreenPoint pa = project(a, toScreen, width, height);
        const ScreenPoint pb = project(b, toScreen, width, height);
        return std::hypot(pa.x - centre.x, pa.y - centre.y) < std::hypot(pb.x - centre.x, pb.y - centre.y);
    });
    for (const D3DXVECTOR3& p : points) {
        const ScreenPoint s = project(p, toScreen, width, height);
        const int x = int(std::lround(s.x));
        const int y = int(std::lround(s.y));
        if (s.w <= 0.0f || x < 0 || y < 0 || x >= int(width) || y >= int(height)) continue;
        if (game->pick(x, y) == index) {
            *point = POINT{x, y};
            return true;
        }
    }
    return false;
}

void ChestGameTest::playSolutionByMouse()
{
    LeverPuzzle expected;
    for (int n = 0; n < 42; ++n) {
        SCOPED_TRACE(testing::Message() << "click " << n + 1 << " on lever " << SolutionClicks[n]);
        const int index = SolutionClicks[n] - 1;
        POINT p;
        ASSERT_TRUE(pointOnLever(index, &p));
        clickAt(p);
        expected.clickLever(index);
        for (int i = 0; i < LeverCount; ++i) ASSERT_EQ(game->puzzle.lever(i), expected.lever(i)) << "lever " << i + 1;
        EXPECT_EQ(game->dragging, 0);
        // The scene is drawn with the new positions before the next click.
        if (n < 41) frame();
    }
}

void ChestGameTest::runUntilOpen(int limit)
{
    for (int i = 0; i < limit && game->puzzle.phase() != ChestOpen; ++i) frame();
}

int ChestGameTest::drawableCopies() const
{
    int count = 0;
    for (MeshObject* mesh : game->meshes) count += (mesh && mesh->deviceMesh) ? 1 : 0;
    return count;
}

namespace {

DWORD renderState(IDirect3DDevice9* device, D3DRENDERSTATETYPE state)
{
    DWORD value = 0xDEADBEEF;
    device->GetRenderState(state, &value);
    return value;
}

void expectColour(const D3DCOLORVALUE& c, float r, float g, float b, float a, const char* what)
{
    SCOPED_TRACE(what);
    EXPECT_FLOAT_EQ(c.r, r);
    EXPECT_FLOAT_EQ(c.g, g);
    EXPECT_FLOAT_EQ(c.b, b);
    EXPECT_FLOAT_EQ(c.a, a);
}

// The device's material, its colours checked in the order diffuse, ambient,
// specular, emissive.
D3DMATERIAL9 expectMaterial(IDirect3DDevice9* device, const D3DCOLORVALUE (&colours)[4], const char* what)
{
    D3DMATERIAL9 material = {};
    device->GetMaterial(&material);
    const D3DCOLORVALUE* actual[] = {&material.Diffuse, &material.Ambient, &material.Specular, &material.Emissive};
    static const char* const names[] = {"diffuse", "ambient", "specular", "emissive"};
    for (int n = 0; n < 4; ++n) {
        SCOPED_TRACE(names[n]);
        expectColour(*actual[n], colours[n].r, colours[n].g, colours[n].b, colours[n].a, what);
    }
    return material;
}

void expectCommonState(IDirect3DDevice9* device, const D3DXMATRIX& projection)
{
    const struct {
        D3DTEXTURESTAGESTATETYPE type;
        DWORD value;
    } stage[] = {{D3DTSS_COLOROP, D3DTOP_MODULATE},   {D3DTSS_COLORARG1, D3DTA_TEXTURE},
                 {D3DTSS_COLORARG2, D3DTA_DIFFUSE},   {D3DTSS_ALPHAOP, D3DTOP_MODULATE},
                 {D3DTSS_ALPHAARG1, D3DTA_TEXTURE},   {D3DTSS_ALPHAARG2, D3DTA_DIFFUSE}};
    for (const auto& s : stage) {
        DWORD value = 0xDEADBEEF;
        device->GetTextureStageState(0, s.type, &value);
        EXPECT_EQ(value, s.value) << "texture stage state " << s.type;
    }
    for (D3DSAMPLERSTATETYPE filter : {D3DSAMP_MINFILTER, D3DSAMP_MAGFILTER}) {
        DWORD value = 0xDEADBEEF;
        device->GetSamplerState(0, filter, &value);
        EXPECT_EQ(value, DWORD(D3DTEXF_LINEAR)) << "sampler state " << filter;
    }
    D3DMATRIX set;
    device->GetTransform(D3DTS_PROJECTION, &set);
    EXPECT_EQ(std::memcmp(&set, &projection, sizeof set), 0);
    D3DXMATRIX expected;
    D3DXMatrixPerspectiveFovLH(&expected, 3.14159265f / 4.0f, 500.0f / 375.0f, 1.0f, 100.0f);
    for (int r = 0; r < 4; ++r) {
        for (int c = 0; c < 4; ++c) EXPECT_NEAR(projection.m[r][c], expected.m[r][c], 1e-5f);
    }
}

// Light 0 enabled, lighting on, no dithering, depth test on.
void expectLightingSwitches(IDirect3DDevice9* device)
{
    BOOL enabled = FALSE;
    device->GetLightEnable(0, &enabled);
    EXPECT_TRUE(enabled);
    EXPECT_EQ(renderState(device, D3DRS_LIGHTING), DWORD(TRUE));
    EXPECT_EQ(renderState(device, D3DRS_DITHERENABLE), DWORD(FALSE));
    EXPECT_EQ(renderState(device, D3DRS_ZENABLE), DWORD(TRUE));
}

D3DXMATRIX fixedView()
{
    const D3DXVECTOR3 eye(0.0f, 0.0f, -5.0f), at(0.0f, 0.0f, 0.0f), up(0.0f, 1.0f, 0.0f);
    D3DXMATRIX fixed;
    D3DXMatrixLookAtLH(&fixed, &eye, &at, &up);
    return fixed;
}

}  // namespace

void ChestGameTest::expectChestState()
{
    IDirect3DDevice9* device = game->device;
    ASSERT_NE(device, nullptr);
    D3DLIGHT9 light = {};
    ASSERT_EQ(device->GetLight(0, &light), D3D_OK);
    EXPECT_EQ(light.Type, D3DLIGHT_DIRECTIONAL);
    EXPECT_NEAR(light.Direction.x, 0.0f, 1e-6f);
    EXPECT_NEAR(light.Direction.y, -0.957826f, 1e-5f);
    EXPECT_NEAR(light.Direction.z, 0.287348f, 1e-5f);
    expectColour(light.Diffuse, 1.0f, 1.0f, 1.0f, 0.0f, "chest light diffuse");
    expectLightingSwitches(device);
    EXPECT_EQ(renderState(device, D3DRS_SPECULARENABLE), DWORD(FALSE));
    EXPECT_EQ(renderState(device, D3DRS_AMBIENT), 0x00101010u);
    EXPECT_EQ(drawableCopies(), MeshCount);
    expectCommonState(device, game->projection);
}

void ChestGameTest::expectCoinState()
{
    IDirect3DDevice9* device = game->device;
    ASSERT_NE(device, nullptr);
    D3DLIGHT9 light = {};
    ASSERT_EQ(device->GetLight(0, &light), D3D_OK);
    EXPECT_EQ(light.Type, D3DLIGHT_DIRECTIONAL);
    expectColour(light.Diffuse, 0.3f, 0.3f, 0.3f, 0.0f, "coin light diffuse");
    expectColour(light.Specular, 1.0f, 1.0f, 0.8f, 0.0f, "coin light specular");
    expectColour(light.Ambient, 0.3f, 0.3f, 0.3f, 0.0f, "coin light ambient");
    EXPECT_EQ(light.Direction.x, 0.0f);
    EXPECT_EQ(light.Direction.y, -0.2f);  // as given, not normalised
    EXPECT_EQ(light.Direction.z, 0.2f);
    EXPECT_EQ(light.Position.z, 2.0f);
    EXPECT_EQ(light.Range, 1000.0f);
    uint32_t falloff;
    std::memcpy(&falloff, &light.Falloff, sizeof falloff);
    EXPECT_EQ(falloff, 0x461C400Au);
    EXPECT_EQ(light.Attenuation0, 10000.0f);
    const D3DMATERIAL9 material =
        expectMaterial(device, {{0, 0, 0, 0}, {0.8f, 0.4f, 0.2f, 0}, {1, 1, 0.7f, 0}, {0, 0, 0, 0}}, "coin material");
    EXPECT_EQ(material.Power, 4.0f);
    expectLightingSwitches(device);
    EXPECT_EQ(renderState(device, D3DRS_SPECULARENABLE), DWORD(TRUE));
    EXPECT_EQ(renderState(device, D3DRS_AMBIENT), 0x000F0F0Fu);

    D3DMATRIX view;
    device->GetTransform(D3DTS_VIEW, &view);
    const D3DXMATRIX fixed = fixedView();
    EXPECT_EQ(std::memcmp(&view, &fixed, sizeof view), 0);
    EXPECT_EQ(drawableCopies(), 0);
    expectCommonState(device, game->projection);
}

void ChestGameTest::expectStateBeforeTheNextFrame(bool chest)
{
    IDirect3DDevice9* device = game->device;
    if (chest) {
        // Chest frames replace it with the subsets' own materials.
        expectMaterial(device, {{1, 0, 0, 1}, {1, 0, 0, 1}, {0, 0, 0, 0}, {0, 0, 0, 0}}, "chest material");
        expectChestState();
    } else {
        expectCoinState();
    }
    D3DMATRIX view, world;
    game->device->GetTransform(D3DTS_VIEW, &view);
    game->device->GetTransform(D3DTS_WORLD, &world);
    const D3DXMATRIX fixed = fixedView();
    D3DXMATRIX identity;
    D3DXMatrixTranslation(&identity, 0.0f, 0.0f, 0.0f);
    EXPECT_EQ(std::memcmp(&view, &fixed, sizeof view), 0);
    EXPECT_EQ(std::memcmp(&world, &identity, sizeof world), 0);
}

void ChestGameTest::spoilDeviceState()
{
    IDirect3DDevice9* device = game->device;
    D3DMATERIAL9 material = {};
    material.Diffuse = material.Ambient = material.Specular = material.Emissive = D3DCOLORVALUE{0.5f, 0.5f, 0.5f, 0.5f};
    material.Power = 9.0f;
    device->SetMaterial(&material);
    D3DLIGHT9 light = {};
    light.Type = D3DLIGHT_POINT;
    light.Diffuse = light.Specular = light.Ambient = D3DCOLORVALUE{0.5f, 0.5f, 0.5f, 0.5f};
    light.Position = light.Direction = D3DVECTOR{1.0f, 1.0f, 1.0f};
    light.Range = 5.0f;
    device->SetLight(0, &light);
    device->LightEnable(0, FALSE);
    device->SetRenderState(D3DRS_LIGHTING, FALSE);
    device->SetRenderState(D3DRS_DITHERENABLE, TRUE);
    device->SetRenderState(D3DRS_ZENABLE, FALSE);
    device->SetRenderState(D3DRS_AMBIENT, 0x00ABCDEF);
    device->SetRenderState(D3DRS_SPECULARENABLE, 2);
    for (D3DTEXTURESTAGESTATETYPE type : {D3DTSS_COLOROP, D3DTSS_ALPHAOP}) device->SetTextureStageState(0, type, D3DTOP_ADD);
    for (D3DTEXTURESTAGESTATETYPE type : {D3DTSS_COLORARG1, D3DTSS_COLORARG2, D3DTSS_ALPHAARG1, D3DTSS_ALPHAARG2})
        device->SetTextureStageState(0, type, D3DTA_SPECULAR);
    device->SetSamplerState(0, D3DSAMP_MINFILTER, D3DTEXF_POINT);
    device->SetSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_POINT);
    D3DXMATRIX skew;
    D3DXMatrixTranslation(&skew, 7.0f, 8.0f, 9.0f);
    for (D3DTRANSFORMSTATETYPE t : {D3DTS_WORLD, D3DTS_VIEW, D3DTS_PROJECTION}) device->SetTransform(t, &skew);
}

}  // namespace gametest
