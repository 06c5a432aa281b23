// Loading a .x text file of 100,000 triangles: our D3DXLoadMeshFromXA (parse,
// frame transform, fans, normals and texture coordinates, materials, the
// adjacency) against Debian's libassimp importing the same file with its
// triangulation step. The file is written to a temporary folder at start and
// removed at the end; main first checks that both read the same face count.
#include "bench/ratio_reporter.h"
#include "math/d3dx_mesh.h"

#include <assimp/Importer.hpp>
#include <assimp/postprocess.h>
#include <assimp/scene.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include <unistd.h>

namespace {

constexpr int kColumns = 250, kRows = 200;  // quads; two triangles each
constexpr unsigned kFaces = 2u * kColumns * kRows;

std::string gFile;

// A gently waved grid under a frame, with normals (its own face list),
// texture coordinates and two materials in alternate rows, one textured;
// written as exporters write it (the baseline refuses spaces in matrix lists).
bool writeGrid(const std::string& path) {
    std::ofstream out(path, std::ios::binary);
    char line[160];
    auto vertex = [](int x, int y) { return y * (kColumns + 1) + x; };
    auto height = [](int x, int y) { return 0.2f * std::sin(x * 0.1f) * std::cos(y * 0.13f); };
    out << "xof 0303txt 0032\n"
           "Material Wood { 0.6;0.4;0.2;1.0;; 10.0; 0.1;0.1;0.1;; 0.0;0.0;0.0;; TextureFilename { \"wood.jpg\"; } }\n"
           "Frame Root {\n FrameTransformMatrix {\n  1.000000,0.000000,0.000000,0.000000,0.000000,1.000000,0.000000,0.000000,\n"
           "  0.000000,0.000000,1.000000,0.000000,-1.000000,0.000000,-1.000000,1.000000;;\n }\n Mesh Grid {\n";
    const int vertices = (kColumns + 1) * (kRows + 1);
    out << "  " << vertices << ";\n";
    for (int y = 0; y <= kRows; ++y)
        for (int x = 0; x <= kColumns; ++x) {
            std::snprintf(line, sizeof line, "  %.6f;%.6f;%.6f;%s\n", x * 0.01, double(height(x, y)), y * 0.01,
                          vertex(x, y) == vertices - 1 ? ";" : ",");
            out << line;
        }
    auto faces = [&](const char* indent) {
        out << indent << kFaces << ";\n";
        for (int y = 0; y < kRows; ++y)
            for (int x = 0; x < kColumns; ++x) {
                const int a = vertex(x, y), b = vertex(x, y + 1), c = vertex(x + 1, y + 1), d = vertex(x + 1, y);
                const bool last = y == kRows - 1 && x == kColumns - 1;
                std::snprintf(line, sizeof line, "%s3;%d,%d,%d;,\n%s3;%d,%d,%d;%s\n", indent, a, b, c, indent, a, c, d,
                              last ? ";" : ",");
                out << line;
            }
    };
    faces("  ");
    out << "  MeshNormals {\n   " << vertices << ";\n";
    for (int y = 0; y <= kRows; ++y)
        for (int x = 0; x <= kColumns; ++x) {
            float dx = height(x + 1, y) - height(x - 1, y), dz = height(x, y + 1) - height(x, y - 1);
            float length = std::sqrt(dx * dx + 0.0004f + dz * dz);
            std::snprintf(line, sizeof line, "   %.6f;%.6f;%.6f;%s\n", -dx / length, 0.02 / length, -dz / length,
                          vertex(x, y) == vertices - 1 ? ";" : ",");
            out << line;
        }
    faces("   ");
    out << "  }\n  MeshTextureCoords {\n   " << vertices << ";\n";
    for (int y = 0; y <= kRows; ++y)
        for (int x = 0; x <= kColumns; ++x) {
            std::snprintf(line, sizeof line, "   %.6f;%.6f;%s\n", double(x) / kColumns, double(y) / kRows,
                          vertex(x, y) == vertices - 1 ? ";" : ",");
            out << line;
        }
    out << "  }\n  MeshMaterialList {\n   2;\n   " << kFaces << ";\n";
    for (unsigned f = 0; f < kFaces; ++f)
        out << "   " << ((f / (2 * kColumns)) % 2) << (f + 1 == kFaces ? ";;\n" : ",\n");
    out << "   {Wood}\n   Material Glass { 0.5;0.7;0.9;0.4;; 40.0; 1.0;1.0;1.0;; 0.0;0.0;0.0;; }\n  }\n }\n}\n";
    return static_cast<bool>(out);
}

unsigned oursFaces() {
    ID3DXMesh* mesh = nullptr;
    ID3DXBuffer* adjacency = nullptr;
    ID3DXBuffer* materials = nullptr;
    DWORD count = 0;
    if (FAILED(D3DXLoadMeshFromXA(gFile.c_str(), D3DXMESH_SYSTEMMEM, nullptr, &adjacency, &materials, nullptr, &count,
                                  &mesh)))
        return 0;
    unsigned faces = mesh->GetNumFaces();
    mesh->Release();
    adjacency->Release();
    materials->Release();
    return faces;
}

unsigned assimpFaces() {
    Assimp::Importer importer;
    const aiScene* scene = importer.ReadFile(gFile, aiProcess_Triangulate);
    if (!scene) return 0;
    unsigned faces = 0;
    for (unsigned i = 0; i < scene->mNumMeshes; ++i) faces += scene->mMeshes[i]->mNumFaces;
    return faces;
}

void loadOurs(benchmark::State& state) {
    for (auto _ : state) {
        unsigned faces = oursFaces();
        benchmark::DoNotOptimize(faces);
        if (faces != kFaces) state.SkipWithError("our load failed");
    }
}

void loadAssimp(benchmark::State& state) {
    for (auto _ : state) {
        unsigned faces = assimpFaces();
        benchmark::DoNotOptimize(faces);
        if (faces != kFaces) state.SkipWithError("assimp load failed");
    }
}

BENCHMARK(loadOurs)->Name("LoadX100k/ours")->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(loadAssimp)->Name("LoadX100k/assimp")->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
    std::error_code error;
    const std::filesystem::path folder =
        std::filesystem::temp_directory_path(error) / ("q31-bench-xload-" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder, error);
    gFile = (folder / "grid.x").string();
    int result = 1;
    if (error || !writeGrid(gFile)) {
        std::fprintf(stderr, "bench_xload: cannot write %s\n", gFile.c_str());
    } else if (oursFaces() != kFaces || assimpFaces() != kFaces) {
        std::fprintf(stderr, "bench_xload: the loaders disagree (ours %u, assimp %u, expected %u faces)\n", oursFaces(),
                     assimpFaces(), kFaces);
    } else {
        result = runWithRatios(argc, argv, "ours", "assimp");
    }
    std::filesystem::remove_all(folder, error);
    return result;
}
