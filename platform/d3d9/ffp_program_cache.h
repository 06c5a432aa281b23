// The fixed-function pipeline as GLSL programs: a key that names everything
// the generated code depends on, the programs built for each key (made once,
// then found by key), their uniform locations, and the per-draw values the
// device derives from its state. Used by draw.cpp; a program that fails to
// compile or link is not cached and `get` returns null.
#pragma once

#include <d3d9.h>

#include <epoxy/gl.h>

#include <cstdint>
#include <memory>
#include <unordered_map>
#include <string>

namespace d3d9gl {

struct FfpStageKey {
    uint8_t colorOp, colorArg0, colorArg1, colorArg2;
    uint8_t alphaOp, alphaArg0, alphaArg1, alphaArg2;
    uint8_t resultTemp;      // result goes to TEMP instead of CURRENT
    uint8_t texCoordIndex;   // coordinate set of the FVF
    uint8_t texGen;          // D3DTSS_TCI_* >> 16
    uint8_t transformCount;  // D3DTTFF_COUNTn, 0 for no transform
    uint8_t projected;
    uint8_t sampled;         // the stage reads its texture
};

// Only bytes, so keys compare and hash as memory.
struct FfpKey {
    uint8_t rhw, normal, diffuse, specular, texCount;
    uint8_t texSizes[8];
    uint8_t blendWeights;  // vertex blending: weights in the vertex (0 = off)
    uint8_t lighting, specularEnable, localViewer, normalizeNormals;
    uint8_t diffuseSource, ambientSource, specularSource, emissiveSource;  // 0 material, 1 colour 1, 2 colour 2
    uint8_t lightCount;
    uint8_t lightTypes[8];
    uint8_t alphaFunc;  // D3DCMP_*, 0 when the alpha test is off
    uint8_t fogMode;    // D3DFOG_*, 4 = the specular alpha is the fog factor, 0 = no fog
    uint8_t fogRange;
    uint8_t flatShade;
    uint8_t stageCount;
    FfpStageKey stages[8];
};

struct FfpKeyHash {
    size_t operator()(const FfpKey& key) const;
};
struct FfpKeyEqual {
    bool operator()(const FfpKey& a, const FfpKey& b) const;
};

// Values the device derives from its state for the uniforms.
struct FfpDerived {
    D3DMATRIX worldView[4];
    float normalMatrix[4][9];
    float lightDiffuse[8][4], lightSpecular[8][4], lightAmbient[8][4];
    float lightPosition[8][3], lightDirection[8][3];  // camera space; direction points at the light
    float lightAttenuation[8][4];                     // a0, a1, a2, range
    float lightSpot[8][3];                            // cos(theta/2), cos(phi/2), falloff
};

struct FfpProgram {
    GLuint program = 0;
    GLint worldView = -1, normalMatrix = -1, projection = -1, pixelOffset = -1, viewportRect = -1;
    GLint texMatrix = -1;
    GLint globalAmbient = -1, matDiffuse = -1, matAmbient = -1, matSpecular = -1, matEmissive = -1, matPower = -1;
    GLint lightDiffuse = -1, lightSpecular = -1, lightAmbient = -1, lightPosition = -1, lightDirection = -1;
    GLint lightAttenuation = -1, lightSpot = -1;
    GLint textureFactor = -1, alphaRef = -1, fogColor = -1, fogParams = -1;
    uint64_t transformVersion = 0, projectionVersion = 0, materialVersion = 0, lightsVersion = 0, miscVersion = 0;
};

// ffp_shader_gen.cpp
std::string ffpVertexShader(const FfpKey& key);
std::string ffpFragmentShader(const FfpKey& key);

class FfpProgramCache {
public:
    ~FfpProgramCache();
    // The program for `key`, built on first use in the current GL context.
    FfpProgram* get(const FfpKey& key);
    // Deletes every program (the device's context must be current).
    void clear();

private:
    std::unordered_map<FfpKey, std::unique_ptr<FfpProgram>, FfpKeyHash, FfpKeyEqual> programs_;
};

}  // namespace d3d9gl
