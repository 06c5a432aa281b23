// What the machine's OpenGL can do, asked once per process through a hidden
// window and a 3.3 core context of our own, so that IDirect3D9's queries work
// before any window exists. Called by the adapter, caps and format queries;
// `available` is false when no context could be made.
#pragma once

#include <d3d9.h>

#include <string>

namespace d3d9gl {

struct GlProbe {
    bool available = false;
    std::string renderer;
    std::string vendor;
    std::string version;
    int maxTextureSize = 0;
    int maxSamples = 0;
    bool depthRenderable[5] = {};  // D16, D24X8, D24S8, D32, D16_LOCKABLE in formats.cpp order
};

const GlProbe& glProbe();
// True when a depth-stencil format can back a framebuffer here.
bool depthFormatRenderable(D3DFORMAT format);
// Drops GL errors still pending from earlier calls in the current context
// (another device's, the compositor's), so that a check after a creation
// sees only what that creation raised.
void discardPendingGlErrors();

}  // namespace d3d9gl
