// Message-box text as SDL's box expects it: Windows programs break lines
// with CR or CR LF, SDL only on LF.
#pragma once

#include <string>

namespace platform::user {

// Each CR LF pair and each lone CR becomes one LF; everything else is kept.
std::string lineFeedBreaks(const char* text);

}  // namespace platform::user
