// The game's seven models from media/, through the loader and the mesh
// object, drawn as the chest scene draws them: from the start camera, under
// the game's own chest lighting and common state, the body moved by
// (-1, 0, -1) and the levers by their slide. Screenshots go to the test
// output. The checks hold the media to what the game needs of them: the whole
// chest in view, every lever seen, a click where a lever is seen picks that
// lever, and a pulled lever moves on screen the way it slides.
#include "render/mesh_object.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <filesystem>
#include <memory>
#include <system_error>

#include "game/chest_lighting.h"
#include "game/lever_pick.h"
#include "game/lever_puzzle.h"
#include "game/orbit_camera.h"
#include "math/ray_mesh_intersect.h"
#include "tests/render/render_device.h"

namespace {

constexpr int LeverCount = 6;
constexpr int BaseIndex = 6;
constexpr const char* ModelNames[7] = {"Lever1t.x", "Lever2t.x", "Lever3t.x", "Lever4t.x",
                                       "Lever5t.x", "Lever6t.x", "Base02.x"};
constexpr D3DCOLOR Background = 0x000000FF;
constexpr int FullyOut = 2;  // the lever position of the largest slide

struct Region {
    int pixels = 0;
    double x = 0.0;  // centroid
    double y = 0.0;
};

// Pixels where two frames differ: what one drawn object adds to the picture.
Region difference(const Frame& with, const Frame& without)
{
    Region r;
    for (int y = 0; y < with.height; ++y)
        for (int x = 0; x < with.width; ++x)
            if ((with.at(x, y) & 0xFFFFFF) != (without.at(x, y) & 0xFFFFFF)) {
                ++r.pixels;
                r.x += x;
                r.y += y;
            }
    if (r.pixels) {
        r.x /= r.pixels;
        r.y /= r.pixels;
    }
    return r;
}

class MediaScene : public RenderDevice {
protected:
    void SetUp() override
    {
        RenderDevice::SetUp();
        if (HasFatalFailure()) return;
        // Texture names inside the models are bare; the media search finds
        // them in the current directory, as it does for the game.
        std::error_code error;
        savedDirectory = std::filesystem::current_path(error);
        ASSERT_FALSE(error);
        std::filesystem::current_path(Q31_MEDIA_DIR, error);
        ASSERT_FALSE(error) << Q31_MEDIA_DIR;
        enteredMedia = true;
        for (int i = 0; i < 7; ++i) {
            meshes[i] = std::make_unique<MeshObject>();
            ASSERT_EQ(meshes[i]->loadFromFile(device, ModelNames[i]), S_OK) << ModelNames[i];
            ASSERT_EQ(meshes[i]->acquireDeviceMesh(device), S_OK) << ModelNames[i];
        }
        applyChestState();
    }

    void TearDown() override
    {
        for (auto& mesh : meshes) mesh.reset();
        std::error_code error;
        if (enteredMedia) std::filesystem::current_path(savedDirectory, error);
        RenderDevice::TearDown();
    }

    // The game's chest lighting and common state, then the start camera.
    void applyChestState()
    {
        setChestLighting(device);
        setCommonState(device, UINT(width), UINT(height), &projection);
        orbitView(&view, StartAzimuth, StartElevation);
        device->SetTransform(D3DTS_VIEW, &view);
    }

    D3DXMATRIX leverWorld(int i) const
    {
        const float d = leverOffset(positions[i]);
        D3DXMATRIX world;
        D3DXMatrixTranslation(&world, i % 2 == 0 ? d : 0.0f, 0.0f, i % 2 == 0 ? 0.0f : d);
        return world;
    }

    // The chest scene, leaving out lever `skip` (-1: nothing left out).
    Frame drawChest(int skip = -1)
    {
        return drawFrame(Background, [&] {
            D3DXMATRIX world;
            D3DXMatrixTranslation(&world, -1.0f, 0.0f, -1.0f);
            device->SetTransform(D3DTS_WORLD, &world);
            meshes[BaseIndex]->drawSubsets(device, true, true);
            for (int i : {0, 2, 4, 1, 3, 5}) {
                if (i == skip) continue;
                world = leverWorld(i);
                device->SetTransform(D3DTS_WORLD, &world);
                meshes[i]->drawSubsets(device, true, true);
            }
        });
    }

    // The game's picking for client pixel (x, y).
    int pick(int x, int y)
    {
        float vx = 0.0f, vy = 0.0f;
        if (!cursorRay(x, y, UINT(width), UINT(height), projection, &vx, &vy)) return -1;
        LeverHit hits[PickLeverCount];
        for (int i = 0; i < LeverCount; ++i) {
            D3DXVECTOR3 origin, direction;
            if (!modelSpaceRay(vx, vy, leverWorld(i), view, &origin, &direction)) continue;
            BOOL hit = FALSE;
            float distance = 0.0f;
            EXPECT_EQ(D3DXIntersect(meshes[i]->deviceMesh, &origin, &direction, &hit, nullptr, nullptr, nullptr,
                                    &distance, nullptr, nullptr),
                      S_OK);
            hits[i].hit = hit != FALSE;
            hits[i].distance = distance;
        }
        return nearestLever(hits);
    }

