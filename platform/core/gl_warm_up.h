// Loads the machine's OpenGL driver on a thread of its own, through a display
// connection of its own, while the program starts SDL: loading the driver (a
// software rasteriser brings a whole compiler) is the longest step of
// start-up, and the layer's first GL context then finds it loaded. Called by
// the game's main only, start before WinMain and finish after it. Where no X
// display opens, the thread ends at once; nothing here fails.
#pragma once

namespace platform {

void startGlDriverWarmUp();
// Waits for the thread and closes its connection; harmless when none runs.
void finishGlDriverWarmUp();

}  // namespace platform
