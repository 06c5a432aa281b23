// Display texts of the Direct3D values the display configuration deals in,
// for the settings dialog and the frame statistics. Each returns a constant,
// NUL-terminated text that lives as long as the program; none allocates or
// fails, and a value outside its table gives a fixed "Unknown ..." text.
#pragma once

#include <d3d9.h>

#include "display/vertex_processing.h"

const char* deviceTypeName(D3DDEVTYPE type);
const char* multisampleTypeName(D3DMULTISAMPLE_TYPE type);
const char* vertexProcessingName(VertexProcessingType type);
const char* presentIntervalName(UINT interval);
// The constant's name, e.g. "D3DFMT_X8R8G8B8"; without the prefix "X8R8G8B8".
const char* formatName(D3DFORMAT format, bool withPrefix);
