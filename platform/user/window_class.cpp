// Window classes: RegisterClassA, UnregisterClassA, GetClassLong(Ptr)A.
#include "platform/user/user_state.h"

#include <cstring>
#include <map>
#include <strings.h>

namespace platform::user {

namespace {

struct ClassTable {
    std::vector<std::unique_ptr<WindowClass>> classes;
    ATOM nextAtom = 0xC000;  // the range Windows gives registered classes
};

ClassTable& classes()
{
    static auto* table = new ClassTable;
    return *table;
}

}  // namespace

WindowClass* findClass(LPCSTR nameOrAtom)
{
    if (!nameOrAtom) return nullptr;
    const bool byAtom = IS_INTRESOURCE(nameOrAtom);
    const ATOM atom = static_cast<ATOM>(reinterpret_cast<ULONG_PTR>(nameOrAtom));
    for (auto& entry : classes().classes) {
        if (byAtom ? entry->atom == atom : strcasecmp(entry->name.c_str(), nameOrAtom) == 0) return entry.get();
    }
    return nullptr;
}

}  // namespace platform::user

using namespace platform::user;

extern "C" {

ATOM WINAPI RegisterClassA(const WNDCLASSA* wndClass)
{
    if (!wndClass || !wndClass->lpszClassName || !wndClass->lpfnWndProc || IS_INTRESOURCE(wndClass->lpszClassName) ||
        wndClass->cbClsExtra < 0 || wndClass->cbWndExtra < 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    if (findClass(wndClass->lpszClassName)) {
        SetLastError(ERROR_CLASS_ALREADY_EXISTS);
        return 0;
    }
    auto entry = std::make_unique<WindowClass>();
    entry->name = wndClass->lpszClassName;
    entry->info = *wndClass;
    if (wndClass->lpszMenuName && !IS_INTRESOURCE(wndClass->lpszMenuName)) {
        entry->menuName = wndClass->lpszMenuName;
        entry->info.lpszMenuName = entry->menuName.c_str();
    }
    entry->info.lpszClassName = entry->name.c_str();
    entry->atom = classes().nextAtom++;
    const ATOM atom = entry->atom;
    classes().classes.push_back(std::move(entry));
    return atom;
}

BOOL WINAPI UnregisterClassA(LPCSTR className, HINSTANCE)
{
    WindowClass* found = findClass(className);
    if (!found) {
        SetLastError(ERROR_CLASS_DOES_NOT_EXIST);
        return FALSE;
    }
    if (classInUse(found)) {
        SetLastError(ERROR_CLASS_HAS_WINDOWS);
        return FALSE;
    }
    auto& list = classes().classes;
    for (auto it = list.begin(); it != list.end(); ++it)
        if (it->get() == found) {
            list.erase(it);
            break;
        }
    return TRUE;
}

ULONG_PTR WINAPI GetClassLongPtrA(HWND window, int index)
{
    Window* record = findWindowOrFail(window);
    if (!record) return 0;
    const WNDCLASSA& info = record->windowClass->info;
    switch (index) {
    case GCLP_HCURSOR: return reinterpret_cast<ULONG_PTR>(info.hCursor);
    case GCLP_HICON: return reinterpret_cast<ULONG_PTR>(info.hIcon);
    case GCLP_HBRBACKGROUND: return reinterpret_cast<ULONG_PTR>(info.hbrBackground);
    case GCLP_HMODULE: return reinterpret_cast<ULONG_PTR>(info.hInstance);
    case GCLP_WNDPROC: return reinterpret_cast<ULONG_PTR>(info.lpfnWndProc);
    case GCLP_MENUNAME: return reinterpret_cast<ULONG_PTR>(info.lpszMenuName);
    case GCL_STYLE: return info.style;
    case GCL_CBWNDEXTRA: return static_cast<ULONG_PTR>(info.cbWndExtra);
    case GCL_CBCLSEXTRA: return static_cast<ULONG_PTR>(info.cbClsExtra);
    default: SetLastError(ERROR_INVALID_INDEX); return 0;
    }
}

DWORD WINAPI GetClassLongA(HWND window, int index)
{
    return static_cast<DWORD>(GetClassLongPtrA(window, index));
}

}  // extern "C"
