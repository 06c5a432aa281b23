#include "platform/user/swap_thread.h"

#include <SDL.h>
#include <epoxy/gl.h>

namespace platform::user {

std::unique_ptr<SwapThread> SwapThread::create(SDL_Window* window)
{
    SDL_Window* previousWindow = SDL_GL_GetCurrentWindow();
    SDL_GLContext previous = SDL_GL_GetCurrentContext();
    if (!window || !previous) return nullptr;
    // The new context takes the current one's attributes (the compositor's).
    SDL_GL_SetAttribute(SDL_GL_SHARE_WITH_CURRENT_CONTEXT, 1);
    SDL_GLContext context = SDL_GL_CreateContext(window);
    SDL_GL_SetAttribute(SDL_GL_SHARE_WITH_CURRENT_CONTEXT, 0);
    SDL_GL_MakeCurrent(previousWindow, previous);
    if (!context) {
        SDL_Log("window compositor: no context for the swap thread: %s", SDL_GetError());
        return nullptr;
    }
    std::unique_ptr<SwapThread> swapper(new SwapThread);
    swapper->window_ = window;
    swapper->context_ = context;
    swapper->thread_ = std::thread(&SwapThread::run, swapper.get());
    std::unique_lock<std::mutex> lock(swapper->mutex_);
    swapper->changed_.wait(lock, [&] { return swapper->started_; });
    if (!swapper->running_) {
        lock.unlock();
        return nullptr;  // the destructor joins the thread and deletes the context
    }
    return swapper;
}

SwapThread::~SwapThread()
{
    {
        std::unique_lock<std::mutex> lock(mutex_);
        changed_.wait(lock, [this] { return !fence_; });
        running_ = false;
    }
    changed_.notify_all();
    if (thread_.joinable()) thread_.join();
    if (context_) SDL_GL_DeleteContext(context_);
}

void SwapThread::swap()
{
    finish();
    GLsync fence = glFenceSync(GL_SYNC_GPU_COMMANDS_COMPLETE, 0);
    glFlush();
    if (!fence) {
        // Without a fence the swap cannot wait on its own: do it here.
        glFinish();
        SDL_GL_SwapWindow(window_);
        return;
    }
    {
        std::lock_guard<std::mutex> lock(mutex_);
        fence_ = fence;
    }
    changed_.notify_all();
}

void SwapThread::finish()
{
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait(lock, [this] { return !fence_; });
}

void SwapThread::run()
{
    const bool current = SDL_GL_MakeCurrent(window_, context_) == 0;
    if (!current) SDL_Log("window compositor: the swap thread's context: %s", SDL_GetError());
    {
        std::lock_guard<std::mutex> lock(mutex_);
        started_ = true;
        running_ = current;
    }
    changed_.notify_all();
    if (!current) {
        SDL_TLSCleanup();
        return;
    }
    for (;;) {
        void* fence = nullptr;
        {
            std::unique_lock<std::mutex> lock(mutex_);
            changed_.wait(lock, [this] { return fence_ || !running_; });
            if (!fence_) break;
            fence = fence_;
        }
        GLsync sync = static_cast<GLsync>(fence);
        while (glClientWaitSync(sync, 0, GLuint64(1000000000)) == GL_TIMEOUT_EXPIRED) {
        }
        glDeleteSync(sync);
        SDL_GL_SwapWindow(window_);
        {
            std::lock_guard<std::mutex> lock(mutex_);
            fence_ = nullptr;
        }
        changed_.notify_all();
    }
    SDL_GL_MakeCurrent(window_, nullptr);
    // SDL keeps the current context per thread; a thread SDL did not start
    // frees that itself.
    SDL_TLSCleanup();
}

}  // namespace platform::user
