#include "tests/framework/trace_app.h"

#include "resources/resource_ids.h"

namespace frameworktest {

namespace {

HRESULT takeResult(std::vector<HRESULT>& results)
{
    if (results.empty()) return S_OK;
    const HRESULT result = results.front();
    results.erase(results.begin());
    return result;
}

}  // namespace

TraceApp::TraceApp()
{
    windowTitle = "Trace App";
    createWidth = 320;
    createHeight = 240;
    enumerator.useDepthBuffer = true;
}

TraceApp::~TraceApp()
{
    if (vertexBuffer) vertexBuffer->Release();
    if (texture) texture->Release();
}

void TraceApp::note(const std::string& entry)
{
    const bool repeating = entry == "frame" || entry == "approveDevice";
    if (repeating && !trace.empty() && trace.back() == entry) return;
    trace.push_back(entry);
}

void TraceApp::fault(const std::string& what)
{
    faults.push_back(what + " (after " + std::to_string(trace.size()) + " trace entries)");
}

void TraceApp::postCommand(WORD command)
{
    PostMessage(window, WM_COMMAND, MAKEWPARAM(command, 0), 0);
}

HRESULT TraceApp::approveDevice(const D3DCAPS9* caps, DWORD, D3DFORMAT)
{
    note("approveDevice");
    if (!caps) fault("approveDevice without caps");
    return S_OK;
}

HRESULT TraceApp::initOnce()
{
    note("initOnce");
    if (device) fault("initOnce with a device");
    if (onInitOnce) onInitOnce(*this);
    return initOnceResult;
}

HRESULT TraceApp::createDeviceResources()
{
    note("createDeviceResources");
    if (created) fault("createDeviceResources twice");
    if (!device) {
        fault("createDeviceResources without a device");
        return E_FAIL;
    }
    if (backBufferDesc.Width == 0 || deviceStats[0] == '\0') fault("createDeviceResources before the device facts");
    created = true;
    if (FAILED(device->CreateTexture(4, 4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture, nullptr)))
        fault("managed texture");
    if (leakDeviceReference && !leakedDevice) {
        device->AddRef();
        leakedDevice = device;
    }
    return takeResult(createResults);
}

HRESULT TraceApp::onDeviceReset()
{
    note("onDeviceReset");
    if (!created) fault("onDeviceReset before createDeviceResources");
    if (restored) fault("onDeviceReset twice");
    if (!device) {
        fault("onDeviceReset without a device");
        return E_FAIL;
    }
    restored = true;
    if (FAILED(device->CreateVertexBuffer(64, D3DUSAGE_WRITEONLY, 0, D3DPOOL_DEFAULT, &vertexBuffer, nullptr)))
        fault("default-pool vertex buffer");
    if (onReset) {
        const Action run = onReset;
        run(*this);
    }
    return takeResult(resetResults);
}

HRESULT TraceApp::advanceFrame()
{
    ++frames;
    note("frame");
    if (!created || !restored || !device) fault("frame without restored resources");
    if (frames > frameLimit) {
        fault("frame limit reached");
        PostMessage(window, WM_CLOSE, 0, 0);
    }
    const auto action = onFrame.find(frames);
    if (action != onFrame.end()) {
        const Action run = action->second;
        run(*this);
    }
    inFrame = true;
    return frames == failFrame ? E_FAIL : S_OK;
}

HRESULT TraceApp::drawFrame()
{
    if (!inFrame) ++paintDraws;
    inFrame = false;
    if (!created || !restored || !device) {
        fault("drawFrame without restored resources");
        return S_OK;
    }
    device->Clear(0, nullptr, D3DCLEAR_TARGET, D3DCOLOR_XRGB(32, 64, 128), 1.0f, 0);
    return S_OK;
}

HRESULT TraceApp::onDeviceLost()
{
    note("onDeviceLost");
    if (!restored) fault("onDeviceLost without onDeviceReset");
    restored = false;
    if (vertexBuffer) {
        vertexBuffer->Release();
        vertexBuffer = nullptr;
    }
    return S_OK;
}

HRESULT TraceApp::destroyDeviceResources()
{
    note("destroyDeviceResources");
    if (!created) fault("destroyDeviceResources without createDeviceResources");
    if (restored) fault("destroyDeviceResources before onDeviceLost");
    created = false;
    if (texture) {
        texture->Release();
        texture = nullptr;
    }
    return S_OK;
}

HRESULT TraceApp::shutDown()
{
    note("shutDown");
    if (device || direct3d) fault("shutDown before the device and Direct3D were released");
    if (created || restored) fault("shutDown with device resources");
    styleAtShutDown = static_cast<DWORD>(GetWindowLong(window, GWL_STYLE));
    return S_OK;
}

LRESULT TraceApp::handleMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_TIMER) {
        const auto action = onTimer.find(wParam);
        if (action != onTimer.end()) {
            const Action run = action->second;
            run(*this);
        }
    }
    const auto action = onMessage.find(message);
    if (action != onMessage.end()) {
        const Action run = action->second;
        run(*this);
    }
    return Application::handleMessage(hwnd, message, wParam, lParam);
}

void drainMessages()
{
    MSG message;
    while (PeekMessage(&message, nullptr, 0, 0, PM_REMOVE)) {
    }
}

std::vector<std::string> startAndClose(const std::vector<std::string>& middle)
{
    std::vector<std::string> expected = {"approveDevice", "initOnce", "createDeviceResources", "onDeviceReset",
                                         "frame"};
    expected.insert(expected.end(), middle.begin(), middle.end());
    for (const char* entry : {"onDeviceLost", "destroyDeviceResources", "shutDown"}) expected.push_back(entry);
    return expected;
}

}  // namespace frameworktest
