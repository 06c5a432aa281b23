// Reads the resource statements of a tokenized script into Resources: ICON,
// MENU, ACCELERATORS, DIALOG and DIALOGEX, each introduced by a numeric id,
// as the system's resource compiler reads them.
// Called by main and by tests. Returns false with a Diagnostic at the
// offending token for syntax errors, unknown ids or options, duplicate ids,
// and icon files that are missing or cannot be decoded.
#pragma once

#include <string>
#include <vector>

#include "tools/rc_compile/diagnostic.h"
#include "tools/rc_compile/resource_model.h"
#include "tools/rc_compile/script_lexer.h"

namespace rc {

bool parseScript(const std::vector<Token>& tokens, Resources* resources, Diagnostic* diagnostic);

// Tokenizes and parses the script at path.
bool compileScript(const std::string& path, Resources* resources, Diagnostic* diagnostic);

}  // namespace rc
