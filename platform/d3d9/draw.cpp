// Draw calls: resolve what changed since the last draw (shader key, GL raster
// state, textures and samplers, uniforms, vertex input) and issue the GL
// draw. Unchanged state costs a flag test; nothing is allocated per draw.
#include "platform/d3d9/device.h"
#include "platform/d3d9/resources_buffers.h"
#include "platform/d3d9/textures.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace d3d9gl {
namespace {

float asFloat(DWORD bits)
{
    float value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

void colorToFloats(D3DCOLOR color, float out[4])
{
    out[0] = float((color >> 16) & 0xff) / 255.f;
    out[1] = float((color >> 8) & 0xff) / 255.f;
    out[2] = float(color & 0xff) / 255.f;
    out[3] = float(color >> 24) / 255.f;
}

GLenum compareFunc(DWORD func)
{
    switch (func) {
    case D3DCMP_NEVER: return GL_NEVER;
    case D3DCMP_LESS: return GL_LESS;
    case D3DCMP_EQUAL: return GL_EQUAL;
    case D3DCMP_LESSEQUAL: return GL_LEQUAL;
    case D3DCMP_GREATER: return GL_GREATER;
    case D3DCMP_NOTEQUAL: return GL_NOTEQUAL;
    case D3DCMP_GREATEREQUAL: return GL_GEQUAL;
    default: return GL_ALWAYS;
    }
}

GLenum blendFactor(DWORD blend)
{
    switch (blend) {
    case D3DBLEND_ZERO: return GL_ZERO;
    case D3DBLEND_ONE: return GL_ONE;
    case D3DBLEND_SRCCOLOR: return GL_SRC_COLOR;
    case D3DBLEND_INVSRCCOLOR: return GL_ONE_MINUS_SRC_COLOR;
    case D3DBLEND_SRCALPHA: return GL_SRC_ALPHA;
    case D3DBLEND_INVSRCALPHA: return GL_ONE_MINUS_SRC_ALPHA;
    case D3DBLEND_DESTALPHA: return GL_DST_ALPHA;
    case D3DBLEND_INVDESTALPHA: return GL_ONE_MINUS_DST_ALPHA;
    case D3DBLEND_DESTCOLOR: return GL_DST_COLOR;
    case D3DBLEND_INVDESTCOLOR: return GL_ONE_MINUS_DST_COLOR;
    case D3DBLEND_SRCALPHASAT: return GL_SRC_ALPHA_SATURATE;
    case D3DBLEND_BLENDFACTOR: return GL_CONSTANT_COLOR;
    case D3DBLEND_INVBLENDFACTOR: return GL_ONE_MINUS_CONSTANT_COLOR;
    default: return GL_ONE;
    }
}

GLenum blendOp(DWORD op)
{
    switch (op) {
    case D3DBLENDOP_SUBTRACT: return GL_FUNC_SUBTRACT;
    case D3DBLENDOP_REVSUBTRACT: return GL_FUNC_REVERSE_SUBTRACT;
    case D3DBLENDOP_MIN: return GL_MIN;
    case D3DBLENDOP_MAX: return GL_MAX;
    default: return GL_FUNC_ADD;
    }
}

GLenum stencilOp(DWORD op)
{
    switch (op) {
    case D3DSTENCILOP_ZERO: return GL_ZERO;
    case D3DSTENCILOP_REPLACE: return GL_REPLACE;
    case D3DSTENCILOP_INCRSAT: return GL_INCR;
    case D3DSTENCILOP_DECRSAT: return GL_DECR;
    case D3DSTENCILOP_INVERT: return GL_INVERT;
    case D3DSTENCILOP_INCR: return GL_INCR_WRAP;
    case D3DSTENCILOP_DECR: return GL_DECR_WRAP;
    default: return GL_KEEP;
    }
}

GLenum addressMode(DWORD mode)
{
    switch (mode) {
    case D3DTADDRESS_MIRROR: return GL_MIRRORED_REPEAT;
    case D3DTADDRESS_CLAMP: return GL_CLAMP_TO_EDGE;
    case D3DTADDRESS_BORDER: return GL_CLAMP_TO_BORDER;
    case D3DTADDRESS_MIRRORONCE: return GL_CLAMP_TO_EDGE;
    default: return GL_REPEAT;
    }
}

bool primitiveMode(D3DPRIMITIVETYPE type, UINT count, GLenum* mode, GLsizei* vertices)
{
    switch (type) {
    case D3DPT_POINTLIST: *mode = GL_POINTS; *vertices = GLsizei(count); return true;
    case D3DPT_LINELIST: *mode = GL_LINES; *vertices = GLsizei(count * 2); return true;
    case D3DPT_LINESTRIP: *mode = GL_LINE_STRIP; *vertices = GLsizei(count + 1); return true;
    case D3DPT_TRIANGLELIST: *mode = GL_TRIANGLES; *vertices = GLsizei(count * 3); return true;
    case D3DPT_TRIANGLESTRIP: *mode = GL_TRIANGLE_STRIP; *vertices = GLsizei(count + 2); return true;
    case D3DPT_TRIANGLEFAN: *mode = GL_TRIANGLE_FAN; *vertices = GLsizei(count + 2); return true;
    default: return false;
    }
}

// Where each element of an FVF vertex sits.
struct FvfLayout {
    bool rhw = false;
    int weights = 0;  // blend weights stored in the vertex
    int normal = -1, diffuse = -1, specular = -1, position = 0, weightOffset = 12;
    int texCount = 0;
    int texSize[8] = {};
    int texOffset[8] = {};
    UINT size = 0;
};

FvfLayout layoutOf(DWORD fvf)
{
    FvfLayout l;
    const DWORD position = fvf & D3DFVF_POSITION_MASK;
    int offset = 0;
    if (position == D3DFVF_XYZRHW || position == D3DFVF_XYZW) {
        l.rhw = position == D3DFVF_XYZRHW;
        offset = 16;
    } else if (position >= D3DFVF_XYZB1 && position <= D3DFVF_XYZB5) {
        const int betas = int(position - D3DFVF_XYZRHW) / 2;
        l.weights = betas - ((fvf & (D3DFVF_LASTBETA_UBYTE4 | D3DFVF_LASTBETA_D3DCOLOR)) ? 1 : 0);
        offset = 12 + 4 * betas;
    } else if (position == D3DFVF_XYZ) {
        offset = 12;
    }
    if (fvf & D3DFVF_NORMAL) {
        l.normal = offset;
        offset += 12;
    }
    if (fvf & D3DFVF_PSIZE) offset += 4;
    if (fvf & D3DFVF_DIFFUSE) {
        l.diffuse = offset;
        offset += 4;
    }
    if (fvf & D3DFVF_SPECULAR) {
        l.specular = offset;
        offset += 4;
    }
    l.texCount = int(std::min<DWORD>((fvf & D3DFVF_TEXCOUNT_MASK) >> D3DFVF_TEXCOUNT_SHIFT, 8));
    static const int kSizes[4] = {2, 3, 4, 1};
    for (int i = 0; i < l.texCount; ++i) {
        l.texSize[i] = kSizes[(fvf >> (16 + 2 * i)) & 3];
        l.texOffset[i] = offset;
        offset += 4 * l.texSize[i];
    }
    l.size = UINT(offset);
    return l;
}

void multiply(const D3DMATRIX& a, const D3DMATRIX& b, D3DMATRIX* out)
{
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            out->m[r][c] = a.m[r][0] * b.m[0][c] + a.m[r][1] * b.m[1][c] + a.m[r][2] * b.m[2][c] + a.m[r][3] * b.m[3][c];
}

// The rows of (M3x3)^-T, which GL reads as the matrix that takes a column
// normal to Direct3D's n * (M^-1)^T.
void normalMatrix(const D3DMATRIX& m, float out[9])
{
    const float a = m._11, b = m._12, c = m._13, d = m._21, e = m._22, f = m._23, g = m._31, h = m._32, i = m._33;
    const float A = e * i - f * h, B = -(d * i - f * g), C = d * h - e * g;
    const float det = a * A + b * B + c * C;
    if (std::fabs(det) < 1e-30f) {
        std::fill(out, out + 9, 0.f);
        return;
    }
    const float k = 1.f / det;
    // Inverse-transpose equals the cofactor matrix over the determinant.
    const float cof[9] = {A, B, C, -(b * i - c * h), a * i - c * g, -(a * h - b * g), b * f - c * e,
                          -(a * f - c * d), a * e - b * d};
    for (int n = 0; n < 9; ++n) out[n] = cof[n] * k;
}

void transformPoint(const float v[3], const D3DMATRIX& m, float w, float out[3])
{
    for (int c = 0; c < 3; ++c) out[c] = v[0] * m.m[0][c] + v[1] * m.m[1][c] + v[2] * m.m[2][c] + w * m.m[3][c];
}

void normalise(float v[3])
{
    const float length = std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
    if (length > 0.f)
        for (int i = 0; i < 3; ++i) v[i] /= length;
}

bool argIsTexture(DWORD arg) { return (arg & D3DTA_SELECTMASK) == D3DTA_TEXTURE; }

// True when the operation reads the texture through its arguments or itself.
bool opReadsTexture(DWORD op, DWORD arg0, DWORD arg1, DWORD arg2)
{
    if (op == D3DTOP_BLENDTEXTUREALPHA || op == D3DTOP_BLENDTEXTUREALPHAPM) return true;
    const bool usesArg1 = op != D3DTOP_SELECTARG2;
    const bool usesArg2 = op != D3DTOP_SELECTARG1;
    const bool usesArg0 = op == D3DTOP_MULTIPLYADD || op == D3DTOP_LERP;
    return (usesArg1 && argIsTexture(arg1)) || (usesArg2 && argIsTexture(arg2)) || (usesArg0 && argIsTexture(arg0));
}

}  // namespace

// ---- shader key ----

FfpKey Device::buildKey() const
{
    FfpKey k;
    std::memset(&k, 0, sizeof k);
    const DWORD* rs = state_.renderStates;
    const DWORD fvf = state_.fvf;
    const FvfLayout layout = layoutOf(fvf);
    k.rhw = layout.rhw;
    k.normal = layout.normal >= 0 && !layout.rhw;
    k.diffuse = layout.diffuse >= 0;
    k.specular = layout.specular >= 0;
    k.texCount = uint8_t(layout.texCount);
    for (int i = 0; i < layout.texCount; ++i) k.texSizes[i] = uint8_t(layout.texSize[i]);
    const DWORD blend = rs[D3DRS_VERTEXBLEND];
    if (!layout.rhw && blend >= D3DVBF_1WEIGHTS && blend <= D3DVBF_3WEIGHTS)
        k.blendWeights = uint8_t(std::min<int>(int(blend), layout.weights));
    k.lighting = rs[D3DRS_LIGHTING] && !layout.rhw;
    k.specularEnable = rs[D3DRS_SPECULARENABLE] != FALSE;
    k.localViewer = rs[D3DRS_LOCALVIEWER] != FALSE;
    k.normalizeNormals = rs[D3DRS_NORMALIZENORMALS] != FALSE;
    if (rs[D3DRS_COLORVERTEX]) {
        k.diffuseSource = uint8_t(std::min<DWORD>(rs[D3DRS_DIFFUSEMATERIALSOURCE], 2));
        k.ambientSource = uint8_t(std::min<DWORD>(rs[D3DRS_AMBIENTMATERIALSOURCE], 2));
        k.specularSource = uint8_t(std::min<DWORD>(rs[D3DRS_SPECULARMATERIALSOURCE], 2));
        k.emissiveSource = uint8_t(std::min<DWORD>(rs[D3DRS_EMISSIVEMATERIALSOURCE], 2));
    }
    if (k.lighting)
        for (const LightSlot& light : state_.lights)
            if (light.enabled && k.lightCount < kMaxActiveLights) k.lightTypes[k.lightCount++] = uint8_t(light.light.Type);
    if (rs[D3DRS_ALPHATESTENABLE]) k.alphaFunc = uint8_t(std::min<DWORD>(std::max<DWORD>(rs[D3DRS_ALPHAFUNC], 1), 8));
    if (rs[D3DRS_FOGENABLE]) {
        const DWORD table = rs[D3DRS_FOGTABLEMODE], vertex = rs[D3DRS_FOGVERTEXMODE];
        if (table >= D3DFOG_EXP && table <= D3DFOG_LINEAR)
            k.fogMode = uint8_t(table);
        else if (!layout.rhw && vertex >= D3DFOG_EXP && vertex <= D3DFOG_LINEAR)
            k.fogMode = uint8_t(vertex);
        else
            k.fogMode = 4;
        k.fogRange = rs[D3DRS_RANGEFOGENABLE] && table == D3DFOG_NONE && !layout.rhw;
    }
    k.flatShade = rs[D3DRS_SHADEMODE] == D3DSHADE_FLAT;

    for (unsigned s = 0; s < kMaxTextureStages; ++s) {
        const DWORD* ts = state_.stageStates[s];
        const DWORD colorOp = ts[D3DTSS_COLOROP];
        if (colorOp == D3DTOP_DISABLE || colorOp < D3DTOP_DISABLE || colorOp > D3DTOP_LERP) break;
        const DWORD alphaOp = ts[D3DTSS_ALPHAOP];
        const bool alphaOn = alphaOp > D3DTOP_DISABLE && alphaOp <= D3DTOP_LERP;
        const bool reads =
            opReadsTexture(colorOp, ts[D3DTSS_COLORARG0], ts[D3DTSS_COLORARG1], ts[D3DTSS_COLORARG2]) ||
            (alphaOn && opReadsTexture(alphaOp, ts[D3DTSS_ALPHAARG0], ts[D3DTSS_ALPHAARG1], ts[D3DTSS_ALPHAARG2]));
        // A stage that samples nothing switches itself and the rest off.
        if (reads && !state_.textures[s]) break;
        FfpStageKey& st = k.stages[k.stageCount++];
        st.colorOp = uint8_t(colorOp);
        st.colorArg0 = uint8_t(ts[D3DTSS_COLORARG0]);
        st.colorArg1 = uint8_t(ts[D3DTSS_COLORARG1]);
        st.colorArg2 = uint8_t(ts[D3DTSS_COLORARG2]);
        st.alphaOp = uint8_t(alphaOn ? alphaOp : DWORD(D3DTOP_DISABLE));
        st.alphaArg0 = uint8_t(ts[D3DTSS_ALPHAARG0]);
        st.alphaArg1 = uint8_t(ts[D3DTSS_ALPHAARG1]);
        st.alphaArg2 = uint8_t(ts[D3DTSS_ALPHAARG2]);
        st.resultTemp = ts[D3DTSS_RESULTARG] == D3DTA_TEMP;
        st.sampled = reads;
        st.texCoordIndex = uint8_t(std::min<DWORD>(ts[D3DTSS_TEXCOORDINDEX] & 0xffff, 7));
        // Generated coordinates and texture transforms belong to the vertex pipeline.
        if (!layout.rhw) {
            st.texGen = uint8_t(std::min<DWORD>((ts[D3DTSS_TEXCOORDINDEX] >> 16) & 0xff, 3));
            st.transformCount = uint8_t(std::min<DWORD>(ts[D3DTSS_TEXTURETRANSFORMFLAGS] & 0xff, 4));
        }
        st.projected = (ts[D3DTSS_TEXTURETRANSFORMFLAGS] & D3DTTFF_PROJECTED) != 0;
    }
    return k;
}

// ---- derived values ----

void Device::computeDerivedTransforms()
{
    const D3DMATRIX& view = state_.transforms[kViewSlot];
    const int count = 1 + key_.blendWeights;
    for (int i = 0; i < count; ++i) {
        multiply(state_.transforms[kWorldSlot + i], view, &derived_.worldView[i]);
        normalMatrix(derived_.worldView[i], derived_.normalMatrix[i]);
    }
    derivedTransformsStale_ = false;
}

void Device::computeDerivedLights()
{
    const D3DMATRIX& view = state_.transforms[kViewSlot];
    int n = 0;
    for (const LightSlot& slot : state_.lights) {
        if (!slot.enabled || n >= int(kMaxActiveLights)) continue;
        const D3DLIGHT9& l = slot.light;
        auto copy = [](const D3DCOLORVALUE& c, float out[4]) {
            out[0] = c.r;
            out[1] = c.g;
            out[2] = c.b;
            out[3] = c.a;
        };
        copy(l.Diffuse, derived_.lightDiffuse[n]);
        copy(l.Specular, derived_.lightSpecular[n]);
        copy(l.Ambient, derived_.lightAmbient[n]);
        const float position[3] = {l.Position.x, l.Position.y, l.Position.z};
        const float direction[3] = {l.Direction.x, l.Direction.y, l.Direction.z};
        transformPoint(position, view, 1.f, derived_.lightPosition[n]);
        float* dir = derived_.lightDirection[n];
        transformPoint(direction, view, 0.f, dir);
        normalise(dir);
        if (l.Type == D3DLIGHT_DIRECTIONAL)
            for (int i = 0; i < 3; ++i) dir[i] = -dir[i];  // towards the light
        const float range = l.Type == D3DLIGHT_DIRECTIONAL ? 1e30f : l.Range;
        const float attenuation[4] = {l.Attenuation0, l.Attenuation1, l.Attenuation2, range};
        std::copy(attenuation, attenuation + 4, derived_.lightAttenuation[n]);
        derived_.lightSpot[n][0] = std::cos(l.Theta * 0.5f);
        derived_.lightSpot[n][1] = std::cos(l.Phi * 0.5f);
        derived_.lightSpot[n][2] = l.Falloff;
        ++n;
    }
    derivedLightsStale_ = false;
}

// ---- GL state ----

void Device::applyRasterState()
{
    const DWORD* rs = state_.renderStates;
    glFrontFace(GL_CW);  // Direct3D's front faces are clockwise on screen
    glProvokingVertex(GL_FIRST_VERTEX_CONVENTION);
    const bool depth = rs[D3DRS_ZENABLE] != D3DZB_FALSE && depthBuffer_;
    if (depth) glEnable(GL_DEPTH_TEST); else glDisable(GL_DEPTH_TEST);
    glDepthFunc(compareFunc(rs[D3DRS_ZFUNC]));
    glDepthMask(rs[D3DRS_ZWRITEENABLE] ? GL_TRUE : GL_FALSE);

    if (rs[D3DRS_ALPHABLENDENABLE]) {
        glEnable(GL_BLEND);
        GLenum src = blendFactor(rs[D3DRS_SRCBLEND]), dst = blendFactor(rs[D3DRS_DESTBLEND]);
        if (rs[D3DRS_SRCBLEND] == D3DBLEND_BOTHSRCALPHA) {
            src = GL_SRC_ALPHA;
            dst = GL_ONE_MINUS_SRC_ALPHA;
        } else if (rs[D3DRS_SRCBLEND] == D3DBLEND_BOTHINVSRCALPHA) {
            src = GL_ONE_MINUS_SRC_ALPHA;
            dst = GL_SRC_ALPHA;
        }
        GLenum srcAlpha = src, dstAlpha = dst, opAlpha = blendOp(rs[D3DRS_BLENDOP]);
        if (rs[D3DRS_SEPARATEALPHABLENDENABLE]) {
            srcAlpha = blendFactor(rs[D3DRS_SRCBLENDALPHA]);
            dstAlpha = blendFactor(rs[D3DRS_DESTBLENDALPHA]);
            opAlpha = blendOp(rs[D3DRS_BLENDOPALPHA]);
        }
        glBlendFuncSeparate(src, dst, srcAlpha, dstAlpha);
        glBlendEquationSeparate(blendOp(rs[D3DRS_BLENDOP]), opAlpha);
        float factor[4];
        colorToFloats(rs[D3DRS_BLENDFACTOR], factor);
        glBlendColor(factor[0], factor[1], factor[2], factor[3]);
    } else {
        glDisable(GL_BLEND);
    }

    switch (rs[D3DRS_CULLMODE]) {
    case D3DCULL_NONE: glDisable(GL_CULL_FACE); break;
    case D3DCULL_CW: glEnable(GL_CULL_FACE); glCullFace(GL_FRONT); break;
    default: glEnable(GL_CULL_FACE); glCullFace(GL_BACK); break;
    }
    switch (rs[D3DRS_FILLMODE]) {
    case D3DFILL_POINT: glPolygonMode(GL_FRONT_AND_BACK, GL_POINT); break;
    case D3DFILL_WIREFRAME: glPolygonMode(GL_FRONT_AND_BACK, GL_LINE); break;
    default: glPolygonMode(GL_FRONT_AND_BACK, GL_FILL); break;
    }

    if (rs[D3DRS_STENCILENABLE] && hasStencil_) {
        glEnable(GL_STENCIL_TEST);
        const GLint ref = GLint(rs[D3DRS_STENCILREF] & 0xff);
        glStencilFuncSeparate(GL_FRONT, compareFunc(rs[D3DRS_STENCILFUNC]), ref, rs[D3DRS_STENCILMASK]);
        glStencilOpSeparate(GL_FRONT, stencilOp(rs[D3DRS_STENCILFAIL]), stencilOp(rs[D3DRS_STENCILZFAIL]),
                            stencilOp(rs[D3DRS_STENCILPASS]));
        const bool twoSided = rs[D3DRS_TWOSIDEDSTENCILMODE] != FALSE;
        glStencilFuncSeparate(GL_BACK, compareFunc(rs[twoSided ? D3DRS_CCW_STENCILFUNC : D3DRS_STENCILFUNC]), ref,
                              rs[D3DRS_STENCILMASK]);
        glStencilOpSeparate(GL_BACK, stencilOp(rs[twoSided ? D3DRS_CCW_STENCILFAIL : D3DRS_STENCILFAIL]),
                            stencilOp(rs[twoSided ? D3DRS_CCW_STENCILZFAIL : D3DRS_STENCILZFAIL]),
                            stencilOp(rs[twoSided ? D3DRS_CCW_STENCILPASS : D3DRS_STENCILPASS]));
        glStencilMask(rs[D3DRS_STENCILWRITEMASK]);
    } else {
        glDisable(GL_STENCIL_TEST);
    }

    const DWORD mask = rs[D3DRS_COLORWRITEENABLE];
    glColorMask((mask & D3DCOLORWRITEENABLE_RED) != 0, (mask & D3DCOLORWRITEENABLE_GREEN) != 0,
                (mask & D3DCOLORWRITEENABLE_BLUE) != 0, (mask & D3DCOLORWRITEENABLE_ALPHA) != 0);

    const float bias = asFloat(rs[D3DRS_DEPTHBIAS]), slope = asFloat(rs[D3DRS_SLOPESCALEDEPTHBIAS]);
    if (bias != 0.f || slope != 0.f) {
        glEnable(GL_POLYGON_OFFSET_FILL);
        // Direct3D's bias is in depth units; GL's in steps of a 24-bit buffer.
        glPolygonOffset(slope, bias * 16777215.f);
    } else {
        glDisable(GL_POLYGON_OFFSET_FILL);
    }
}

void Device::applyTextures()
{
    for (unsigned s = 0; s < kMaxTextureStages; ++s) {
        Texture* texture = state_.textures[s];
        const GLuint name = texture ? texture->glTexture() : 0;
        const DWORD* ss = state_.samplerStates[s];
        if (boundTextures_[s] != name) {
            glActiveTexture(GL_TEXTURE0 + s);
            glBindTexture(GL_TEXTURE_2D, name);
            glBindSampler(s, samplers_[s]);
            boundTextures_[s] = name;
        }
        if (texture)
            texture->applyBaseLevel(GL_TEXTURE0 + s, ss[D3DSAMP_MIPFILTER] == D3DTEXF_NONE ? 0 : ss[D3DSAMP_MAXMIPLEVEL]);
        if (dirtySamplers_ & (1u << s)) {
            const GLuint sampler = samplers_[s];
            const bool linearMin = ss[D3DSAMP_MINFILTER] >= D3DTEXF_LINEAR;
            GLenum minFilter = linearMin ? GL_LINEAR : GL_NEAREST;
            if (ss[D3DSAMP_MIPFILTER] == D3DTEXF_POINT)
                minFilter = linearMin ? GL_LINEAR_MIPMAP_NEAREST : GL_NEAREST_MIPMAP_NEAREST;
            else if (ss[D3DSAMP_MIPFILTER] >= D3DTEXF_LINEAR)
                minFilter = linearMin ? GL_LINEAR_MIPMAP_LINEAR : GL_NEAREST_MIPMAP_LINEAR;
            glSamplerParameteri(sampler, GL_TEXTURE_MIN_FILTER, GLint(minFilter));
            glSamplerParameteri(sampler, GL_TEXTURE_MAG_FILTER,
                                ss[D3DSAMP_MAGFILTER] >= D3DTEXF_LINEAR ? GL_LINEAR : GL_NEAREST);
            glSamplerParameteri(sampler, GL_TEXTURE_WRAP_S, GLint(addressMode(ss[D3DSAMP_ADDRESSU])));
            glSamplerParameteri(sampler, GL_TEXTURE_WRAP_T, GLint(addressMode(ss[D3DSAMP_ADDRESSV])));
            float border[4];
            colorToFloats(ss[D3DSAMP_BORDERCOLOR], border);
            glSamplerParameterfv(sampler, GL_TEXTURE_BORDER_COLOR, border);
            glSamplerParameterf(sampler, GL_TEXTURE_LOD_BIAS, asFloat(ss[D3DSAMP_MIPMAPLODBIAS]));
            glBindSampler(s, sampler);
        }
    }
    dirtySamplers_ = 0;
}

void Device::uploadUniforms(FfpProgram* p)
{
    if (p->transformVersion != transformVersion_) {
        if (derivedTransformsStale_ || p->transformVersion == 0) computeDerivedTransforms();
        const GLsizei count = 1 + key_.blendWeights;
        glUniformMatrix4fv(p->worldView, count, GL_FALSE, &derived_.worldView[0].m[0][0]);
        if (p->normalMatrix >= 0) glUniformMatrix3fv(p->normalMatrix, count, GL_FALSE, derived_.normalMatrix[0]);
        p->transformVersion = transformVersion_;
    }
    if (p->projectionVersion != projectionVersion_) {
        glUniformMatrix4fv(p->projection, 1, GL_FALSE, &state_.transforms[kProjectionSlot].m[0][0]);
        p->projectionVersion = projectionVersion_;
    }
    // A program without lighting reads neither group (lighting is in its key).
    if (p->materialVersion != materialVersion_) {
        if (key_.lighting) {
            const D3DMATERIAL9& m = state_.material;
            glUniform4fv(p->matDiffuse, 1, &m.Diffuse.r);
            glUniform4fv(p->matAmbient, 1, &m.Ambient.r);
            glUniform4fv(p->matSpecular, 1, &m.Specular.r);
            glUniform4fv(p->matEmissive, 1, &m.Emissive.r);
            glUniform1f(p->matPower, m.Power);
            float ambient[4];
            colorToFloats(state_.renderStates[D3DRS_AMBIENT], ambient);
            glUniform4fv(p->globalAmbient, 1, ambient);
        }
        p->materialVersion = materialVersion_;
    }
    if (p->lightsVersion != lightsVersion_) {
        if (key_.lighting) {
            if (derivedLightsStale_) computeDerivedLights();
            const GLsizei n = key_.lightCount;
            if (n > 0) {
                glUniform4fv(p->lightDiffuse, n, derived_.lightDiffuse[0]);
                glUniform4fv(p->lightSpecular, n, derived_.lightSpecular[0]);
                glUniform4fv(p->lightAmbient, n, derived_.lightAmbient[0]);
                glUniform3fv(p->lightPosition, n, derived_.lightPosition[0]);
                glUniform3fv(p->lightDirection, n, derived_.lightDirection[0]);
                glUniform4fv(p->lightAttenuation, n, derived_.lightAttenuation[0]);
                glUniform3fv(p->lightSpot, n, derived_.lightSpot[0]);
            }
        }
        p->lightsVersion = lightsVersion_;
    }
    if (p->miscVersion != miscVersion_) {
        const D3DVIEWPORT9& vp = state_.viewport;
        glUniform2f(p->pixelOffset, 1.f / float(vp.Width), -1.f / float(vp.Height));
        glUniform4f(p->viewportRect, float(vp.X), float(vp.Y), float(vp.Width), float(vp.Height));
        if (p->texMatrix >= 0)
            glUniformMatrix4fv(p->texMatrix, kMaxTextureStages, GL_FALSE, &state_.transforms[kTextureSlot].m[0][0]);
        float color[4];
        colorToFloats(state_.renderStates[D3DRS_TEXTUREFACTOR], color);
        glUniform4fv(p->textureFactor, 1, color);
        glUniform1f(p->alphaRef, float(state_.renderStates[D3DRS_ALPHAREF] & 0xff));
        colorToFloats(state_.renderStates[D3DRS_FOGCOLOR], color);
        glUniform4fv(p->fogColor, 1, color);
        glUniform3f(p->fogParams, asFloat(state_.renderStates[D3DRS_FOGSTART]),
                    asFloat(state_.renderStates[D3DRS_FOGEND]), asFloat(state_.renderStates[D3DRS_FOGDENSITY]));
        p->miscVersion = miscVersion_;
    }
}

void Device::applyVertexInput(size_t base, GLuint buffer, UINT stride)
{
    if (base == inputBase_ && buffer == inputBuffer_ && stride == inputStride_ && state_.fvf == inputFvf_ &&
        !(dirty_ & kDirtyVertexInput))
        return;
    inputBase_ = base;
    inputBuffer_ = buffer;
    inputStride_ = stride;
    inputFvf_ = state_.fvf;
    dirty_ &= ~kDirtyVertexInput;
    glBindVertexArray(vao_);
    glBindBuffer(GL_ARRAY_BUFFER, buffer);
    const FvfLayout l = layoutOf(state_.fvf);
    uint32_t wanted = 0;
    auto attribute = [&](GLuint location, GLint size, GLenum type, GLboolean normalised, int offset) {
        glVertexAttribPointer(location, size, type, normalised, GLsizei(stride),
                              reinterpret_cast<const void*>(base + size_t(offset)));
        wanted |= 1u << location;
    };
    attribute(0, l.rhw ? 4 : 3, GL_FLOAT, GL_FALSE, l.position);
    if (key_.blendWeights) attribute(4, key_.blendWeights, GL_FLOAT, GL_FALSE, l.weightOffset);
    if (l.normal >= 0) attribute(1, 3, GL_FLOAT, GL_FALSE, l.normal);
    // D3DCOLOR is B, G, R, A in memory.
    if (l.diffuse >= 0) attribute(2, GL_BGRA, GL_UNSIGNED_BYTE, GL_TRUE, l.diffuse);
    if (l.specular >= 0) attribute(3, GL_BGRA, GL_UNSIGNED_BYTE, GL_TRUE, l.specular);
    for (int i = 0; i < l.texCount; ++i) attribute(GLuint(5 + i), l.texSize[i], GL_FLOAT, GL_FALSE, l.texOffset[i]);
    const uint32_t changed = wanted ^ enabledAttributes_;
    for (GLuint location = 0; location < 16; ++location)
        if (changed & (1u << location)) {
            if (wanted & (1u << location))
                glEnableVertexAttribArray(location);
            else
                glDisableVertexAttribArray(location);
        }
    enabledAttributes_ = wanted;
}

void Device::bindIndexBuffer(GLuint buffer)
{
    if (buffer == boundIndexBuffer_) return;
    glBindVertexArray(vao_);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, buffer);
    boundIndexBuffer_ = buffer;
}

