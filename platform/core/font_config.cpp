#include "platform/core/font_config.h"

#include <fontconfig/fontconfig.h>

#include <cstdlib>
#include <mutex>
#include <thread>

namespace platform {
namespace {

struct Loader {
    std::mutex mutex;
    std::thread thread;
    bool started = false;
    bool loaded = false;  // written by the thread, read after its join
    bool released = false;
    // A load that no caller waited for is still joined before the process
    // ends; its configuration stays reachable, so leak checkers are quiet.
    ~Loader()
    {
        if (thread.joinable()) thread.join();
    }
};

Loader& loader()
{
    static Loader instance;
    return instance;
}

}  // namespace

void startFontConfigLoad()
{
    Loader& l = loader();
    std::lock_guard<std::mutex> hold(l.mutex);
    if (l.started) return;
    l.started = true;
    l.thread = std::thread([&l] { l.loaded = FcInit() == FcTrue; });
}

bool fontConfigReady()
{
    Loader& l = loader();
    std::lock_guard<std::mutex> hold(l.mutex);
    if (!l.started) {
        l.started = true;
        l.loaded = FcInit() == FcTrue;
    } else if (l.thread.joinable()) {
        l.thread.join();
    }
    // Registered after the join, so it runs before the loader's destructor
    // and never under a load in progress.
    if (l.loaded && !l.released) {
        l.released = true;
        std::atexit(FcFini);
    }
    return l.loaded;
}

}  // namespace platform
