// Support for the mesh object tests: a device, a private media folder as the
// current directory, small .x files of side-by-side quads written into it,
// and a draw set-up in which every drawn subset adds a fixed amount of light,
// so a frame shows how many times each subset was drawn.
#pragma once

#include "render/mesh_object.h"
#include "tests/render/media_folder.h"
#include "tests/render/render_device.h"

#include <string>
#include <vector>

// One quad of a test mesh: its material's colour and diffuse alpha, and the
// texture file its material names ("" for none).
struct QuadMaterial {
    float r, g, b, a;
    std::string texture;
};

// Quads side by side across the view, quad i with material i; positions are
// in clip space, so identity transforms show them. No material list when
// `materials` is empty (then `quads` quads share the loader's default).
std::string quadsFile(const std::vector<QuadMaterial>& materials, size_t quads = 0);
// A 2 x 2 24-bit bitmap of one colour.
std::vector<char> solidBitmap(BYTE r, BYTE g, BYTE b);
// The pixel at the centre of quad i of `quads`.
uint32_t quadCentre(const Frame& frame, size_t i, size_t quads);

class MeshDevice : public RenderDevice {
protected:
    void SetUp() override;
    void TearDown() override;

    // Writes `text` as `name` into the media folder.
    void writeFile(const std::string& name, const std::string& text);
    void writeFile(const std::string& name, const std::vector<char>& bytes);
    // Identity transforms, no culling, no depth test.
    void showClipSpace();
    // Each draw adds (64, 64, 64) to what is there, whatever material it has.
    void countDraws();
    // Lit by a white ambient light only: a subset shows its material's
    // colour, modulated by its texture.
    void showMaterials();

    rendertest::MediaFolder media;
    MeshObject mesh;
};