GLuint Device::streamBuffer(GLenum target, const void* data, size_t bytes, size_t* offset)
{
    const bool vertices = target == GL_ARRAY_BUFFER;
    GLuint buffer = vertices ? streamVbo_ : streamIbo_;
    size_t& size = vertices ? streamVboSize_ : streamIboSize_;
    size_t& used = vertices ? streamVboUsed_ : streamIboUsed_;
    glBindVertexArray(vao_);
    if (vertices) {
        glBindBuffer(GL_ARRAY_BUFFER, buffer);
        inputBuffer_ = ~0u;
    } else {
        bindIndexBuffer(buffer);
    }
    if (used + bytes > size) {
        // Orphan and start again at the front: the GPU keeps what it still reads.
        size = std::max<size_t>(size, std::max<size_t>(bytes, 1u << 20));
        glBufferData(target, GLsizeiptr(size), nullptr, GL_STREAM_DRAW);
        used = 0;
    }
    glBufferSubData(target, GLintptr(used), GLsizeiptr(bytes), data);
    *offset = used;
    used += (bytes + 63) & ~size_t(63);
    return buffer;
}

bool Device::prepareDraw()
{
    if (!makeCurrentForFrame() || state_.fvf == 0) return false;
    beginFrame();
    if (dirty_ & kDirtyViewport) {
        const D3DVIEWPORT9& vp = state_.viewport;
        glBindFramebuffer(GL_FRAMEBUFFER, frameFramebuffer());
        glViewport(origin_.x + GLint(vp.X), origin_.y + GLint(parameters_.BackBufferHeight - vp.Y - vp.Height),
                   GLsizei(vp.Width), GLsizei(vp.Height));
        glDepthRange(vp.MinZ, vp.MaxZ);
        dirty_ &= ~kDirtyViewport;
    }
    if (keyDirty_ || !program_) {
        const FfpKey key = buildKey();
        const bool blendChanged = key.blendWeights != key_.blendWeights;
        key_ = key;
        program_ = programs_.get(key_);
        if (!program_) return false;
        glUseProgram(program_->program);
        keyDirty_ = false;
        // The attribute set follows the key (blend weights).
        if (blendChanged) {
            dirty_ |= kDirtyVertexInput;
            derivedTransformsStale_ = true;
            ++transformVersion_;
        }
    }
    if (dirty_ & kDirtyRaster) {
        applyRasterState();
        dirty_ &= ~kDirtyRaster;
    }
    if ((dirty_ & kDirtyTextures) || dirtySamplers_) {
        applyTextures();
        dirty_ &= ~kDirtyTextures;
    }
    uploadUniforms(program_);
    return true;
}

