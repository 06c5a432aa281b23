// Writes compiled resources as a C++ source file that defines the tables of
// platform/resources/resource_tables.h (through the generatedResources record
// of platform/resources/generated_resources.h). Called by main. Cannot fail:
// it returns the whole file's text; the caller writes it.
#pragma once

#include <string>

#include "tools/rc_compile/resource_model.h"

namespace rc {

// scriptName appears only in the file's opening comment.
std::string writeTables(const Resources& resources, const std::string& scriptName);

// A C++ string literal, quotes included, that spells text byte for byte.
std::string cppStringLiteral(const std::string& text);

}  // namespace rc
