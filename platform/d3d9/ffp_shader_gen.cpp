// GLSL for the fixed-function pipeline, following Direct3D 9's published
// equations: transforms with row vectors (the D3D matrix's floats used
// unchanged as GL column-major give v * M), camera-space lighting, texture
// stages, specular add, fog and the alpha test. The clip-space fix-ups that
// keep Direct3D's conventions (depth 0..1, pixel centres on integers) are at
// the end of the vertex stage.
#include "platform/d3d9/ffp_program_cache.h"

#include <cstdio>
#include <string>

namespace d3d9gl {
namespace {

void add(std::string& s, const char* text) { s += text; }

template <class... Args>
void addf(std::string& s, const char* format, Args... args)
{
    char buffer[512];
    std::snprintf(buffer, sizeof buffer, format, args...);
    s += buffer;
}

const char* vecType(int size)
{
    static const char* const names[] = {"float", "float", "vec2", "vec3", "vec4"};
    return names[size < 1 ? 1 : size > 4 ? 4 : size];
}

// The 4-vector a fixed-function texture transform sees for a coordinate set
// of `size` components: a 2D set becomes (u, v, 1, 0), so the matrix's third
// row translates it, as Direct3D does.
std::string expandCoord(const FfpKey& key, int set)
{
    if (set >= key.texCount) return "vec4(0.0, 0.0, 0.0, 1.0)";
    const std::string name = "a_tex" + std::to_string(set);
    switch (key.texSizes[set]) {
    case 1:
        return std::string("vec4(") + name + ", 1.0, 0.0, 0.0)";
    case 3:
        return std::string("vec4(") + name + ", 1.0)";
    case 4:
        return name;
    default:
        return std::string("vec4(") + name + ", 1.0, 0.0)";
    }
}

const char* sourceColor(const FfpKey& key, int source, const char* material)
{
    if (source == 1 && key.diffuse) return "a_diffuse";
    if (source == 2 && key.specular) return "a_specular";
    return material;
}

void vertexLighting(const FfpKey& key, std::string& s)
{
    addf(s, "    vec4 cd = %s;\n", sourceColor(key, key.diffuseSource, "u_matDiffuse"));
    addf(s, "    vec4 ca = %s;\n", sourceColor(key, key.ambientSource, "u_matAmbient"));
    addf(s, "    vec4 cs = %s;\n", sourceColor(key, key.specularSource, "u_matSpecular"));
    addf(s, "    vec4 ce = %s;\n", sourceColor(key, key.emissiveSource, "u_matEmissive"));
    add(s, "    vec3 ambient = vec3(0.0), diffuse = vec3(0.0), specular = vec3(0.0);\n");
    if (key.localViewer)
        add(s, "    vec3 toViewer = -normalize(cam.xyz);\n");
    else
        add(s, "    vec3 toViewer = vec3(0.0, 0.0, -1.0);\n");
    for (int i = 0; i < key.lightCount; ++i) {
        add(s, "    {\n        vec3 L; float att = 1.0;\n");
        if (key.lightTypes[i] == D3DLIGHT_DIRECTIONAL) {
            addf(s, "        L = u_lightDirection[%d];\n", i);
        } else {
            addf(s, "        vec3 toLight = u_lightPosition[%d] - cam.xyz;\n", i);
            add(s, "        float d = length(toLight);\n        L = toLight / max(d, 1e-20);\n");
            addf(s, "        vec4 k = u_lightAttenuation[%d];\n", i);
            add(s, "        att = d > k.w ? 0.0 : 1.0 / max(k.x + k.y * d + k.z * d * d, 1e-20);\n");
            if (key.lightTypes[i] == D3DLIGHT_SPOT) {
                addf(s, "        vec3 spot = u_lightSpot[%d];\n", i);
                addf(s, "        float rho = dot(-L, u_lightDirection[%d]);\n", i);
                add(s,
                    "        float sf = rho > spot.x ? 1.0 : rho <= spot.y ? 0.0\n"
                    "            : pow(clamp((rho - spot.y) / max(spot.x - spot.y, 1e-6), 0.0, 1.0), spot.z);\n"
                    "        att *= sf;\n");
            }
        }
        addf(s, "        ambient += u_lightAmbient[%d].rgb * att;\n", i);
        add(s, "        float nl = dot(n, L);\n        if (nl > 0.0) {\n");
        addf(s, "            diffuse += u_lightDiffuse[%d].rgb * nl * att;\n", i);
        if (key.specularEnable) {
            add(s, "            vec3 H = normalize(L + toViewer);\n            float nh = dot(n, H);\n");
            addf(s,
                 "            if (nh > 0.0) specular += u_lightSpecular[%d].rgb * att *"
                 " (u_matPower > 0.0 ? pow(nh, u_matPower) : 1.0);\n",
                 i);
        }
        add(s, "        }\n    }\n");
    }
    add(s,
        "    v_diffuse = vec4(clamp(ce.rgb + ca.rgb * u_globalAmbient.rgb + ca.rgb * ambient + cd.rgb * diffuse,"
        " 0.0, 1.0), cd.a);\n"
        "    v_specular = vec4(clamp(cs.rgb * specular, 0.0, 1.0), cs.a);\n");
}

// One argument of a stage as vec4, with its modifiers.
std::string stageArg(int arg)
{
    std::string value;
    switch (arg & 0x0f) {
    case D3DTA_DIFFUSE: value = "v_diffuse"; break;
    case D3DTA_CURRENT: value = "current"; break;
    case D3DTA_TEXTURE: value = "tex"; break;
    case D3DTA_TFACTOR: value = "u_textureFactor"; break;
    case D3DTA_SPECULAR: value = "v_specular"; break;
    case D3DTA_TEMP: value = "temp"; break;
    default: value = "vec4(1.0)"; break;
    }
    if (arg & D3DTA_COMPLEMENT) value = "(vec4(1.0) - " + value + ")";
    if (arg & D3DTA_ALPHAREPLICATE) value = "vec4(" + value + ".a)";
    return value;
}

// The operation's result from a0, a1, a2 (already swizzled by the caller).
std::string stageOp(int op, const std::string& a0, const std::string& a1, const std::string& a2, const char* sw)
{
    const std::string s = sw;
    switch (op) {
    case D3DTOP_SELECTARG1: return a1;
    case D3DTOP_SELECTARG2: return a2;
    case D3DTOP_MODULATE: return a1 + " * " + a2;
    case D3DTOP_MODULATE2X: return "2.0 * " + a1 + " * " + a2;
    case D3DTOP_MODULATE4X: return "4.0 * " + a1 + " * " + a2;
    case D3DTOP_ADD: return a1 + " + " + a2;
    case D3DTOP_ADDSIGNED: return a1 + " + " + a2 + " - 0.5";
    case D3DTOP_ADDSIGNED2X: return "2.0 * (" + a1 + " + " + a2 + " - 0.5)";
    case D3DTOP_SUBTRACT: return a1 + " - " + a2;
    case D3DTOP_ADDSMOOTH: return a1 + " + " + a2 + " - " + a1 + " * " + a2;
    case D3DTOP_BLENDDIFFUSEALPHA: return "mix(" + a2 + ", " + a1 + ", v_diffuse.a)";
    case D3DTOP_BLENDTEXTUREALPHA: return "mix(" + a2 + ", " + a1 + ", tex.a)";
    case D3DTOP_BLENDFACTORALPHA: return "mix(" + a2 + ", " + a1 + ", u_textureFactor.a)";
    case D3DTOP_BLENDTEXTUREALPHAPM: return a1 + " + " + a2 + " * (1.0 - tex.a)";
    case D3DTOP_BLENDCURRENTALPHA: return "mix(" + a2 + ", " + a1 + ", current.a)";
    case D3DTOP_MODULATEALPHA_ADDCOLOR: return a1 + " + a1full.a * " + a2;
    case D3DTOP_MODULATECOLOR_ADDALPHA: return a1 + " * " + a2 + " + a1full.a";
    case D3DTOP_MODULATEINVALPHA_ADDCOLOR: return "(1.0 - a1full.a) * " + a2 + " + " + a1;
    case D3DTOP_MODULATEINVCOLOR_ADDALPHA: return "(1.0 - " + a1 + ") * " + a2 + " + a1full.a";
    case D3DTOP_DOTPRODUCT3: return "vec4(4.0 * dot(a1full.rgb - 0.5, a2full.rgb - 0.5))" + s;
    case D3DTOP_MULTIPLYADD: return a0 + " + " + a1 + " * " + a2;
    case D3DTOP_LERP: return "mix(" + a2 + ", " + a1 + ", " + a0 + ")";
    default: return a1;
    }
}

const char* compare(int func)
{
    switch (func) {
    case D3DCMP_NEVER: return "false";
    case D3DCMP_LESS: return "a < u_alphaRef";
    case D3DCMP_EQUAL: return "a == u_alphaRef";
    case D3DCMP_LESSEQUAL: return "a <= u_alphaRef";
    case D3DCMP_GREATER: return "a > u_alphaRef";
    case D3DCMP_NOTEQUAL: return "a != u_alphaRef";
    case D3DCMP_GREATEREQUAL: return "a >= u_alphaRef";
    default: return "true";
    }
}

const char* interpolation(const FfpKey& key) { return key.flatShade ? "flat " : ""; }

// A stage's coordinates as the fragment stage reads them: all four for a
// projected lookup, else only s and t, so no more is interpolated per pixel.
const char* texVarying(const FfpStageKey& stage) { return stage.projected ? "vec4" : "vec2"; }

}  // namespace

std::string ffpVertexShader(const FfpKey& key)
{
    std::string s = "#version 330 core\n";
    if (key.rhw)
        add(s, "layout(location = 0) in vec4 a_position;\n");
    else
        add(s, "layout(location = 0) in vec3 a_position;\n");
    if (key.normal) add(s, "layout(location = 1) in vec3 a_normal;\n");
    if (key.diffuse) add(s, "layout(location = 2) in vec4 a_diffuse;\n");
    if (key.specular) add(s, "layout(location = 3) in vec4 a_specular;\n");
    if (key.blendWeights) addf(s, "layout(location = 4) in %s a_weights;\n", vecType(key.blendWeights));
    for (int i = 0; i < key.texCount; ++i)
        addf(s, "layout(location = %d) in %s a_tex%d;\n", 5 + i, vecType(key.texSizes[i]), i);
    add(s,
        "uniform mat4 u_worldView[4];\n"
        "uniform mat3 u_normalMatrix[4];\n"
        "uniform mat4 u_projection;\n"
        "uniform vec2 u_pixelOffset;\n"
        "uniform vec4 u_viewportRect;\n"
        "uniform mat4 u_texMatrix[8];\n"
        "uniform vec4 u_globalAmbient;\n"
        "uniform vec4 u_matDiffuse, u_matAmbient, u_matSpecular, u_matEmissive;\n"
        "uniform float u_matPower;\n"
        "uniform vec4 u_lightDiffuse[8], u_lightSpecular[8], u_lightAmbient[8], u_lightAttenuation[8];\n"
        "uniform vec3 u_lightPosition[8], u_lightDirection[8], u_lightSpot[8];\n");
    addf(s, "%sout vec4 v_diffuse;\n%sout vec4 v_specular;\nout float v_fog;\n", interpolation(key),
         interpolation(key));
    for (int i = 0; i < key.stageCount; ++i)
        if (key.stages[i].sampled) addf(s, "out %s v_tex%d;\n", texVarying(key.stages[i]), i);
    add(s, "void main()\n{\n");

    if (key.rhw) {
        // Screen-space vertices: no transform or lighting; keep 1/rhw as w so
        // texturing stays perspective-correct.
        add(s,
            "    float w = a_position.w > 0.0 ? 1.0 / a_position.w : 1.0;\n"
            "    vec2 ndc = vec2((a_position.x - u_viewportRect.x) * 2.0 / u_viewportRect.z - 1.0,\n"
            "                    1.0 - (a_position.y - u_viewportRect.y) * 2.0 / u_viewportRect.w);\n"
            "    ndc += u_pixelOffset;\n"
            "    gl_Position = vec4(ndc * w, (2.0 * a_position.z - 1.0) * w, w);\n"
            "    vec4 cam = vec4(a_position.xyz, 1.0);\n"
            "    vec3 n = vec3(0.0, 0.0, 0.0);\n");
        add(s, key.diffuse ? "    v_diffuse = a_diffuse;\n" : "    v_diffuse = vec4(1.0);\n");
        add(s, key.specular ? "    v_specular = a_specular;\n" : "    v_specular = vec4(0.0);\n");
        add(s, "    v_fog = a_position.z;\n");
    } else {
        add(s, "    vec4 pos = vec4(a_position, 1.0);\n");
        add(s, key.normal ? "    vec3 nIn = a_normal;\n" : "    vec3 nIn = vec3(0.0);\n");
        if (key.blendWeights) {
            // Direct3D's vertex blending: the last weight is one minus the others.
            add(s, "    float weights[4];\n    float rest = 1.0;\n");
            for (int i = 0; i < key.blendWeights; ++i) {
                if (key.blendWeights == 1)
                    add(s, "    weights[0] = a_weights;\n");
                else
                    addf(s, "    weights[%d] = a_weights[%d];\n", i, i);
                addf(s, "    rest -= weights[%d];\n", i);
            }
            addf(s, "    weights[%d] = rest;\n", int(key.blendWeights));
            add(s, "    vec4 cam = vec4(0.0);\n    vec3 n = vec3(0.0);\n");
            for (int i = 0; i <= key.blendWeights; ++i)
                addf(s,
                     "    cam += weights[%d] * (u_worldView[%d] * pos);\n"
                     "    n += weights[%d] * (u_normalMatrix[%d] * nIn);\n",
                     i, i, i, i);
        } else {
            add(s, "    vec4 cam = u_worldView[0] * pos;\n    vec3 n = u_normalMatrix[0] * nIn;\n");
        }
        if (key.normalizeNormals) add(s, "    n = length(n) > 0.0 ? normalize(n) : n;\n");
        add(s,
            "    vec4 clip = u_projection * cam;\n"
            // Pixel centres on integers: shift half a pixel right and down.
            "    clip.xy += u_pixelOffset * clip.w;\n"
            // Direct3D's depth 0..1 into GL's -1..1.
            "    clip.z = 2.0 * clip.z - clip.w;\n"
            "    gl_Position = clip;\n");
        if (key.lighting) {
            vertexLighting(key, s);
        } else {
            add(s, key.diffuse ? "    v_diffuse = a_diffuse;\n" : "    v_diffuse = vec4(1.0);\n");
            add(s, key.specular ? "    v_specular = a_specular;\n" : "    v_specular = vec4(0.0);\n");
        }
        add(s, key.fogRange ? "    v_fog = length(cam.xyz);\n" : "    v_fog = cam.z;\n");
    }

    for (int i = 0; i < key.stageCount; ++i) {
        const FfpStageKey& stage = key.stages[i];
        if (!stage.sampled) continue;
        std::string coord;
        switch (stage.texGen) {
        case 1: coord = "vec4(n, 1.0)"; break;
        case 2: coord = "vec4(cam.xyz, 1.0)"; break;
        case 3: coord = "vec4(reflect(normalize(cam.xyz), n), 1.0)"; break;
        default: coord = expandCoord(key, stage.texCoordIndex); break;
        }
        const char* part = stage.projected ? "" : ".xy";
        if (stage.transformCount)
            addf(s, "    v_tex%d = (u_texMatrix[%d] * %s)%s;\n", i, i, coord.c_str(), part);
        else
            addf(s, "    v_tex%d = (%s)%s;\n", i, coord.c_str(), part);
    }
    add(s, "}\n");
    return s;
}

std::string ffpFragmentShader(const FfpKey& key)
{
    std::string s = "#version 330 core\n";
    addf(s, "%sin vec4 v_diffuse;\n%sin vec4 v_specular;\nin float v_fog;\n", interpolation(key),
         interpolation(key));
    for (int i = 0; i < key.stageCount; ++i)
        if (key.stages[i].sampled)
            addf(s, "in %s v_tex%d;\nuniform sampler2D u_sampler%d;\n", texVarying(key.stages[i]), i, i);
    add(s,
        "uniform vec4 u_textureFactor;\n"
        "uniform float u_alphaRef;\n"
        "uniform vec4 u_fogColor;\n"
        "uniform vec3 u_fogParams;\n"
        "out vec4 o_color;\n"
        "void main()\n{\n"
        "    vec4 current = v_diffuse;\n"
        "    vec4 temp = vec4(0.0);\n"
        "    vec4 tex = vec4(1.0);\n"
        "    vec4 a1full, a2full;\n");
    for (int i = 0; i < key.stageCount; ++i) {
        const FfpStageKey& stage = key.stages[i];
        if (stage.sampled) {
            if (stage.projected) {
                const int last = stage.transformCount > 1 ? stage.transformCount - 1 : 3;
                addf(s, "    tex = texture(u_sampler%d, v_tex%d.xy / v_tex%d[%d]);\n", i, i, i, last);
            } else {
                addf(s, "    tex = texture(u_sampler%d, v_tex%d.xy);\n", i, i);
            }
        }
        const char* target = stage.resultTemp ? "temp" : "current";
        // Colour.
        {
            const std::string a0 = stageArg(stage.colorArg0), a1 = stageArg(stage.colorArg1),
                              a2 = stageArg(stage.colorArg2);
            addf(s, "    a1full = %s; a2full = %s;\n", a1.c_str(), a2.c_str());
            const std::string op = stageOp(stage.colorOp, "(" + a0 + ").rgb", "(" + a1 + ").rgb",
                                           "(" + a2 + ").rgb", ".rgb");
            addf(s, "    vec3 c%d = clamp(%s, 0.0, 1.0);\n", i, op.c_str());
        }
        // Alpha; a disabled alpha operation passes the current alpha on.
        if (stage.alphaOp != D3DTOP_DISABLE) {
            const std::string a0 = stageArg(stage.alphaArg0), a1 = stageArg(stage.alphaArg1),
                              a2 = stageArg(stage.alphaArg2);
            addf(s, "    a1full = %s; a2full = %s;\n", a1.c_str(), a2.c_str());
            const std::string op =
                stageOp(stage.alphaOp, "(" + a0 + ").a", "(" + a1 + ").a", "(" + a2 + ").a", ".a");
            addf(s, "    float alpha%d = clamp(%s, 0.0, 1.0);\n", i, op.c_str());
        } else {
            addf(s, "    float alpha%d = current.a;\n", i);
        }
        addf(s, "    %s = vec4(c%d, alpha%d);\n", target, i, i);
    }
    if (key.specularEnable) add(s, "    current.rgb = clamp(current.rgb + v_specular.rgb, 0.0, 1.0);\n");
    if (key.fogMode) {
        switch (key.fogMode) {
        case D3DFOG_LINEAR:
            add(s, "    float fog = (u_fogParams.y - v_fog) / (u_fogParams.y - u_fogParams.x);\n");
            break;
        case D3DFOG_EXP:
            add(s, "    float fog = exp(-u_fogParams.z * v_fog);\n");
            break;
        case D3DFOG_EXP2:
            add(s, "    float fog = exp(-(u_fogParams.z * v_fog) * (u_fogParams.z * v_fog));\n");
            break;
        default:
            add(s, "    float fog = v_specular.a;\n");
            break;
        }
        add(s, "    current.rgb = mix(u_fogColor.rgb, current.rgb, clamp(fog, 0.0, 1.0));\n");
    }
    if (key.alphaFunc) {
        // Direct3D compares the 8-bit alpha with ALPHAREF.
        addf(s, "    float a = floor(current.a * 255.0 + 0.5);\n    if (!(%s)) discard;\n", compare(key.alphaFunc));
    }
    add(s, "    o_color = current;\n}\n");
    return s;
}

}  // namespace d3d9gl
