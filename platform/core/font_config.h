// fontconfig's configuration, loaded once per process for the layer's font
// matching (GDI fonts, the menu strip's face). Loading it parses every
// configuration file and maps the font caches, several milliseconds that
// start-up need not wait for: ensureSdlVideo starts the load on a thread of
// its own once SDL's video runs, where it overlaps the GL driver's load, and
// the first font match waits for it. Released at exit once a caller has used
// it.
#pragma once

namespace platform {

// Begins loading the configuration on a thread; does nothing after the
// first call.
void startFontConfigLoad();
// Waits for the load begun by startFontConfigLoad, or loads the
// configuration here when nothing began it. True when fontconfig can match
// fonts; call before any other fontconfig function.
bool fontConfigReady();

}  // namespace platform
