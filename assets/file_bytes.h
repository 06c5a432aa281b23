// Whole-file reads for the loaders, through CreateFileA and ReadFile so that
// names with backslashes and the case-insensitive lookup behave the same on
// both targets. Failures: the file's own code as an HRESULT (0x80070002 for a
// file not found), E_OUTOFMEMORY for a file larger than `maxBytes` or memory
// that cannot be had, E_FAIL for a file that changed size while being read.
#pragma once

#include <windows.h>

#include <cstddef>
#include <memory>

struct FileBytes {
    std::unique_ptr<unsigned char[]> data;
    size_t size = 0;
};

// `out` is replaced on success only. An empty file succeeds with size 0.
HRESULT readFileBytes(const char* path, size_t maxBytes, FileBytes* out);
