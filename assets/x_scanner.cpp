#include "assets/x_scanner.h"

#include <charconv>
#include <cmath>
#include <cstring>

namespace {

enum : unsigned char { Space = 1, Separator = 2, Punctuation = 4, NameStop = 8 };

struct CharClasses {
    unsigned char of[256] = {};
    constexpr CharClasses() {
        for (unsigned char c : {' ', '\t', '\r', '\n', '\f', '\v', '\0'}) of[c] = Space | NameStop;
        for (unsigned char c : {',', ';'}) of[c] = Separator | Punctuation | NameStop;
        for (unsigned char c : {'{', '}', '[', ']', '<', '>', '(', ')'}) of[c] = Punctuation | NameStop;
        for (unsigned char c : {'"', '#'}) of[c] = NameStop;
    }
};
constexpr CharClasses kClasses;

inline unsigned char classOf(char c) { return kClasses.of[static_cast<unsigned char>(c)]; }

inline bool isDigit(char c) { return c >= '0' && c <= '9'; }

// Exact powers of ten: up to 10^10 each is a float without rounding.
constexpr float kPowersOfTen[] = {1e0f, 1e1f, 1e2f, 1e3f, 1e4f, 1e5f, 1e6f, 1e7f, 1e8f, 1e9f};

// The numbers exporters write ("-0.577350", "1.000000", "12") without the
// general conversion: an optional '-', digits with at most one point, no
// exponent, nine digits at most, a value of at most 2^24 once the point is
// dropped. That value and the power of ten are then exact floats, and one
// IEEE division rounds their quotient as correctly as from_chars rounds the
// text, so both give the same bits. Anything else is left to from_chars.
bool readShortDecimal(const char* p, const char* end, float* value, const char** after) {
    const bool negative = p < end && *p == '-';
    if (negative) ++p;
    uint32_t mantissa = 0;
    unsigned digits = 0, fraction = 0;
    for (; p < end && isDigit(*p) && digits < 9; ++p, ++digits) mantissa = mantissa * 10 + unsigned(*p - '0');
    if (p < end && *p == '.') {
        ++p;
        for (; p < end && isDigit(*p) && digits < 9; ++p, ++digits, ++fraction)
            mantissa = mantissa * 10 + unsigned(*p - '0');
    }
    if (digits == 0 || mantissa > (1u << 24)) return false;
    if (p < end && (isDigit(*p) || *p == '.' || *p == 'e' || *p == 'E')) return false;
    const float magnitude = float(mantissa) / kPowersOfTen[fraction];
    *value = negative ? -magnitude : magnitude;
    *after = p;
    return true;
}

}  // namespace

HRESULT XScanner::fail(HRESULT code) {
    if (SUCCEEDED(error_)) error_ = code;
    p_ = end_;
    return error_;
}

void XScanner::skipSpace() {
    while (p_ < end_) {
        char c = *p_;
        if (classOf(c) & Space) {
            ++p_;
        } else if (c == '#' || (c == '/' && p_ + 1 < end_ && p_[1] == '/')) {
            // To the end of the line, whichever of CR or LF ends it.
            while (p_ < end_ && *p_ != '\n' && *p_ != '\r') ++p_;
        } else {
            return;
        }
    }
}

void XScanner::skipSeparators() {
    for (;;) {
        skipSpace();
        if (p_ < end_ && (classOf(*p_) & Separator)) {
            ++p_;
        } else {
            return;
        }
    }
}

bool XScanner::atEnd() {
    skipSpace();
    return p_ >= end_;
}

char XScanner::peekPastSeparators() {
    skipSeparators();
    return p_ < end_ ? *p_ : '\0';
}

bool XScanner::accept(char c) {
    skipSpace();
    if (p_ < end_ && *p_ == c) {
        ++p_;
        return true;
    }
    return false;
}

bool XScanner::expect(char c) {
    if (accept(c)) return true;
    fail(D3DXFERR_PARSEERROR);
    return false;
}

