#include "tools/rc_compile/diagnostic.h"

namespace rc {

std::string formatDiagnostic(const Diagnostic& diagnostic)
{
    std::string text = diagnostic.file;
    if (diagnostic.line > 0) text += ":" + std::to_string(diagnostic.line);
    return text + ": " + diagnostic.message;
}

bool fail(Diagnostic* diagnostic, const std::string& file, int line, const std::string& message)
{
    diagnostic->file = file;
    diagnostic->line = line;
    diagnostic->message = message;
    return false;
}

}  // namespace rc
