// Direct3D 9: the subset this program uses, with the published names, layouts
// and values. Linux only; on Windows the system's <d3d9.h> is used instead.
#pragma once

#include <windows.h>

#include "d3d9types.h"
#include "d3d9caps.h"

#define D3D_SDK_VERSION 31

#define _FACD3D 0x876
#define MAKE_D3DHRESULT(code) MAKE_HRESULT(1, _FACD3D, code)

#define D3D_OK S_OK
#define D3DERR_OUTOFVIDEOMEMORY MAKE_D3DHRESULT(380)
#define D3DERR_NOTAVAILABLE MAKE_D3DHRESULT(2154)
#define D3DERR_DEVICELOST MAKE_D3DHRESULT(2152)
#define D3DERR_DEVICENOTRESET MAKE_D3DHRESULT(2153)
#define D3DERR_INVALIDCALL MAKE_D3DHRESULT(2156)
