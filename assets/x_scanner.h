// Lexical reading of the .x text format over bytes held in memory: names,
// numbers, quoted strings, GUIDs and balanced blocks, with whitespace, the two
// comment forms ("//" and "#" to the end of the line) and the separators ','
// and ';' skipped wherever the caller allows them. Reads never pass the end;
// every failure sets one HRESULT (D3DXFERR_PARSEERROR for malformed text,
// D3DXFERR_BADVALUE for a number out of its range) and makes further reads fail.
#pragma once

#include "math/d3dx_mesh.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

class XScanner {
public:
    XScanner(const char* begin, const char* end) : p_(begin), end_(end) {}

    // Skips whitespace and comments; then true at the end of the text.
    bool atEnd();
    // Skips whitespace, comments and separators and returns the next byte,
    // or 0 at the end.
    char peekPastSeparators();
    // Skips whitespace and comments; consumes `c` if it comes next.
    bool accept(char c);
    bool expect(char c);

    // A name: a run of bytes that are no whitespace, punctuation, quote or
    // comment start ('-' and '.' are allowed, as exporters write them).
    bool readName(std::string_view* name);
    // Numbers and strings may be preceded by any separators.
    bool readUint(uint32_t* value);
    bool readFloat(float* value);
    bool readFloats(float* values, size_t count);
    bool readString(std::string_view* text);
    // After '<': the rest of a GUID up to its '>'.
    bool skipGuid();
    // After '{': everything up to and including the matching '}'.
    bool skipBlock();

    // Whether `count` items of `numbersEach` numbers each could still follow:
    // every number takes at least one digit and one separator.
    bool couldHold(uint64_t count, unsigned numbersEach) const {
        return count * numbersEach <= static_cast<uint64_t>(end_ - p_) / 2 + 1;
    }

    HRESULT fail(HRESULT code);
    HRESULT error() const { return error_; }
    bool failed() const { return FAILED(error_); }

private:
    void skipSpace();
    void skipSeparators();

    const char* p_;
    const char* end_;
    HRESULT error_ = S_OK;
};
