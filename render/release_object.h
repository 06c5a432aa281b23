// The owner's release of a COM reference it holds: release if set, set to
// null, safe to call again. For the render resources' owning pointers.
#pragma once

template <typename Interface>
void releaseObject(Interface*& object)
{
    if (object != nullptr) object->Release();
    object = nullptr;
}
