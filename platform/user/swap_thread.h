// Swaps a window's frames on a thread of its own, for frames drawn straight
// into the window under a software rasteriser. There the swap waits for the
// rasteriser threads to finish the frame and then copies it to the screen;
// meanwhile the program's thread can already record the next frame, which
// the rasteriser only draws once it is flushed. So at most one frame is in
// flight, and nothing may flush the window's context, read its buffers or
// change the window's size until finish() has returned.
// The thread has a second GL context, current on it alone, that shares
// objects with the window's (the frame's fence is waited on there). Owned by
// the compositor and called from the window's thread; swap() with the
// window's context current.
#pragma once

#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>

struct SDL_Window;

namespace platform::user {

class SwapThread {
public:
    // Null where no second context can be made or made current.
    static std::unique_ptr<SwapThread> create(SDL_Window* window);
    ~SwapThread();
    SwapThread(const SwapThread&) = delete;
    SwapThread& operator=(const SwapThread&) = delete;

    // Flushes what the window's context has drawn and has it swapped once
    // the rasteriser is done with it; first finishes the frame before.
    void swap();
    // Returns once no frame is in flight.
    void finish();

private:
    SwapThread() = default;
    void run();

    SDL_Window* window_ = nullptr;
    void* context_ = nullptr;
    std::mutex mutex_;
    std::condition_variable changed_;
    void* fence_ = nullptr;  // the frame in flight, or null
    bool started_ = false;
    bool running_ = false;  // false once the thread could not start or was told to stop
    std::thread thread_;
};

}  // namespace platform::user
