// String comparison, MulDiv and the code-page query.
#include <windows.h>

#include <climits>
#include <cstdint>

extern "C" {

int WINAPI lstrcmpA(LPCSTR string1, LPCSTR string2) {
    if (string1 == nullptr || string2 == nullptr) {
        return string1 == string2 ? 0 : (string1 == nullptr ? -1 : 1);
    }
    const unsigned char* a = reinterpret_cast<const unsigned char*>(string1);
    const unsigned char* b = reinterpret_cast<const unsigned char*>(string2);
    while (*a != '\0' && *a == *b) {
        ++a;
        ++b;
    }
    return *a == *b ? 0 : (*a < *b ? -1 : 1);
}

int WINAPI MulDiv(int number, int numerator, int denominator) {
    if (denominator == 0) return -1;
    int64_t product = static_cast<int64_t>(number) * numerator;
    bool negative = (product < 0) != (denominator < 0);
    // |product| <= 2^62 and |denominator| <= 2^31, so the doubled terms fit.
    uint64_t magnitude = product < 0 ? static_cast<uint64_t>(-product) : static_cast<uint64_t>(product);
    uint64_t divisor = denominator < 0 ? static_cast<uint64_t>(-static_cast<int64_t>(denominator))
                                       : static_cast<uint64_t>(denominator);
    // round(m / d) with halves going up: floor((2m + d) / 2d).
    uint64_t quotient = (2 * magnitude + divisor) / (2 * divisor);
    int64_t result = negative ? -static_cast<int64_t>(quotient) : static_cast<int64_t>(quotient);
    if (result > INT_MAX || result < INT_MIN) return -1;
    return static_cast<int>(result);
}

BOOL WINAPI IsDBCSLeadByte(BYTE /*testChar*/) { return FALSE; }

}  // extern "C"
