// The game's application object: the treasure chest with its six levers, the
// orbit camera, mouse picking, the File > Reset and Help > About commands and
// the coin-shower celebration, on the framework's hooks. It owns its font, the
// seven mesh objects (levers 1 to 6, then the chest base) and the coin vertex
// buffer; the framework owns the window and the device and calls the hooks.
// Start-up fails with E_OUTOFMEMORY when the font or a mesh object cannot be
// allocated ("Not enough memory.") and with MediaMissing when a model cannot
// be loaded under either of its names; the per-frame and device-state hooks
// always return S_OK and ignore the results of the device calls inside them.
// The puzzle state and the camera counters survive every device event.
#pragma once

#include <windows.h>
#include <d3d9.h>

#include <cstdint>

#include "framework/application.h"
#include "game/coin_shower.h"
#include "game/lever_puzzle.h"
#include "math/vector_matrix.h"

class MeshObject;
class TextureFont;

// Mesh entries: levers 1 to 6 at 0 to 5, then the base.
constexpr int LeverCount = LeverPuzzle::LeverCount;
constexpr int BaseMesh = 6;
constexpr int MeshCount = 7;

class ChestGame : public Application {
public:
    ChestGame();
    ~ChestGame() override;

    HRESULT approveDevice(const D3DCAPS9* caps, DWORD behaviorFlags, D3DFORMAT backBufferFormat) override;
    HRESULT initOnce() override;
    HRESULT createDeviceResources() override;
    HRESULT onDeviceReset() override;
    HRESULT advanceFrame() override;
    HRESULT drawFrame() override;
    HRESULT onDeviceLost() override;
    HRESULT destroyDeviceResources() override;
    HRESULT shutDown() override;
    LRESULT handleMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) override;

protected:
    // Device state sets: chest_lighting.h's on this object's device and back buffer.
    void applyChestLighting();
    void applyCoinLighting();
    void applyCommonState();

    // Phase changes carried out at the end of a frame update (chest_game.cpp).
    void openChest();
    void carryOutReset();
    void acquireDeviceMeshes();
    void releaseDeviceMeshes();
    HRESULT loadMeshes();

    // The chest scene (chest_scene.cpp).
    void updateCamera();
    void drawChest();

    // Mouse input and picking (chest_input.cpp): pick gives the nearest lever
    // under client pixel (x, y), or -1.
    void onButtonDown(HWND hwnd);
    void onMouseMove();
    void onButtonUp();
    int pick(int x, int y);
    POINT cursorInClient() const;

    // Commands and the loading text (chest_commands.cpp).
    void paintLoadingText(HWND hwnd);
    void showAbout(HWND owner);

    // The celebration (celebration.cpp).
    void drawCelebration();

    // --- fields ---
    int32_t loading = 1;
    TextureFont* font = nullptr;
    IDirect3DVertexBuffer9* coinVertices = nullptr;
    CoinShower coins;  // coinPositions, coinYawA, coinSpin, coinYawB
    float previousTime = 0.0f;
    float frameDelta = 0.0f;
    MeshObject* meshes[MeshCount] = {};
    LeverPuzzle puzzle;  // levers, phase, solvedTime
    int32_t dragging = 0;
    int32_t dragX = 0;
    int32_t dragY = 0;
    int32_t cameraAzimuth;
    int32_t cameraElevation;
    D3DXMATRIX projection;
    D3DXMATRIX view;
    D3DXMATRIX leverWorld[LeverCount];
    D3DXMATRIX baseWorld;
    int32_t resetRequested = 0;
};
