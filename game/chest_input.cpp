// The left mouse button: a press on a lever clicks it, a press anywhere else
// starts a drag that turns the view until the button is released. Nothing
// here acts while the chest is open. The cursor is always read with
// GetCursorPos, not from the message.
#include "game/chest_game.h"
#include "game/lever_pick.h"
#include "game/orbit_camera.h"
#include "math/ray_mesh_intersect.h"
#include "render/mesh_object.h"

POINT ChestGame::cursorInClient() const
{
    POINT cursor = {0, 0};
    GetCursorPos(&cursor);
    ScreenToClient(window, &cursor);
    return cursor;
}

void ChestGame::onButtonDown(HWND hwnd)
{
    const POINT cursor = cursorInClient();
    const int lever = pick(cursor.x, cursor.y);
    if (lever >= 0) {
        // A blocked lever takes the click too: no drag starts.
        puzzle.clickLever(lever);
        return;
    }
    dragX = cursor.x;
    dragY = cursor.y;
    dragging = 1;
    SetCapture(hwnd);
}

void ChestGame::onMouseMove()
{
    const POINT cursor = cursorInClient();
    if (!dragging) return;
    dragCounters(&cameraAzimuth, &cameraElevation, cursor.x - dragX, cursor.y - dragY);
    // Taken even when a counter was clamped, so a reverse movement acts at once.
    dragX = cursor.x;
    dragY = cursor.y;
}

void ChestGame::onButtonUp()
{
    dragging = 0;
    ReleaseCapture();
}

int ChestGame::pick(int x, int y)
{
    float vx = 0.0f;
    float vy = 0.0f;
    if (!cursorRay(x, y, backBufferDesc.Width, backBufferDesc.Height, projection, &vx, &vy)) return -1;

    // The levers differ only by translations, so the ray direction is the same
    // for all six and their distances compare. The base is never tested.
    LeverHit hits[LeverCount];
    for (int i = 0; i < LeverCount; ++i) {
        // A lever whose drawable copy could not be made is not there to hit.
        if (!meshes[i] || !meshes[i]->deviceMesh) continue;
        D3DXVECTOR3 origin;
        D3DXVECTOR3 direction;
        if (!modelSpaceRay(vx, vy, leverWorld[i], view, &origin, &direction)) continue;
        BOOL hit = FALSE;
        float distance = 0.0f;
        if (FAILED(D3DXIntersect(meshes[i]->deviceMesh, &origin, &direction, &hit, nullptr, nullptr, nullptr,
                                 &distance, nullptr, nullptr))) {
            continue;
        }
        hits[i].hit = hit != FALSE;
        hits[i].distance = distance;
    }
    return nearestLever(hits);
}
