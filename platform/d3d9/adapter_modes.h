// Adapters and display modes from SDL: one adapter per SDL display, its modes
// mapped to the Direct3D display formats by their pixel format. Used by
// IDirect3D9 and by full-screen switching; out-of-range queries return false.
#pragma once

#include <d3d9.h>

#include <vector>

namespace d3d9gl {

// Number of SDL displays (0 when SDL video cannot start).
unsigned adapterCount();
// The display's modes of `format`, ascending by width, height and refresh.
std::vector<D3DDISPLAYMODE> adapterModes(unsigned adapter, D3DFORMAT format);
// The desktop mode of the display.
bool desktopMode(unsigned adapter, D3DDISPLAYMODE* mode);
// The SDL display name, or an empty string.
const char* adapterName(unsigned adapter);
// The Direct3D format of an SDL pixel format; D3DFMT_UNKNOWN for others.
D3DFORMAT formatOfSdlPixelFormat(unsigned sdlFormat);

}  // namespace d3d9gl
