// Window and screen DCs (GetDC, ReleaseDC). A window DC draws straight into
// the client pixels the window host lends: they are locked at the first
// GetDC on a window and shown and unlocked by the last ReleaseDC on it.
#include "gdi/gdi_objects.h"
#include "user/window_host.h"

#include <map>

using namespace platform::gdi;

namespace {

struct LockedWindow {
    platform::ClientPixels pixels{};
    int dcCount = 0;
};

// Several DCs on one window share one lock of its pixels.
std::map<HWND, LockedWindow>& lockedWindows() {
    static auto* windows = new std::map<HWND, LockedWindow>;
    return *windows;
}

}  // namespace

HDC WINAPI GetDC(HWND hWnd) {
    ObjectLock lock;
    if (!hWnd)
        return static_cast<HDC>(addObject(makeDc(DcKind::Screen)));
    auto& windows = lockedWindows();
    auto it = windows.find(hWnd);
    if (it == windows.end()) {
        LockedWindow locked;
        if (!platform::lockClientPixels(hWnd, &locked.pixels))
            return nullptr;  // not a live window of ours
        it = windows.emplace(hWnd, locked).first;
    }
    std::unique_ptr<DcObject> dc = makeDc(DcKind::Window);
    dc->window = hWnd;
    dc->clientPixels = it->second.pixels.pixels;
    dc->clientWidth = it->second.pixels.width;
    dc->clientHeight = it->second.pixels.height;
    HDC handle = static_cast<HDC>(addObject(std::move(dc)));
    if (handle) {
        ++it->second.dcCount;
    } else if (it->second.dcCount == 0) {
        windows.erase(it);
        platform::unlockClientPixels(hWnd);
    }
    return handle;
}

// 1 when released; 0 for a memory DC, a stale DC or one of another window.
int WINAPI ReleaseDC(HWND hWnd, HDC hDC) {
    ObjectLock lock;
    DcObject* dc = lookupDc(hDC);
    if (!dc || dc->dcKind == DcKind::Memory)
        return 0;
    if (dc->dcKind == DcKind::Screen) {
        releaseSelections(*dc);
        removeObject(hDC);
        return 1;
    }
    if (dc->window != hWnd)
        return 0;
    releaseSelections(*dc);
    removeObject(hDC);
    auto& windows = lockedWindows();
    auto it = windows.find(hWnd);
    if (it != windows.end() && --it->second.dcCount == 0) {
        windows.erase(it);
        platform::unlockClientPixels(hWnd);
    }
    return 1;
}
