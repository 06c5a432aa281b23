// How a device processes vertices; the enumeration offers these per device
// and the settings dialog lists them.
#pragma once

#include <cstdint>

enum VertexProcessingType : int32_t {
    SOFTWARE_VP = 0,
    MIXED_VP = 1,
    HARDWARE_VP = 2,
    PURE_HARDWARE_VP = 3,
};