    // Where a world point lands on the back buffer, in pixels.
    void project(const D3DXVECTOR3& p, double* x, double* y) const
    {
        D3DXMATRIX m;
        D3DXMatrixMultiply(&m, &view, &projection);
        const double cx = p.x * m.m[0][0] + p.y * m.m[1][0] + p.z * m.m[2][0] + m.m[3][0];
        const double cy = p.x * m.m[0][1] + p.y * m.m[1][1] + p.z * m.m[2][1] + m.m[3][1];
        const double cw = p.x * m.m[0][3] + p.y * m.m[1][3] + p.z * m.m[2][3] + m.m[3][3];
        *x = (cx / cw + 1.0) * 0.5 * width;
        *y = (1.0 - cy / cw) * 0.5 * height;
    }

    std::array<std::unique_ptr<MeshObject>, 7> meshes;
    std::array<int32_t, LeverCount> positions = {};
    D3DXMATRIX projection;
    D3DXMATRIX view;
    std::filesystem::path savedDirectory;
    bool enteredMedia = false;
};

TEST_F(MediaScene, ModelsCarryTexturesAndTheBodyATranslucentMaterial)
{
    for (int i = 0; i < 7; ++i) {
        int textured = 0;
        for (DWORD m = 0; m < meshes[i]->materialCount; ++m) textured += meshes[i]->textures[m] != nullptr;
        EXPECT_GT(textured, 0) << ModelNames[i] << ": no texture loaded";
    }
    int translucent = 0;
    for (DWORD m = 0; m < meshes[BaseIndex]->materialCount; ++m)
        translucent += meshes[BaseIndex]->materials[m].Diffuse.a < 1.0f;
    EXPECT_GT(translucent, 0) << "the translucent pass would have nothing to draw";
}

TEST_F(MediaScene, WholeChestIsInViewFromTheStartCamera)
{
    const Frame frame = drawChest();
    saveFrame(frame, "media_start");
    RECT box;
    const int drawn = frame.count([](uint32_t p) { return (p & 0xFFFFFF) != (Background & 0xFFFFFF); }, &box);
    // Nothing of the chest reaches the edges, and it fills a good part of the view.
    const int margin = 8;
    EXPECT_GE(box.left, margin);
    EXPECT_GE(box.top, margin);
    EXPECT_LE(box.right, width - margin);
    EXPECT_LE(box.bottom, height - margin);
    EXPECT_GT(drawn, width * height / 6);
}

TEST_F(MediaScene, EveryLeverIsSeenAndAClickWhereItIsSeenPicksIt)
{
    const Frame all = drawChest();
    for (int i = 0; i < LeverCount; ++i) {
        const Region seen = difference(all, drawChest(i));
        EXPECT_GE(seen.pixels, 120) << "lever " << i + 1 << " is hardly visible";
        if (seen.pixels == 0) continue;
        // The lever's pixel nearest its centroid: a click there picks it.
        const Frame without = drawChest(i);
        int bestX = -1, bestY = -1;
        double best = 1e30;
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) {
                if ((all.at(x, y) & 0xFFFFFF) == (without.at(x, y) & 0xFFFFFF)) continue;
                const double d = (x - seen.x) * (x - seen.x) + (y - seen.y) * (y - seen.y);
                if (d < best) {
                    best = d;
                    bestX = x;
                    bestY = y;
                }
            }
        EXPECT_EQ(pick(bestX, bestY), i) << "click at (" << bestX << ", " << bestY << ")";
    }
}

TEST_F(MediaScene, APulledLeverMovesOnScreenAlongItsSlide)
{
    const Frame homeAll = drawChest();
    for (int i = 0; i < LeverCount; ++i) {
        positions = {};
        const Region home = difference(homeAll, drawChest(i));
        positions[i] = FullyOut;
        const Frame pulledFrame = drawChest();
        const Region pulled = difference(pulledFrame, drawChest(i));
        const float d = leverOffset(FullyOut);
        double x0, y0, x1, y1;
        project(D3DXVECTOR3(0.0f, 0.0f, 0.0f), &x0, &y0);
        project(i % 2 == 0 ? D3DXVECTOR3(d, 0.0f, 0.0f) : D3DXVECTOR3(0.0f, 0.0f, d), &x1, &y1);
        const double ex = x1 - x0, ey = y1 - y0;
        const double mx = pulled.x - home.x, my = pulled.y - home.y;
        const double moved = std::sqrt(mx * mx + my * my);
        EXPECT_GE(moved, 3.0) << "lever " << i + 1;
        // Within 45 degrees of the slide's own direction on screen.
        EXPECT_GT(mx * ex + my * ey, 0.7 * moved * std::sqrt(ex * ex + ey * ey)) << "lever " << i + 1;
    }
    positions = {FullyOut, 0, FullyOut, FullyOut, 1, FullyOut};
    saveFrame(drawChest(), "media_pulled");
}

}  // namespace
