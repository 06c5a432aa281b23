// The main window: its class and creation, the window procedure, the base
// message handler, the windowed/full-screen style switch, client-size
// changes and the window-close sequence; see application.h.
#include "framework/application.h"

#include <windows.h>
#include <d3d9.h>

#include "resources/resource_ids.h"

namespace {

constexpr DWORD WindowedStyle = WS_OVERLAPPEDWINDOW | WS_VISIBLE;          // 0x10CF0000
constexpr DWORD FullscreenStyle = WS_POPUP | WS_SYSMENU | WS_VISIBLE;      // 0x90080000
constexpr LONG MinimumTrackSize = 100;
const char WindowClassName[] = "D3D Window";

LONG width(const RECT& r) { return r.right - r.left; }
LONG height(const RECT& r) { return r.bottom - r.top; }

}  // namespace

LRESULT CALLBACK Application::windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    // Messages can arrive before the application exists or after it is gone.
    if (!currentApp) return DefWindowProc(hwnd, message, wParam, lParam);
    return currentApp->handleMessage(hwnd, message, wParam, lParam);
}

void Application::registerAndCreateWindow(HINSTANCE instance)
{
    WNDCLASS windowClass = {};
    windowClass.style = 0;
    windowClass.lpfnWndProc = windowProc;
    windowClass.hInstance = instance;
    windowClass.hIcon = LoadIcon(instance, MAKEINTRESOURCE(IDI_MAIN_ICON));
    windowClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
    windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    windowClass.lpszClassName = WindowClassName;
    // A second application in the same process finds the class registered.
    RegisterClass(&windowClass);

    windowedStyle = WindowedStyle;
    HMENU menu = LoadMenu(instance, MAKEINTRESOURCE(IDR_MAIN_MENU));

    RECT rect;
    SetRect(&rect, 0, 0, createWidth, createHeight);
    AdjustWindowRect(&rect, windowedStyle, menu != nullptr);

    window = CreateWindowEx(0, WindowClassName, windowTitle, windowedStyle, CW_USEDEFAULT, CW_USEDEFAULT,
                            width(rect), height(rect), nullptr, menu, instance, nullptr);
}

HRESULT Application::applyWindowStyle()
{
    if (windowed) {
        SetWindowLong(window, GWL_STYLE, static_cast<LONG>(windowedStyle));
        if (savedMenu) {
            SetMenu(window, savedMenu);
            savedMenu = nullptr;
        }
    } else {
        SetWindowLong(window, GWL_STYLE, static_cast<LONG>(FullscreenStyle));
        if (!savedMenu) {
            savedMenu = GetMenu(window);
            SetMenu(window, nullptr);
        }
    }
    return S_OK;
}

HRESULT Application::onSize(WPARAM wParam)
{
    if (windowed && window) windowedStyle = static_cast<DWORD>(GetWindowLong(window, GWL_STYLE));

    if (wParam == SIZE_MINIMIZED) {
        if (!windowed) ClipCursor(nullptr);
        pause(true);
        minimized = true;
        maximized = false;
    } else if (wParam == SIZE_MAXIMIZED) {
        if (minimized) pause(false);
        minimized = false;
        maximized = true;
        return checkClientResize();
    } else if (wParam == SIZE_RESTORED) {
        if (maximized) {
            maximized = false;
            return checkClientResize();
        }
        if (minimized) {
            pause(false);
            minimized = false;
            return checkClientResize();
        }
        // A drag is acted on once, at WM_EXITSIZEMOVE. A new size from
        // anywhere else (a window manager that tiles or snaps, a restore that
        // arrives as two messages) is acted on now: waiting would leave the
        // scene drawn at the old size until the next drag.
        if (windowed && !sizeMoving) return checkClientResize();
    }
    return S_OK;
}