// ---- entry points ----

HRESULT Device::DrawPrimitive(D3DPRIMITIVETYPE type, UINT startVertex, UINT primitiveCount)
{
    GLenum mode;
    GLsizei count;
    if (!primitiveMode(type, primitiveCount, &mode, &count) || primitiveCount == 0 || !inScene_)
        return D3DERR_INVALIDCALL;
    const StreamBinding& stream = state_.streams[0];
    if (!stream.buffer || stream.stride == 0) return D3DERR_INVALIDCALL;
    if (lossState_ != LossState::Operational) return D3D_OK;
    BufferStorage& storage = stream.buffer->storage();
    const size_t first = size_t(stream.offset) + size_t(startVertex) * stream.stride;
    if (first + size_t(count) * stream.stride > storage.size()) return D3DERR_INVALIDCALL;
    if (!prepareDraw()) return D3DERR_INVALIDCALL;
    if (storage.glBuffer()) {
        applyVertexInput(stream.offset, storage.glBuffer(), stream.stride);
        glDrawArrays(mode, GLint(startVertex), count);
    } else {
        size_t offset = 0;
        const GLuint buffer = streamBuffer(GL_ARRAY_BUFFER, storage.bytes() + first, size_t(count) * stream.stride, &offset);
        applyVertexInput(offset, buffer, stream.stride);
        glDrawArrays(mode, 0, count);
    }
    return D3D_OK;
}

