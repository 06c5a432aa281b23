// Where a resource script went wrong: the file and line of the offending token
// and one sentence. Every stage of rc_compile reports through this record and
// returns false; main prints it as "file:line: message" and exits non-zero.
#pragma once

#include <string>

namespace rc {

struct Diagnostic {
    std::string file;
    int line = 0;  // 0 when the problem has no line (a file that cannot be read)
    std::string message;
};

// "file:line: message", or "file: message" without a line.
std::string formatDiagnostic(const Diagnostic& diagnostic);

// Fills the diagnostic and returns false, so that failure paths read
// `return fail(diag, file, line, "...")`.
bool fail(Diagnostic* diagnostic, const std::string& file, int line, const std::string& message);

}  // namespace rc
