// The two builds of the 4x4 product behind D3DXMatrixMultiply, for tests that
// must exercise both whatever processor runs them. Not part of the program's
// interface: callers use D3DXMatrixMultiply, which picks one at start-up.
#pragma once

#include "math/vector_matrix.h"

namespace q31math {

// out = a × b, returned; out may be a or b. Both give identical bits.
D3DXMATRIX* multiplyBaseline(D3DXMATRIX* out, const D3DXMATRIX* a, const D3DXMATRIX* b);
// Only to be called where processorHasAvx() is true.
D3DXMATRIX* multiplyAvx(D3DXMATRIX* out, const D3DXMATRIX* a, const D3DXMATRIX* b);

bool processorHasAvx();

}  // namespace q31math