LRESULT Application::handleMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_SIZE: onSize(wParam); break;

    case WM_PAINT:
        // While paused the window still shows the scene at the last time.
        if (device && !active && deviceResourcesCreated && deviceResourcesRestored) {
            drawFrame();
            device->Present(nullptr, nullptr, nullptr, nullptr);
        }
        break;

    case WM_CLOSE: closeWindow(hwnd); return 0;

    case WM_SETCURSOR:
        if (active && !windowed) {
            SetCursor(nullptr);
            if (showCursorWhenFullscreen && device) device->ShowCursor(TRUE);
            return TRUE;
        }
        break;

    case WM_GETMINMAXINFO: {
        MINMAXINFO* info = reinterpret_cast<MINMAXINFO*>(lParam);
        if (info) {
            info->ptMinTrackSize.x = MinimumTrackSize;
            info->ptMinTrackSize.y = MinimumTrackSize;
        }
        break;
    }

    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDM_CHANGE_DEVICE:
            pause(true);
            changeDeviceViaDialog();
            pause(false);
            return 0;
        case IDM_TOGGLE_FULLSCREEN:
            pause(true);
            if (FAILED(toggleFullscreen())) reportError(DeviceResetFailed, Exit);
            pause(false);
            return 0;
        case IDM_EXIT: SendMessage(hwnd, WM_CLOSE, 0, 0); return 0;
        default: break;
        }
        break;

    case WM_SYSCOMMAND:
        // The whole wParam, low bits included, as the system sends these.
        if (!windowed && (wParam == SC_SIZE || wParam == SC_MOVE || wParam == SC_MAXIMIZE ||
                          wParam == SC_KEYMENU || wParam == SC_MONITORPOWER))
            return TRUE;
        break;

    case WM_NCHITTEST:
        if (!windowed) return HTCLIENT;
        break;

    case WM_MOUSEMOVE:
        if (active && device) {
            POINT cursor;
            GetCursorPos(&cursor);
            if (!windowed) ScreenToClient(window, &cursor);
            device->SetCursorPosition(cursor.x, cursor.y, 0);
        }
        break;

    case WM_ENTERMENULOOP: pause(true); break;
    case WM_ENTERSIZEMOVE:
        sizeMoving = true;
        pause(true);
        break;
    case WM_EXITMENULOOP: pause(false); break;
    case WM_EXITSIZEMOVE:
        sizeMoving = false;
        pause(false);
        checkClientResize();
        break;

    case WM_POWERBROADCAST:
        if (wParam == PBT_APMQUERYSUSPEND || wParam == PBT_APMRESUMESUSPEND) return TRUE;
        break;

    default: break;
    }
    return DefWindowProc(hwnd, message, wParam, lParam);
}

void Application::closeWindow(HWND hwnd)
{
    releaseDevice();
    // A fatal report during the release has run this whole sequence already.
    if (!IsWindow(hwnd)) return;

    if (direct3d) {
        direct3d->Release();
        direct3d = nullptr;
    }
    shutDown();

    if (HMENU menu = GetMenu(hwnd)) DestroyMenu(menu);
    // The menu detached for full screen belongs to the window as well.
    if (savedMenu) {
        DestroyMenu(savedMenu);
        savedMenu = nullptr;
    }
    DestroyWindow(hwnd);
    PostQuitMessage(0);
    window = nullptr;
}

HRESULT Application::checkClientResize()
{
    const RECT oldClient = clientRect;
    if (ignoreSizeChange) return S_OK;

    GetWindowRect(window, &windowRect);
    GetClientRect(window, &clientRect);
    if (width(clientRect) == width(oldClient) && height(clientRect) == height(oldClient)) return S_OK;

    pause(true);
    presentParams.BackBufferWidth = static_cast<UINT>(width(clientRect));
    presentParams.BackBufferHeight = static_cast<UINT>(height(clientRect));
    if (device) {
        HRESULT hr = resetDevice();
        if (FAILED(hr)) {
            if (hr != D3DERR_OUTOFVIDEOMEMORY) hr = DeviceResetFailed;
            reportError(hr, Exit);
            pause(false);
            return hr;
        }
    }
    pause(false);
    return S_OK;
}
