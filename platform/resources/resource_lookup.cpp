#include "platform/resources/generated_resources.h"

namespace platform {

namespace {

// A handful of entries per kind: a linear search is all it needs.
template <typename T>
const T* findById(const T* entries, size_t count, UINT id)
{
    for (size_t i = 0; i < count; ++i)
        if (entries[i].id == id) return &entries[i];
    return nullptr;
}

}  // namespace

const MenuTemplate* findMenuTemplate(UINT id)
{
    return findById(generatedResources.menus, generatedResources.menuCount, id);
}

const AcceleratorTemplate* findAcceleratorTemplate(UINT id)
{
    return findById(generatedResources.acceleratorTables, generatedResources.acceleratorTableCount, id);
}

const IconTemplate* findIconTemplate(UINT id)
{
    return findById(generatedResources.icons, generatedResources.iconCount, id);
}

const DialogTemplate* findDialogTemplate(UINT id)
{
    return findById(generatedResources.dialogs, generatedResources.dialogCount, id);
}

}  // namespace platform
