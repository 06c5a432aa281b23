// The window table and handle values; see user_state.h.
#include "platform/user/user_state.h"

#include "platform/user/compositor.h"

#include <algorithm>
#include <map>

namespace platform::user {

namespace {

struct WindowTable {
    std::map<HWND, std::unique_ptr<Window>> windows;
    std::vector<HWND> order;
};

WindowTable& table()
{
    static auto* windows = new WindowTable;
    return *windows;
}

}  // namespace

Window::Window() = default;
Window::~Window() = default;

uintptr_t newHandleValue()
{
    static uintptr_t next = 0x10010;
    const uintptr_t value = next;
    next += 4;
    return value;
}

Window* findWindow(HWND window)
{
    auto& windows = table().windows;
    auto it = windows.find(window);
    return it == windows.end() ? nullptr : it->second.get();
}

Window* findWindowOrFail(HWND window)
{
    Window* found = findWindow(window);
    if (!found) SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return found;
}

Window* findWindowBySdlId(uint32_t sdlId)
{
    if (sdlId == 0) return nullptr;
    for (auto& [handle, window] : table().windows)
        if (window->sdlId == sdlId) return window.get();
    return nullptr;
}

HWND addWindow(std::unique_ptr<Window> window)
{
    const HWND handle = reinterpret_cast<HWND>(newHandleValue());
    window->handle = handle;
    table().windows.emplace(handle, std::move(window));
    table().order.push_back(handle);
    return handle;
}

void removeWindow(HWND window)
{
    WindowTable& windows = table();
    auto& order = windows.order;
    order.erase(std::remove(order.begin(), order.end(), window), order.end());
    auto it = windows.windows.find(window);
    if (it == windows.windows.end()) return;
    // Out of the table before it is freed, so that nothing finds it half-gone.
    std::unique_ptr<Window> owned = std::move(it->second);
    windows.windows.erase(it);
}

std::vector<HWND> allWindows()
{
    return table().order;
}

const std::vector<HWND>& liveWindows()
{
    return table().order;
}

bool classInUse(const WindowClass* windowClass)
{
    for (auto& [handle, window] : table().windows)
        if (window->windowClass == windowClass) return true;
    return false;
}

int clientTop(const Window& window)
{
    return window.hasMenuStrip() ? kMenuStripHeight : 0;
}

SIZE clientSize(const Window& window)
{
    if (window.style & WS_MINIMIZE) return SIZE{0, 0};
    const LONG width = std::max<LONG>(0, window.rect.right - window.rect.left);
    const LONG height = std::max<LONG>(0, window.rect.bottom - window.rect.top - clientTop(window));
    return SIZE{width, height};
}

POINT clientOrigin(const Window& window)
{
    POINT origin{window.rect.left, window.rect.top + clientTop(window)};
    if (!window.topLevel())
        if (Window* parent = findWindow(window.parent)) {
            const POINT parentOrigin = clientOrigin(*parent);
            origin.x += parentOrigin.x;
            origin.y += parentOrigin.y;
        }
    return origin;
}

}  // namespace platform::user