bool XScanner::readName(std::string_view* name) {
    skipSpace();
    const char* start = p_;
    while (p_ < end_ && !(classOf(*p_) & NameStop) && !(*p_ == '/' && p_ + 1 < end_ && p_[1] == '/')) ++p_;
    if (p_ == start) {
        fail(D3DXFERR_PARSEERROR);
        return false;
    }
    *name = std::string_view(start, static_cast<size_t>(p_ - start));
    return true;
}

bool XScanner::readUint(uint32_t* value) {
    skipSeparators();
    const char* start = p_;
    uint64_t v = 0;
    while (p_ < end_ && *p_ >= '0' && *p_ <= '9') {
        v = v * 10 + static_cast<unsigned>(*p_ - '0');
        if (v > 0xFFFFFFFFu) {
            fail(D3DXFERR_BADVALUE);
            return false;
        }
        ++p_;
    }
    if (p_ == start || (p_ < end_ && !(classOf(*p_) & NameStop) && *p_ != '/')) {
        fail(D3DXFERR_PARSEERROR);
        return false;
    }
    *value = static_cast<uint32_t>(v);
    return true;
}

bool XScanner::readFloat(float* value) {
    skipSeparators();
    if (p_ < end_ && *p_ == '+') ++p_;
    // Only digits, a sign or a point may start a number: from_chars would
    // also take "inf" and "nan".
    if (p_ >= end_ || !((*p_ >= '0' && *p_ <= '9') || *p_ == '-' || *p_ == '.')) {
        fail(D3DXFERR_PARSEERROR);
        return false;
    }
    float v = 0;
    std::from_chars_result got;
    if (!readShortDecimal(p_, end_, &v, &got.ptr)) got = std::from_chars(p_, end_, v, std::chars_format::general);
    else got.ec = std::errc();
    if (got.ec == std::errc::result_out_of_range) {
        fail(D3DXFERR_BADVALUE);
        return false;
    }
    if (got.ec != std::errc() || (got.ptr < end_ && !(classOf(*got.ptr) & NameStop) && *got.ptr != '/')) {
        fail(D3DXFERR_PARSEERROR);
        return false;
    }
    if (!std::isfinite(v)) {
        fail(D3DXFERR_BADVALUE);
        return false;
    }
    p_ = got.ptr;
    *value = v;
    return true;
}

bool XScanner::readFloats(float* values, size_t count) {
    for (size_t i = 0; i < count; ++i)
        if (!readFloat(&values[i])) return false;
    return true;
}

bool XScanner::readString(std::string_view* text) {
    skipSeparators();
    if (p_ >= end_ || *p_ != '"') {
        fail(D3DXFERR_PARSEERROR);
        return false;
    }
    const char* start = p_ + 1;
    const void* close = std::memchr(start, '"', static_cast<size_t>(end_ - start));
    if (!close) {
        fail(D3DXFERR_PARSEERROR);
        return false;
    }
    p_ = static_cast<const char*>(close);
    *text = std::string_view(start, static_cast<size_t>(p_ - start));
    ++p_;
    return true;
}

bool XScanner::skipGuid() {
    const void* close = std::memchr(p_, '>', static_cast<size_t>(end_ - p_));
    if (!close) {
        fail(D3DXFERR_PARSEERROR);
        return false;
    }
    p_ = static_cast<const char*>(close) + 1;
    return true;
}

bool XScanner::skipBlock() {
    // A counter rather than recursion: nesting depth costs nothing here.
    uint64_t depth = 1;
    while (p_ < end_) {
        char c = *p_;
        if (c == '"') {
            const void* close = std::memchr(p_ + 1, '"', static_cast<size_t>(end_ - p_ - 1));
            if (!close) break;
            p_ = static_cast<const char*>(close) + 1;
        } else if (c == '#' || (c == '/' && p_ + 1 < end_ && p_[1] == '/')) {
            skipSpace();
        } else {
            ++p_;
            if (c == '{') {
                ++depth;
            } else if (c == '}' && --depth == 0) {
                return true;
            }
        }
    }
    fail(D3DXFERR_PARSEERROR);
    return false;
}
