// A measurement aid for the game benchmark, the install check and the desktop
// journeys, off unless the environment variable Q31_FRAME_REPORT names a
// file. Then the frames the application presents are counted and the file
// gets one line at the first and one about every second after, and one line
// at every device reset, each flushed as it is written:
//   first <t>
//   frames <n> <t>
//   resets <n> <t>
// n: frames presented (resets done) so far; t: wall-clock microseconds since
// the Unix epoch, so that whoever started the process can measure from that
// moment, under Wine as on Linux. Off, or with a file that cannot be created,
// it writes nothing and changes nothing. Nothing here fails.
#pragma once

// Called by the application right after each Present of its render loop.
void reportPresentedFrame();
// Called by the application after each device Reset that succeeded.
void reportDeviceReset();
