// The record the build generates from the resource script (tools/rc_compile
// writes its definition into the build folder); resource_lookup.cpp searches
// it. Internal to platform/resources. Empty lists are null with count 0.
#pragma once

#include "platform/resources/resource_tables.h"

namespace platform {

struct GeneratedResources {
    const MenuTemplate* menus;
    size_t menuCount;
    const AcceleratorTemplate* acceleratorTables;
    size_t acceleratorTableCount;
    const IconTemplate* icons;
    size_t iconCount;
    const DialogTemplate* dialogs;
    size_t dialogCount;
};

extern const GeneratedResources generatedResources;

}  // namespace platform