HRESULT Device::DrawIndexedPrimitive(D3DPRIMITIVETYPE type, INT baseVertex, UINT minIndex, UINT numVertices,
                                     UINT startIndex, UINT primitiveCount)
{
    GLenum mode;
    GLsizei count;
    if (!primitiveMode(type, primitiveCount, &mode, &count) || primitiveCount == 0 || !inScene_)
        return D3DERR_INVALIDCALL;
    const StreamBinding& stream = state_.streams[0];
    IndexBuffer* indices = state_.indices;
    if (!stream.buffer || stream.stride == 0 || !indices) return D3DERR_INVALIDCALL;
    if (lossState_ != LossState::Operational) return D3D_OK;
    const size_t indexSize = indices->format() == D3DFMT_INDEX32 ? 4 : 2;
    const GLenum indexType = indexSize == 4 ? GL_UNSIGNED_INT : GL_UNSIGNED_SHORT;
    BufferStorage& ib = indices->storage();
    BufferStorage& vb = stream.buffer->storage();
    if ((size_t(startIndex) + size_t(count)) * indexSize > ib.size()) return D3DERR_INVALIDCALL;
    if (!prepareDraw()) return D3DERR_INVALIDCALL;

    GLint vertexBias = baseVertex;
    if (vb.glBuffer()) {
        applyVertexInput(stream.offset, vb.glBuffer(), stream.stride);
    } else {
        // Stream only the vertices the draw may touch.
        const size_t first = size_t(stream.offset) + size_t(std::max<INT>(0, baseVertex + INT(minIndex))) * stream.stride;
        if (first + size_t(numVertices) * stream.stride > vb.size()) return D3DERR_INVALIDCALL;
        size_t offset = 0;
        const GLuint buffer = streamBuffer(GL_ARRAY_BUFFER, vb.bytes() + first, size_t(numVertices) * stream.stride, &offset);
        applyVertexInput(offset, buffer, stream.stride);
        vertexBias = -GLint(minIndex);
    }
    size_t indexOffset = size_t(startIndex) * indexSize;
    if (ib.glBuffer()) {
        bindIndexBuffer(ib.glBuffer());
    } else {
        streamBuffer(GL_ELEMENT_ARRAY_BUFFER, ib.bytes() + indexOffset, size_t(count) * indexSize, &indexOffset);
    }
    glDrawElementsBaseVertex(mode, count, indexType, reinterpret_cast<const void*>(indexOffset), vertexBias);
    return D3D_OK;
}

