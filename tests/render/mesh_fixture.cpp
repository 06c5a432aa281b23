#include "tests/render/mesh_fixture.h"

#include <cstring>
#include <fstream>
#include <sstream>

namespace {

constexpr float Gap = 0.1f;

float quadLeft(size_t i, size_t quads) { return -0.9f + float(i) * 1.8f / float(quads) + Gap / 2; }
float quadRight(size_t i, size_t quads) { return -0.9f + float(i + 1) * 1.8f / float(quads) - Gap / 2; }

}  // namespace

std::string quadsFile(const std::vector<QuadMaterial>& materials, size_t quads)
{
    if (quads == 0) quads = materials.size();
    std::ostringstream x;
    x << "xof 0303txt 0032\n";
    x << "Mesh quads {\n " << quads * 4 << ";\n";
    for (size_t i = 0; i < quads; ++i) {
        const float l = quadLeft(i, quads), r = quadRight(i, quads);
        // Clockwise as seen from the viewer (looking along +z).
        x << " " << l << ";-0.5;0.5;, " << l << ";0.5;0.5;, " << r << ";0.5;0.5;, " << r << ";-0.5;0.5;"
          << (i + 1 == quads ? ";" : ",") << "\n";
    }
    x << " " << quads << ";\n";
    for (size_t i = 0; i < quads; ++i)
        x << " 4;" << 4 * i << "," << 4 * i + 1 << "," << 4 * i + 2 << "," << 4 * i + 3 << ";"
          << (i + 1 == quads ? ";" : ",") << "\n";
    x << " MeshTextureCoords {\n  " << quads * 4 << ";\n";
    for (size_t i = 0; i < quads; ++i)
        x << "  0.0;1.0;, 0.0;0.0;, 1.0;0.0;, 1.0;1.0;" << (i + 1 == quads ? ";" : ",") << "\n";
    x << " }\n";
    if (!materials.empty()) {
        x << " MeshMaterialList {\n  " << materials.size() << ";\n  " << quads << ";\n  ";
        for (size_t i = 0; i < quads; ++i) x << (i % materials.size()) << (i + 1 == quads ? ";;\n" : ",");
        for (const QuadMaterial& m : materials) {
            x << "  Material {\n   " << m.r << ";" << m.g << ";" << m.b << ";" << m.a << ";;\n   0.0;\n"
              << "   0.0;0.0;0.0;;\n   0.0;0.0;0.0;;\n";
            if (!m.texture.empty()) x << "   TextureFilename { \"" << m.texture << "\"; }\n";
            x << "  }\n";
        }
        x << " }\n";
    }
    x << "}\n";
    return x.str();
}

std::vector<char> solidBitmap(BYTE r, BYTE g, BYTE b)
{
    // File header, info header, two rows of two pixels padded to 8 bytes.
    std::vector<char> file(14 + 40 + 16, 0);
    auto put32 = [&](size_t at, uint32_t v) {
        for (int k = 0; k < 4; ++k) file[at + size_t(k)] = char((v >> (8 * k)) & 0xFF);
    };
    file[0] = 'B';
    file[1] = 'M';
    put32(2, uint32_t(file.size()));
    put32(10, 54);
    put32(14, 40);
    put32(18, 2);
    put32(22, 2);
    file[26] = 1;   // planes
    file[28] = 24;  // bits per pixel
    for (size_t row = 0; row < 2; ++row)
        for (size_t px = 0; px < 2; ++px) {
            const size_t at = 54 + row * 8 + px * 3;
            file[at] = char(b);
            file[at + 1] = char(g);
            file[at + 2] = char(r);
        }
    return file;
}

void MeshDevice::SetUp()
{
    ASSERT_TRUE(media.ok());
    RenderDevice::SetUp();
}

void MeshDevice::TearDown()
{
    mesh.releaseAll();
    RenderDevice::TearDown();
}

void MeshDevice::writeFile(const std::string& name, const std::string& text)
{
    writeFile(name, std::vector<char>(text.begin(), text.end()));
}

void MeshDevice::writeFile(const std::string& name, const std::vector<char>& bytes)
{
    std::ofstream out(media.at(name), std::ios::binary);
    out.write(bytes.data(), std::streamsize(bytes.size()));
    ASSERT_TRUE(out.good()) << name;
}

void MeshDevice::showClipSpace()
{
    D3DMATRIX identity = {};
    identity._11 = identity._22 = identity._33 = identity._44 = 1.0f;
    for (D3DTRANSFORMSTATETYPE t : {D3DTS_WORLD, D3DTS_VIEW, D3DTS_PROJECTION}) device->SetTransform(t, &identity);
    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    device->SetRenderState(D3DRS_ZENABLE, FALSE);
}

void MeshDevice::countDraws()
{
    showClipSpace();
    device->SetRenderState(D3DRS_LIGHTING, FALSE);
    device->SetRenderState(D3DRS_TEXTUREFACTOR, 0xFF404040);
    device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
    device->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TFACTOR);
    device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG1);
    device->SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_TFACTOR);
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
    device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_ONE);
    device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_ONE);
}

void MeshDevice::showMaterials()
{
    showClipSpace();
    device->SetRenderState(D3DRS_LIGHTING, TRUE);
    device->SetRenderState(D3DRS_AMBIENT, 0xFFFFFFFF);
}

uint32_t quadCentre(const Frame& frame, size_t i, size_t quads)
{
    const float x = (quadLeft(i, quads) + quadRight(i, quads)) * 0.5f;
    return frame.at(int((x + 1.0f) * 0.5f * float(frame.width)), frame.height / 2);
}
