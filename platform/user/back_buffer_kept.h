// Whether a window's swap leaves its back buffer as it was. Frames drawn
// straight into the window rely on it: the retained client content is read
// back from there after the swap. Known only under GLX: where the GLX reports
// buffer ages, the age after each swap tells; where it does not (Mesa's
// software GLX, which copies the back buffer to the window and keeps it), the
// buffer is kept. Under any other window system it is taken as not kept.
// Owned by the compositor; its GL context must be current for afterSwap().
#pragma once

struct SDL_Window;

namespace platform::user {

class BackBufferKept {
public:
    explicit BackBufferKept(SDL_Window* window);
    bool kept() const { return kept_; }
    // Whether afterSwap() checks anything (then it must follow each swap).
    bool checksAges() const { return ages_; }
    // Re-checks where the GLX reports ages; once not kept, never again.
    void afterSwap();

private:
    void* display_ = nullptr;  // the X display and window, where ages are reported
    unsigned long drawable_ = 0;
    bool ages_ = false;
    bool kept_ = false;
};

}  // namespace platform::user
