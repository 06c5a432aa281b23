// Turns a resource script into tokens, doing the preprocessor's part on the
// way: reads the script and the headers it #includes (quoted names relative to
// the including file; <windows.h> and friends from the system symbol table),
// applies #define NAME number, skips #pragma and comments. Called by
// compileScript. Returns false with a Diagnostic at the offending line for
// unreadable files, bad directives, bad numbers, unterminated strings or
// comments and unexpected characters.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tools/rc_compile/diagnostic.h"

namespace rc {

enum class TokenKind { Identifier, Number, String, Punct, End };

struct Token {
    TokenKind kind = TokenKind::End;
    // Identifier: its name. Number: its spelling, or the macro's name when it
    // came from a #define. String: the decoded text. Punct: the character.
    std::string text;
    uint32_t value = 0;  // Number only
    std::string file;
    int line = 0;
};

// The tokens of the script at path, ending with one End token.
bool tokenizeScript(const std::string& path, std::vector<Token>* tokens, Diagnostic* diagnostic);

}  // namespace rc
