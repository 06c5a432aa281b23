// wsprintfA: the Win32 formatter, not printf. Its integers are 32-bit even
// with 'l' (Windows' long), it has no floating point, and its output stops
// at the published 1024-byte buffer size.
#include <windows.h>

#include <cstdint>
#include <cstring>
#include <string>

namespace {

constexpr size_t kBufferSize = 1024;

struct Output {
    char* buffer;
    size_t length;

    void put(char c) {
        if (length + 1 < kBufferSize) buffer[length++] = c;
    }
    void put(const char* text, size_t count) {
        for (size_t i = 0; i < count; ++i) put(text[i]);
    }
    void pad(char c, size_t count) {
        for (size_t i = 0; i < count; ++i) put(c);
    }
};

struct FieldFormat {
    bool left = false;
    bool zero = false;
    bool prefix = false;
    size_t width = 0;
    bool hasPrecision = false;
    size_t precision = 0;
    char size = 0;  // 'h', 'l' or 0
};

// Widths and precisions beyond the buffer size change nothing; clamping them
// keeps the digit buffer below bounded.
size_t readNumber(const char** p) {
    size_t value = 0;
    while (**p >= '0' && **p <= '9') {
        value = value * 10 + static_cast<size_t>(**p - '0');
        if (value > kBufferSize) value = kBufferSize;
        ++*p;
    }
    return value;
}

// Text padded to the width; `lead` (sign or 0x) goes before any zero padding.
void putField(Output* out, const FieldFormat& fieldFormat, const char* lead, const char* body, size_t bodyLength) {
    size_t leadLength = std::strlen(lead);
    size_t used = leadLength + bodyLength;
    size_t padding = fieldFormat.width > used ? fieldFormat.width - used : 0;
    if (!fieldFormat.left && !fieldFormat.zero) out->pad(' ', padding);
    out->put(lead, leadLength);
    if (!fieldFormat.left && fieldFormat.zero) out->pad('0', padding);
    out->put(body, bodyLength);
    if (fieldFormat.left) out->pad(' ', padding);
}

void putUnsigned(Output* out, const FieldFormat& fieldFormat, const char* lead, uint32_t value, unsigned base, bool upper) {
    const char* digits = upper ? "0123456789ABCDEF" : "0123456789abcdef";
    char reversed[16];
    size_t count = 0;
    do {
        reversed[count++] = digits[value % base];
        value /= base;
    } while (value != 0);
    char body[kBufferSize + 16];
    size_t length = 0;
    size_t minimum = fieldFormat.hasPrecision ? fieldFormat.precision : 0;
    for (; length + count < minimum; ++length) body[length] = '0';
    while (count > 0) body[length++] = reversed[--count];
    putField(out, fieldFormat, lead, body, length);
}

// In the ANSI formatter 'c' and 's' are narrow and 'C' and 'S' wide; "h"
// makes either narrow and "l" either wide.
bool isWide(char conversion, char size) {
    if (size == 'h') return false;
    if (size == 'l') return true;
    return conversion == 'C' || conversion == 'S';
}

// The layer's ANSI code page keeps ASCII; other UTF-16 units become '?'.
char narrowed(uint16_t unit) { return unit < 0x80 ? static_cast<char>(unit) : '?'; }

}  // namespace

extern "C" {

int WINAPI wvsprintfA(LPSTR buffer, LPCSTR format, va_list arguments) {
    if (buffer == nullptr) return 0;
    Output out{buffer, 0};
    for (const char* p = format != nullptr ? format : ""; *p != '\0';) {
        if (*p != '%') {
            out.put(*p++);
            continue;
        }
        ++p;
        FieldFormat fieldFormat;
        for (;; ++p) {
            if (*p == '-') fieldFormat.left = true;
            else if (*p == '0') fieldFormat.zero = true;
            else if (*p == '#') fieldFormat.prefix = true;
            else break;
        }
        fieldFormat.width = readNumber(&p);
        if (*p == '.') {
            ++p;
            fieldFormat.hasPrecision = true;
            fieldFormat.precision = readNumber(&p);
        }
        if (*p == 'h' || *p == 'l') fieldFormat.size = *p++;
        char conversion = *p;
        switch (conversion) {
            case '%':
                out.put('%');
                break;
            case 'c':
            case 'C': {
                // 'C' and "lc" take a 16-bit WCHAR, "hc" and 'c' a CHAR; a zero
                // character is skipped, as published.
                int value = va_arg(arguments, int);
                char c = isWide(conversion, fieldFormat.size) ? narrowed(static_cast<uint16_t>(value))
                                                       : static_cast<char>(value);
                if (c == '\0') break;
                FieldFormat text = fieldFormat;
                text.zero = false;
                putField(&out, text, "", &c, 1);
                break;
            }
            case 's':
            case 'S': {
                // With a precision the text need not be terminated within it,
                // so nothing past the precision is read.
                size_t limit = fieldFormat.hasPrecision ? fieldFormat.precision : kBufferSize;
                std::string text;
                if (isWide(conversion, fieldFormat.size)) {
                    const uint16_t* wide = va_arg(arguments, const uint16_t*);
                    if (wide == nullptr) text = "(null)";
                    for (; wide != nullptr && *wide != 0 && text.size() < limit; ++wide) text += narrowed(*wide);
                } else {
                    const char* narrow = va_arg(arguments, const char*);
                    if (narrow == nullptr) narrow = "(null)";
                    text.assign(narrow, strnlen(narrow, limit));
                }
                if (text.size() > limit) text.resize(limit);
                FieldFormat field = fieldFormat;
                field.zero = false;
                putField(&out, field, "", text.data(), text.size());
                break;
            }
            case 'd':
            case 'i': {
                int32_t value = va_arg(arguments, int32_t);
                if (fieldFormat.size == 'h') value = static_cast<int16_t>(value);
                uint32_t magnitude = value < 0 ? 0u - static_cast<uint32_t>(value) : static_cast<uint32_t>(value);
                putUnsigned(&out, fieldFormat, value < 0 ? "-" : "", magnitude, 10, false);
                break;
            }
            case 'u':
            case 'x':
            case 'X': {
                uint32_t value = va_arg(arguments, uint32_t);
                if (fieldFormat.size == 'h') value = static_cast<uint16_t>(value);
                bool hex = *p != 'u';
                const char* lead = hex && fieldFormat.prefix ? (*p == 'x' ? "0x" : "0X") : "";
                putUnsigned(&out, fieldFormat, lead, value, hex ? 16 : 10, *p == 'X');
                break;
            }
            case '\0':
                continue;  // a lone '%' ends the format
            default:
                // A character with no meaning as a conversion is copied as it
                // stands and takes no argument, as published ("%%" gives "%").
                out.put(*p);
                break;
        }
        ++p;
    }
    buffer[out.length] = '\0';
    return static_cast<int>(out.length);
}

int WINAPIV wsprintfA(LPSTR buffer, LPCSTR format, ...) {
    va_list arguments;
    va_start(arguments, format);
    int length = wvsprintfA(buffer, format, arguments);
    va_end(arguments);
    return length;
}

}  // extern "C"
