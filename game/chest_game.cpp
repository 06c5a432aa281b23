#include "game/chest_game.h"

#include <cstdlib>
#include <ctime>
#include <new>

#include "game/orbit_camera.h"
#include "render/mesh_object.h"
#include "render/texture_font.h"

namespace {

constexpr float LongestFrame = 1.0f;

// Each model is tried in the "x" subfolder first, then under its plain name.
const char* const ModelPaths[MeshCount] = {"x\\Lever1t.x", "x\\Lever2t.x", "x\\Lever3t.x", "x\\Lever4t.x",
                                           "x\\Lever5t.x", "x\\Lever6t.x", "x\\Base02.x"};
const char* const ModelNames[MeshCount] = {"Lever1t.x", "Lever2t.x", "Lever3t.x", "Lever4t.x",
                                           "Lever5t.x", "Lever6t.x", "Base02.x"};

}  // namespace

ChestGame::ChestGame() : cameraAzimuth(StartAzimuth), cameraElevation(StartElevation)
{
    windowTitle = "Quorvane31";
    createWidth = 500;
    createHeight = 375;
    enumerator.useDepthBuffer = true;
    startFullscreen = false;
    showCursorWhenFullscreen = false;
    previousTime = time;
    font = new (std::nothrow) TextureFont("Arial", 12, TextureFont::StyleBold);

    // A press before the first chest frame then meets no lever.
    D3DXMatrixTranslation(&view, 0.0f, 0.0f, 0.0f);
    for (D3DXMATRIX& world : leverWorld) world = view;
    baseWorld = view;
    projection = view;
}

// shutDown has normally freed everything; when create failed before the window
// existed it never ran, and the font from the constructor must not leak.
ChestGame::~ChestGame()
{
    ChestGame::shutDown();
}

HRESULT ChestGame::approveDevice(const D3DCAPS9*, DWORD, D3DFORMAT)
{
    return S_OK;
}

HRESULT ChestGame::initOnce()
{
    SendMessage(window, WM_PAINT, 0, 0);
    // Without its font the game could not show the celebration text.
    if (!font) return E_OUTOFMEMORY;
    for (int i = 0; i < MeshCount; ++i) {
        meshes[i] = new (std::nothrow) MeshObject("CD3DFile_Mesh");
        if (!meshes[i]) return E_OUTOFMEMORY;
    }
    loading = 0;
    return S_OK;
}

HRESULT ChestGame::createDeviceResources()
{
    HRESULT hr = font->buildGlyphTexture(device);
    if (FAILED(hr)) return hr;

    std::srand(static_cast<unsigned>(std::time(nullptr)));
    coins.place();

    hr = device->CreateVertexBuffer(CoinVertexBytes, 0, CoinFvf, D3DPOOL_MANAGED, &coinVertices, nullptr);
    if (FAILED(hr)) return hr;
    void* data = nullptr;
    hr = coinVertices->Lock(0, 0, &data, 0);
    if (FAILED(hr)) return hr;
    writeCoinShape(static_cast<CoinVertex*>(data));
    coinVertices->Unlock();

    return loadMeshes();
}

HRESULT ChestGame::loadMeshes()
{
    for (int i = 0; i < MeshCount; ++i) {
        if (FAILED(meshes[i]->loadFromFile(device, ModelPaths[i])) &&
            FAILED(meshes[i]->loadFromFile(device, ModelNames[i]))) {
            return MediaMissing;
        }
    }
    return S_OK;
}

HRESULT ChestGame::onDeviceReset()
{
    if (puzzle.phase() == ChestOpen) {
        applyCoinLighting();
    } else {
        applyChestLighting();
        acquireDeviceMeshes();
    }
    applyCommonState();
    font->acquireDrawResources();
    return S_OK;
}

HRESULT ChestGame::advanceFrame()
{
    const float now = time;
    frameDelta = now - previousTime;
    previousTime = now;
    if (frameDelta > LongestFrame) {
        frameDelta = LongestFrame;
        coins.lift();
    }

    if (puzzle.phase() == ChestOpen) {
        coins.fall(frameDelta);
    } else {
        updateCamera();
        if (puzzle.advance(now)) openChest();
    }

    if (resetRequested) carryOutReset();
    return S_OK;
}

HRESULT ChestGame::drawFrame()
{
    if (puzzle.phase() == ChestOpen) {
        drawCelebration();
    } else {
        drawChest();
    }
    return S_OK;
}

HRESULT ChestGame::onDeviceLost()
{
    // While the chest is open the meshes hold no drawable copies.
    if (puzzle.phase() != ChestOpen) releaseDeviceMeshes();
    font->releaseDrawResources();
    return S_OK;
}

HRESULT ChestGame::destroyDeviceResources()
{
    font->releaseGlyphTexture();
    if (coinVertices) {
        coinVertices->Release();
        coinVertices = nullptr;
    }
    for (MeshObject* mesh : meshes) {
        if (mesh) mesh->releaseAll();
    }
    return S_OK;
}

HRESULT ChestGame::shutDown()
{
    for (MeshObject*& mesh : meshes) {
        delete mesh;
        mesh = nullptr;
    }
    delete font;
    font = nullptr;
    return S_OK;
}

void ChestGame::acquireDeviceMeshes()
{
    for (MeshObject* mesh : meshes) {
        if (mesh) mesh->acquireDeviceMesh(device);
    }
}

void ChestGame::releaseDeviceMeshes()
{
    for (MeshObject* mesh : meshes) {
        if (mesh) mesh->releaseDeviceMesh();
    }
}

void ChestGame::openChest()
{
    ReleaseCapture();
    releaseDeviceMeshes();
    font->releaseDrawResources();
    applyCoinLighting();
    applyCommonState();
    font->acquireDrawResources();
}

void ChestGame::carryOutReset()
{
    resetRequested = 0;
    // The drawable copies were already dropped when the chest opened.
    if (puzzle.phase() != ChestOpen) releaseDeviceMeshes();
    font->releaseDrawResources();
    applyChestLighting();
    acquireDeviceMeshes();
    applyCommonState();
    font->acquireDrawResources();
    puzzle.reset();
    dragging = 0;
    ReleaseCapture();
}
