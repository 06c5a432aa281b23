// A measurement aid for the game benchmark, off unless the environment
// variable Q31_STARTUP_REPORT names a file. Then the file gets one line for
// each stage of start-up the first time the program reaches it, flushed as it
// is written:
//   <stage> <t>
// t: wall-clock microseconds since the Unix epoch (as in the frame report), so
// that whoever started the process can measure each stage from that moment,
// under Wine as on Linux. "loaded" is the clock read while the program's
// static data was initialised, before WinMain; the other stages are those of
// StartupStage. After "presented" the file is closed and later calls return
// at once. Off, or with a file that cannot be created, it writes nothing and
// changes nothing. Nothing here fails.
#pragma once

enum class StartupStage {
    Direct3D,    // the Direct3D object exists
    Enumerated,  // the display enumeration, with its probe of the hardware, is done
    Window,      // the main window exists
    Device,      // the device exists
    Media,       // the device's resources, the media among them, are loaded
    Ready,       // create has finished
    Presented,   // the first frame has been presented
};

// Called by the application where it reaches each stage; repeats are ignored.
void reportStartupStage(StartupStage stage);
