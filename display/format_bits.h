// Bits per channel of the Direct3D formats the enumeration filters by. The
// enumerator calls these to apply its colour, alpha, depth and stencil
// requirements; the settings dialog may call them too. A format outside a
// table has 0 bits of that kind; nothing here fails.
#pragma once

#include <d3d9.h>

unsigned colorBitsOf(D3DFORMAT format);
unsigned alphaBitsOf(D3DFORMAT format);
unsigned depthBitsOf(D3DFORMAT format);
unsigned stencilBitsOf(D3DFORMAT format);
