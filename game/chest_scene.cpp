// The closed chest: the orbit camera's view, then the base and the six levers,
// each pushed out along its own axis by its position. The world matrices used
// are kept for picking, so a click is tested against the levers as last shown.
#include "game/chest_game.h"
#include "game/orbit_camera.h"
#include "render/mesh_object.h"

namespace {

constexpr D3DCOLOR Background = 0x000000FF;
// Odd levers first, then even ones, as the scene has always been drawn.
constexpr int DrawOrder[LeverCount] = {0, 2, 4, 1, 3, 5};

}  // namespace

void ChestGame::updateCamera()
{
    orbitView(&view, cameraAzimuth, cameraElevation);
    device->SetTransform(D3DTS_VIEW, &view);
}

void ChestGame::drawChest()
{
    // A device reset leaves the celebration's fixed view in force until the
    // next frame update; a chest drawn before it (WM_PAINT while paused, the
    // frame that carries out a Reset) still shows the orbit camera.
    updateCamera();
    device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, Background, 1.0f, 0);
    if (FAILED(device->BeginScene())) return;

    D3DXMATRIX world;
    D3DXMatrixTranslation(&world, -1.0f, 0.0f, -1.0f);
    device->SetTransform(D3DTS_WORLD, &world);
    if (meshes[BaseMesh]) meshes[BaseMesh]->drawSubsets(device, true, true);
    baseWorld = world;

    for (int i : DrawOrder) {
        // Levers 1, 3 and 5 slide along +X, levers 2, 4 and 6 along +Z.
        const float d = leverOffset(puzzle.lever(i));
        const bool alongX = (i % 2) == 0;
        D3DXMatrixTranslation(&world, alongX ? d : 0.0f, 0.0f, alongX ? 0.0f : d);
        device->SetTransform(D3DTS_WORLD, &world);
        if (meshes[i]) meshes[i]->drawSubsets(device, true, true);
        leverWorld[i] = world;
    }

    device->EndScene();
}
