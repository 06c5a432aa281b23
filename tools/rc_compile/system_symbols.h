// The names a resource script gets from the system headers it includes
// (<windows.h> and friends): rc_compile has no system headers to read, so this
// table stands in for them. It holds what our script uses: the VK_ names, the
// dialog results and the window, dialog and control styles.
// The lexer asks for it when it meets #include <name>; the parser never does.
#pragma once

#include <cstdint>

namespace rc {

struct SystemSymbol {
    const char* name;
    uint32_t value;
};

// True for the system headers whose symbols the table provides (any case,
// as file names on Windows).
bool isKnownSystemHeader(const char* name);

// The table, terminated by an entry with a null name.
const SystemSymbol* systemSymbols();

}  // namespace rc
