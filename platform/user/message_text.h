// Message-box text as the box shows it: Windows programs break lines with
// CR or CR LF, and the box wraps a line too wide for it at word boundaries.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace platform::user {

// Each CR LF pair and each lone CR becomes one LF; everything else is kept.
std::string lineFeedBreaks(const char* text);

// The lines shown: the text's own lines (CR, LF or CR LF), each broken where
// it grows wider than `maxWidth` (as `widthOf` measures), after the last
// space that lets it fit; the spaces at a break are dropped, and a word
// wider than `maxWidth` alone is broken where it stops fitting.
std::vector<std::string> wrapLines(const char* text, int maxWidth,
                                   const std::function<int(const std::string&)>& widthOf);

}  // namespace platform::user
