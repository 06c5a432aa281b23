// The two builds of the 4x4 product behind D3DXMatrixMultiply, for tests that
// must exercise both whatever processor runs them. Not part of the program's
// interface: callers use D3DXMatrixMultiply, which picks one at start-up.
#pragma once

namespace q31math {

// out = a × b; out may be a or b. Both give identical bits.
void multiplyBaseline(float (*out)[4], const float (*a)[4], const float (*b)[4]);
// Only to be called where processorHasAvx() is true.
void multiplyAvx(float (*out)[4], const float (*a)[4], const float (*b)[4]);

bool processorHasAvx();

}  // namespace q31math
