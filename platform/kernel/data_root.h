// Where the registry's one value, the SDK media root, points on Linux: the
// folder holding the game's media folder. Called by the registry functions;
// the test seam here is called only by tests. Never fails: without an
// installed data folder the answer is the source tree the layer was built
// from.
#pragma once

#include <string>

namespace platform {

// For a program in `exeFolder`: exeFolder/../share/quorvane31 (collapsed)
// when that folder exists, `sourceTree` otherwise.
std::string dataRootFor(const std::string& exeFolder, const std::string& sourceTree);

// The value the registry reports now: dataRootFor this program's folder and
// the build's source tree, or the seam's override. False when the override
// says the value does not exist.
bool sdkMediaRootValue(std::string* value);

// Test seam, off until called: the registry reports `value` instead, or no
// value at all for nullptr, until restoreSdkMediaRoot.
void overrideSdkMediaRoot(const char* value);
void restoreSdkMediaRoot();

}  // namespace platform
