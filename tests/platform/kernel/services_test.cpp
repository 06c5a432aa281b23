// Clocks, the last-error value, MulDiv, wsprintfA, lstrcmpA and registry
// misses, driven through the published API only so that the same checks run
// against the real system under Wine.
#include <windows.h>
#include <mmsystem.h>

#include <gtest/gtest.h>

#include <atomic>
#include <climits>
#include <cstdint>
#include <cstring>
#include <string>
#include <thread>

namespace {

LONGLONG counterNow() {
    LARGE_INTEGER now{};
    EXPECT_TRUE(QueryPerformanceCounter(&now));
    return now.QuadPart;
}

TEST(KernelClock, CounterNeverStepsBackAndMovesAcrossASleep) {
    LONGLONG previous = counterNow();
    for (int i = 0; i < 10000; ++i) {
        LONGLONG next = counterNow();
        ASSERT_GE(next, previous);
        previous = next;
    }
    DWORD ticks = GetTickCount();
    Sleep(30);
    EXPECT_GT(counterNow(), previous);
    EXPECT_GT(GetTickCount() - ticks, 0u);  // unsigned: right across the 2^32 wrap
}

// The clocks are read around each other, so how long the sleep really took
// does not matter; only a wrong unit or frequency breaks the brackets.
TEST(KernelClock, CounterFrequencyAgreesWithTheMillisecondClock) {
    LARGE_INTEGER frequency{};
    ASSERT_TRUE(QueryPerformanceFrequency(&frequency));
    ASSERT_GT(frequency.QuadPart, 0);
    DWORD outerStart = timeGetTime();
    LONGLONG start = counterNow();
    DWORD innerStart = timeGetTime();
    Sleep(200);
    DWORD innerEnd = timeGetTime();
    LONGLONG end = counterNow();
    DWORD outerEnd = timeGetTime();
    double counterMs = static_cast<double>(end - start) * 1000.0 / static_cast<double>(frequency.QuadPart);
    const double tickMs = 20.0;  // a coarse Windows tick is about 16 ms
    EXPECT_LE(counterMs, static_cast<double>(outerEnd - outerStart) + tickMs);
    EXPECT_GE(counterMs + tickMs, static_cast<double>(innerEnd - innerStart));
    EXPECT_GT(innerEnd - innerStart, 0u);
}

// Both values are read while both threads are running, since starting and
// joining a thread may itself touch the value.
TEST(KernelLastError, IsKeptPerThread) {
    std::atomic<int> stage{0};
    DWORD seenByOther = 0;
    std::thread other([&] {
        SetLastError(ERROR_ACCESS_DENIED);
        stage = 1;
        while (stage != 2) std::this_thread::yield();
        seenByOther = GetLastError();
        stage = 3;
    });
    while (stage != 1) std::this_thread::yield();
    SetLastError(ERROR_MORE_DATA);
    stage = 2;
    while (stage != 3) std::this_thread::yield();
    DWORD seenHere = GetLastError();
    other.join();
    EXPECT_EQ(seenByOther, static_cast<DWORD>(ERROR_ACCESS_DENIED));
    EXPECT_EQ(seenHere, static_cast<DWORD>(ERROR_MORE_DATA));
}

TEST(KernelMulDiv, RoundsHalvesAwayFromZeroThroughA64BitProduct) {
    EXPECT_EQ(MulDiv(10, 3, 4), 8);  // 7.5
    EXPECT_EQ(MulDiv(-10, 3, 4), -8);
    EXPECT_EQ(MulDiv(10, -3, 4), -8);
    EXPECT_EQ(MulDiv(10, 3, -4), -8);
    EXPECT_EQ(MulDiv(-10, -3, 4), 8);
    EXPECT_EQ(MulDiv(-10, -3, -4), -8);
    EXPECT_EQ(MulDiv(1, 1, 3), 0);
    EXPECT_EQ(MulDiv(2, 1, 3), 1);
    EXPECT_EQ(MulDiv(-2, 1, 3), -1);
    EXPECT_EQ(MulDiv(-10, 96, 72), -13);  // a font height in pixels
    EXPECT_EQ(MulDiv(INT_MAX, INT_MAX, INT_MAX), INT_MAX);
    EXPECT_EQ(MulDiv(0x40000000, 8, 16), 0x20000000);
}

TEST(KernelMulDiv, FailsAsMinusOne) {
    EXPECT_EQ(MulDiv(5, 5, 0), -1);
    EXPECT_EQ(MulDiv(0, 0, 0), -1);
    EXPECT_EQ(MulDiv(INT_MAX, 2, 1), -1);
    EXPECT_EQ(MulDiv(INT_MIN, 2, 1), -1);
}

// The text, and whether the result counted it.
std::string formatted(const char* format, ...) {
    char buffer[1024];
    va_list arguments;
    va_start(arguments, format);
    int length = wvsprintfA(buffer, format, arguments);
    va_end(arguments);
    return length == static_cast<int>(std::strlen(buffer)) ? std::string(buffer) : "<miscounted>";
}

TEST(KernelFormat, ConversionsWidthsFlagsAndPrecision) {
    EXPECT_EQ(formatted("%d|%i|%u|%x|%X|%c|%%", -42, 7, 4000000000u, 0xbeefu, 0xBEEFu, 'Z'),
              "-42|7|4000000000|beef|BEEF|Z|%");
    EXPECT_EQ(formatted("[%5d][%-5d][%05d][%08X][%#x][%.3d]", 42, 42, -42, 0xABu, 255u, 7),
              "[   42][42   ][-0042][000000AB][0xff][007]");
    EXPECT_EQ(formatted("[%s][%7s][%-6s][%.2s][%1s]", "", "right", "left", "truncate", "long"),
              "[][  right][left  ][tr][long]");
    EXPECT_EQ(formatted("%d %u", INT_MIN, 0xFFFFFFFFu), "-2147483648 4294967295");
    char buffer[32];
    EXPECT_EQ(wsprintfA(buffer, "%s %d", "Lever", 6), 7);
    EXPECT_STREQ(buffer, "Lever 6");
}

// 'l' is Windows' 32-bit long; 'S', "ls" and "lc" take UTF-16 text in the
// ANSI formatter, "hs" and "hc" ANSI text.
TEST(KernelFormat, SizePrefixes) {
    DWORD big = 4000000000u;
    LONG negative = -5;
    EXPECT_EQ(formatted("%lu %ld %lx", big, negative, 0xFFFFFFFFu), "4000000000 -5 ffffffff");
    const uint16_t wide[] = {'L', 'e', 'v', 'e', 'r', 0};
    EXPECT_EQ(formatted("%S|%ls|%hs|%lc%hc", wide, wide, "Base", 'W', 'n'), "Lever|Lever|Base|Wn");
}

TEST(KernelCompare, EqualAndOrderedStrings) {
    EXPECT_EQ(lstrcmpA("Base02.x", "Base02.x"), 0);
    EXPECT_LT(lstrcmpA("abc", "abd"), 0);
    EXPECT_GT(lstrcmpA("abd", "abc"), 0);
    EXPECT_LT(lstrcmpA("ab", "abc"), 0);
    EXPECT_LT(lstrcmpA("", "a"), 0);
    EXPECT_NE(lstrcmpA("Media", "media"), 0);
}

TEST(KernelRegistry, OtherKeysAndValuesAreNotFound) {
    HKEY key = reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(0x1234));
    const char* missing = "Software\\Quorvane31 Tests\\No Such Key";
    EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, missing, 0, KEY_READ, &key), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(key, nullptr);
    EXPECT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, missing, 0, KEY_READ, &key), ERROR_FILE_NOT_FOUND);

    char data[16] = "untouched";
    DWORD size = sizeof(data);
    EXPECT_EQ(RegQueryValueExA(HKEY_LOCAL_MACHINE, "Quorvane31 No Such Value", nullptr, nullptr,
                               reinterpret_cast<LPBYTE>(data), &size),
              ERROR_FILE_NOT_FOUND);
    EXPECT_STREQ(data, "untouched");
    // Closing a predefined key does nothing, and it stays usable.
    EXPECT_EQ(RegCloseKey(HKEY_LOCAL_MACHINE), ERROR_SUCCESS);
    EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, missing, 0, KEY_READ, &key), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(RegCloseKey(reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(0x1230))), ERROR_INVALID_HANDLE);
}

}  // namespace
