// The media-file search: turns a bare model or texture name into the path of
// an existing file by trying the name as given (made absolute), its bare file
// name in the current directory, then the SDK media root from the registry
// followed by "\Media\". Called by the game's model loading, the
// mesh object and the statistics text. Failures are HRESULTs: E_INVALIDARG for
// bad arguments or a result that does not fit, E_FAIL when the full path does
// not fit or the registry has no media root, and 0x80070002 when the file is
// nowhere; the buffer's contents afterwards are as each function says.
// Capacities count characters including the terminator.
#pragma once

#include <windows.h>

// copyBounded sits below render and display, which both use it.
#include "common/bounded_copy.h"

// S_OK with the path of the file found in `path`. Not found: `fileName`, cut
// to fit, and HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND). Callers load from
// whatever `path` holds afterwards.
HRESULT locateMediaFile(char* path, int capacity, const char* fileName);

// S_OK with the registry's SDK media root followed by "\Media\" in `path`.
// E_FAIL, `path` "", when the key or value is missing or longer than
// `capacity`; E_INVALIDARG, `path` the bare root, when the suffix does not fit.
HRESULT mediaRootFromRegistry(char* path, int capacity);