HRESULT Device::DrawPrimitiveUP(D3DPRIMITIVETYPE type, UINT primitiveCount, const void* vertices, UINT stride)
{
    GLenum mode;
    GLsizei count;
    if (!primitiveMode(type, primitiveCount, &mode, &count) || primitiveCount == 0 || !vertices || stride == 0 ||
        !inScene_)
        return D3DERR_INVALIDCALL;
    // The runtime unbinds stream 0 after a draw from user memory.
    SetStreamSource(0, nullptr, 0, 0);
    if (lossState_ != LossState::Operational) return D3D_OK;
    if (!prepareDraw()) return D3DERR_INVALIDCALL;
    size_t offset = 0;
    const GLuint buffer = streamBuffer(GL_ARRAY_BUFFER, vertices, size_t(count) * stride, &offset);
    applyVertexInput(offset, buffer, stride);
    glDrawArrays(mode, 0, count);
    return D3D_OK;
}

HRESULT Device::DrawIndexedPrimitiveUP(D3DPRIMITIVETYPE type, UINT minIndex, UINT numVertices, UINT primitiveCount,
                                       const void* indexData, D3DFORMAT indexFormat, const void* vertices, UINT stride)
{
    GLenum mode;
    GLsizei count;
    if (!primitiveMode(type, primitiveCount, &mode, &count) || primitiveCount == 0 || !vertices || !indexData ||
        stride == 0 || !inScene_ || (indexFormat != D3DFMT_INDEX16 && indexFormat != D3DFMT_INDEX32))
        return D3DERR_INVALIDCALL;
    SetStreamSource(0, nullptr, 0, 0);
    SetIndices(nullptr);
    if (lossState_ != LossState::Operational) return D3D_OK;
    if (!prepareDraw()) return D3DERR_INVALIDCALL;
    const size_t indexSize = indexFormat == D3DFMT_INDEX32 ? 4 : 2;
    size_t vertexOffset = 0, indexOffset = 0;
    const GLuint buffer = streamBuffer(GL_ARRAY_BUFFER, static_cast<const uint8_t*>(vertices) + size_t(minIndex) * stride,
                                       size_t(numVertices) * stride, &vertexOffset);
    applyVertexInput(vertexOffset, buffer, stride);
    streamBuffer(GL_ELEMENT_ARRAY_BUFFER, indexData, size_t(count) * indexSize, &indexOffset);
    glDrawElementsBaseVertex(mode, count, indexSize == 4 ? GL_UNSIGNED_INT : GL_UNSIGNED_SHORT,
                             reinterpret_cast<const void*>(indexOffset), -GLint(minIndex));
    return D3D_OK;
}

}  // namespace d3d9gl
