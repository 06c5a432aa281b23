// Dear ImGui draw data rendered on the processor; see strip_raster.h.
#include "platform/user/strip_raster.h"

#include <algorithm>
#include <cmath>

namespace platform::user {

namespace {

struct Colour {
    float r, g, b, a;
};

// A command's scissor box as the backend hands it to glScissor (its
// truncations included), in rows from the top: [x0, x1) x [y0, y1).
struct Clip {
    int x0, y0, x1, y1;
};

Colour vertexColour(ImU32 col)
{
    return {float(col & 0xFF) / 255.0f, float((col >> 8) & 0xFF) / 255.0f, float((col >> 16) & 0xFF) / 255.0f,
            float((col >> 24) & 0xFF) / 255.0f};
}

Colour weighted(float la, const Colour& a, float lb, const Colour& b, float lc, const Colour& c)
{
    return {la * a.r + lb * b.r + lc * c.r, la * a.g + lb * b.g + lc * c.g, la * a.b + lb * b.b + lc * c.b,
            la * a.a + lb * b.a + lc * c.a};
}

int wrap(int i, int n)
{
    i %= n;
    return i < 0 ? i + n : i;
}

// GL_LINEAR under GL_REPEAT: texel centres lie at half texels.
Colour sampleAtlas(const AtlasPixels& atlas, float u, float v)
{
    float x = u * float(atlas.width) - 0.5f, y = v * float(atlas.height) - 0.5f;
    if (!std::isfinite(x) || !std::isfinite(y)) x = y = 0.0f;
    const float fx = std::floor(x), fy = std::floor(y);
    const float ax = x - fx, ay = y - fy;
    // Reduced first so that the conversion to int cannot overflow.
    const int ix = int(std::fmod(fx, float(atlas.width))), iy = int(std::fmod(fy, float(atlas.height)));
    const int x0 = wrap(ix, atlas.width), x1 = wrap(ix + 1, atlas.width);
    const int y0 = wrap(iy, atlas.height), y1 = wrap(iy + 1, atlas.height);
    const unsigned char* row0 = atlas.rgba + size_t(y0) * size_t(atlas.width) * 4;
    const unsigned char* row1 = atlas.rgba + size_t(y1) * size_t(atlas.width) * 4;
    float out[4];
    for (int c = 0; c < 4; ++c) {
        const float top = float(row0[x0 * 4 + c]) * (1.0f - ax) + float(row0[x1 * 4 + c]) * ax;
        const float bottom = float(row1[x0 * 4 + c]) * (1.0f - ax) + float(row1[x1 * 4 + c]) * ax;
        out[c] = (top * (1.0f - ay) + bottom * ay) / 255.0f;
    }
    return {out[0], out[1], out[2], out[3]};
}

uint32_t toByte(float v)
{
    if (!(v > 0.0f)) return 0;  // NaN too
    return v >= 1.0f ? 255u : uint32_t(v * 255.0f + 0.5f);
}

void blend(uint32_t* pixel, const Colour& src)
{
    const float keep = 1.0f - src.a;
    const float r = float((*pixel >> 16) & 0xFF) / 255.0f, g = float((*pixel >> 8) & 0xFF) / 255.0f,
                b = float(*pixel & 0xFF) / 255.0f;
    *pixel = 0xFF000000u | toByte(src.r * src.a + r * keep) << 16 | toByte(src.g * src.a + g * keep) << 8 |
             toByte(src.b * src.a + b * keep);
}

float edge(const ImVec2& from, const ImVec2& to, float x, float y)
{
    return (to.x - from.x) * (y - from.y) - (to.y - from.y) * (x - from.x);
}

// A pixel whose centre lies on an edge belongs to one of the two triangles
// sharing that edge, so that a blended fringe is not drawn twice there: to
// the one it is a left or a bottom edge of, as GL's rasteriser decides for a
// texture rendered upright (GL's rows run upwards). Edges run clockwise on
// screen: upwards on the left, leftwards along the bottom.
bool owns(const ImVec2& from, const ImVec2& to)
{
    const float dy = to.y - from.y;
    return dy < 0.0f || (dy == 0.0f && to.x < from.x);
}

struct Target {
    uint32_t* pixels;  // rows bottom-up
    int width, height;
};

void drawTriangle(const ImDrawVert* v[3], const Clip& clip, const AtlasPixels& atlas, const Target& target)
{
    // Clockwise on screen (rows downwards) from here on.
    if (edge(v[0]->pos, v[1]->pos, v[2]->pos.x, v[2]->pos.y) < 0.0f) std::swap(v[1], v[2]);
    const ImVec2 a = v[0]->pos, b = v[1]->pos, c = v[2]->pos;
    const float area = edge(a, b, c.x, c.y);
    if (!(area > 0.0f) || !std::isfinite(area)) return;  // degenerate, or not finite
    const bool ownsBC = owns(b, c), ownsCA = owns(c, a), ownsAB = owns(a, b);
    const float minX = std::min({a.x, b.x, c.x}), maxX = std::max({a.x, b.x, c.x});
    const float minY = std::min({a.y, b.y, c.y}), maxY = std::max({a.y, b.y, c.y});
    const float w = float(target.width), h = float(target.height);
    const int x0 = std::max(clip.x0, int(std::clamp(std::floor(minX), 0.0f, w)));
    const int x1 = std::min(clip.x1, int(std::clamp(std::ceil(maxX), 0.0f, w)));
    const int y0 = std::max(clip.y0, int(std::clamp(std::floor(minY), 0.0f, h)));
    const int y1 = std::min(clip.y1, int(std::clamp(std::ceil(maxY), 0.0f, h)));
    const Colour ca = vertexColour(v[0]->col), cb = vertexColour(v[1]->col), cc = vertexColour(v[2]->col);
    for (int y = y0; y < y1; ++y) {
        const float py = float(y) + 0.5f;
        uint32_t* row = target.pixels + size_t(target.height - 1 - y) * size_t(target.width);
        for (int x = x0; x < x1; ++x) {
            const float px = float(x) + 0.5f;
            const float wa = edge(b, c, px, py), wb = edge(c, a, px, py), wc = edge(a, b, px, py);
            if (wa < 0.0f || wb < 0.0f || wc < 0.0f) continue;
            if ((wa == 0.0f && !ownsBC) || (wb == 0.0f && !ownsCA) || (wc == 0.0f && !ownsAB)) continue;
            const float la = wa / area, lb = wb / area, lc = wc / area;
            const float u = la * v[0]->uv.x + lb * v[1]->uv.x + lc * v[2]->uv.x;
            const float t = la * v[0]->uv.y + lb * v[1]->uv.y + lc * v[2]->uv.y;
            const Colour texel = sampleAtlas(atlas, u, t);
            const Colour vertex = weighted(la, ca, lb, cb, lc, cc);
            blend(&row[x], {vertex.r * texel.r, vertex.g * texel.g, vertex.b * texel.b, vertex.a * texel.a});
        }
    }
}

}  // namespace

AtlasPixels atlasPixels(ImFontAtlas* fonts)
{
    unsigned char* rgba = nullptr;
    AtlasPixels atlas;
    fonts->GetTexDataAsRGBA32(&rgba, &atlas.width, &atlas.height);
    atlas.rgba = rgba;
    atlas.id = fonts->TexID;
    return atlas;
}

bool rasterizeDrawData(const ImDrawData& data, const AtlasPixels& atlas, int width, int height,
                       std::vector<uint32_t>* pixels)
{
    if (width <= 0 || height <= 0 || !atlas.rgba || atlas.width <= 0 || atlas.height <= 0) return false;
    if (data.FramebufferScale.x != 1.0f || data.FramebufferScale.y != 1.0f) return false;
    for (int i = 0; i < data.CmdListsCount; ++i)
        for (const ImDrawCmd& command : data.CmdLists[i]->CmdBuffer)
            if (command.UserCallback || command.GetTexID() != atlas.id) return false;

    pixels->assign(size_t(width) * size_t(height), 0xFFFFFFFFu);
    const Target target{pixels->data(), width, height};
    for (int i = 0; i < data.CmdListsCount; ++i) {
        const ImDrawList& list = *data.CmdLists[i];
        for (const ImDrawCmd& command : list.CmdBuffer) {
            const float left = command.ClipRect.x - data.DisplayPos.x, top = command.ClipRect.y - data.DisplayPos.y;
            const float right = command.ClipRect.z - data.DisplayPos.x,
                        bottom = command.ClipRect.w - data.DisplayPos.y;
            if (!(right > left) || !(bottom > top)) continue;
            // glScissor(int(left), int(height - bottom), int(right - left), int(bottom - top)), in GL's rows.
            const int scissorX = int(std::clamp(left, -1.0e6f, 1.0e6f));
            const int scissorW = int(std::clamp(right - left, 0.0f, 1.0e6f));
            const int scissorY = int(std::clamp(float(height) - bottom, -1.0e6f, 1.0e6f));
            const int scissorH = int(std::clamp(bottom - top, 0.0f, 1.0e6f));
            const Clip clip{std::max(scissorX, 0), std::max(height - scissorY - scissorH, 0),
                            std::min(scissorX + scissorW, width), std::min(height - scissorY, height)};
            if (clip.x1 <= clip.x0 || clip.y1 <= clip.y0) continue;
            for (unsigned e = 0; e + 2 < command.ElemCount; e += 3) {
                const ImDrawVert* corners[3];
                for (unsigned k = 0; k < 3; ++k) {
                    const unsigned at = command.IdxOffset + e + k;
                    if (at >= unsigned(list.IdxBuffer.Size)) return false;
                    const unsigned vertex = command.VtxOffset + list.IdxBuffer[int(at)];
                    if (vertex >= unsigned(list.VtxBuffer.Size)) return false;
                    corners[k] = &list.VtxBuffer[int(vertex)];
                }
                drawTriangle(corners, clip, atlas, target);
            }
        }
    }
    return true;
}

}  // namespace platform::user
