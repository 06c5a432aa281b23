// Sanitizer settings compiled into every test program of the sanitizer build,
// so they hold however a test is started (CTest, by hand, a debugger).

extern "C" {

// intercept_tls_get_addr=0: this runtime sizes a thread's dynamic TLS block by
// a pre-2.25 glibc layout guess. On our glibc the blocks come from malloc, so
// the guess gives size 0, or, when a block starts 16 bytes into a page, reads
// the allocator's chunk header as a range and the leak check crashes at exit
// (seen with the GL driver's LLVM). The blocks stay reachable through the
// thread's DTV, so no leak of ours goes unseen without the guess.
const char* __asan_default_options()
{
    return "detect_leaks=1:halt_on_error=1:abort_on_error=1:intercept_tls_get_addr=0";
}

const char* __ubsan_default_options()
{
    return "halt_on_error=1:print_stacktrace=1";
}

// Leaks inside system libraries, never in our code:
// - D-Bus's read buffer, allocated inside SDL_Init(SDL_INIT_VIDEO); we make no
//   D-Bus calls of our own.
// - Fontconfig 2.14 loses two blocks in its XML parser while FcInit loads the
//   system configuration. The fast unwinder stops inside the library, so only
//   the module can be named.
const char* __lsan_default_suppressions()
{
    return "leak:libdbus-1.so\n"
           "leak:libfontconfig.so\n";
}
}
