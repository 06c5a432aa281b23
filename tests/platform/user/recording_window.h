// A window class whose procedure records every message it receives (and can
// be given a handler for one test), with helpers to create windows of it and
// to pump the queue. Used by the USER tests on both targets.
#pragma once

#include <windows.h>

#include <functional>
#include <vector>

namespace usertest {

struct Received {
    HWND window;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    int depth;  // SendMessage nesting at the time
};

// Returns true when it handled the message (and set *result); the recording
// procedure calls DefWindowProcA otherwise.
using Handler = std::function<bool(HWND, UINT, WPARAM, LPARAM, LRESULT*)>;

class RecordingWindows {
public:
    RecordingWindows();
    ~RecordingWindows();

    // A window of the class; the client area is `width` x `height` when `menu`
    // is given, AdjustWindowRect having enlarged the request as the framework does.
    HWND create(DWORD style, int clientWidth = 300, int clientHeight = 200, HMENU menu = nullptr);

    void clear() { received_.clear(); }
    const std::vector<Received>& received() const { return received_; }
    // The messages of one kind, in arrival order.
    std::vector<Received> only(UINT message) const;
    // Indexes of the first message of each kind in `messages` within the
    // record; -1 for one that did not arrive.
    std::vector<int> firstIndexes(const std::vector<UINT>& messages) const;
    size_t count(UINT message) const;

    void setHandler(Handler handler) { handler_ = std::move(handler); }

    static const char* className() { return "Q31 User Test"; }

private:
    static LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    std::vector<Received> received_;
    Handler handler_;
    std::vector<HWND> created_;
    int depth_ = 0;
};

// Translates and dispatches every message ready now; returns how many.
int pumpReady();

}  // namespace usertest
