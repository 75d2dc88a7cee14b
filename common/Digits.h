// Eight decimal digits at a time: the parsing and writing of plain digit runs in one step each,
// on machines that store the first byte lowest (every target of this program); elsewhere one
// digit at a time. The results are the same either way.
#pragma once

#include <cstdint>
#include <cstring>

#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
#define BB_EIGHT_DIGITS_AT_ONCE 1
#else
#define BB_EIGHT_DIGITS_AT_ONCE 0
#endif

/// When the eight characters at `p` are all digits, their value (the first the most significant)
/// in `value`, and true.
inline bool ParseEightDigits(const char* p, std::uint32_t& value) {
#if BB_EIGHT_DIGITS_AT_ONCE
    std::uint64_t x = 0;
    std::memcpy(&x, p, 8);
    constexpr std::uint64_t kHigh = 0xF0F0F0F0F0F0F0F0ull;
    constexpr std::uint64_t kZeros = 0x3030303030303030ull;
    if ((x & kHigh) != kZeros || ((x + 0x0606060606060606ull) & kHigh) != kZeros) return false;
    x -= kZeros;
    x = x * 10 + (x >> 8);  // each byte pair: tens * 10 + ones
    x = (((x & 0x000000FF000000FFull) * (100 + (1000000ull << 32))) +
         (((x >> 16) & 0x000000FF000000FFull) * (1 + (10000ull << 32)))) >>
        32;
    value = static_cast<std::uint32_t>(x);
    return true;
#else
    std::uint32_t result = 0;
    for (int i = 0; i < 8; ++i) {
        if (p[i] < '0' || p[i] > '9') return false;
        result = result * 10 + static_cast<std::uint32_t>(p[i] - '0');
    }
    value = result;
    return true;
#endif
}

/// Writes `value` (below 10^8) as exactly eight digits at `out`, leading zeros included.
inline void WriteEightDigits(char* out, std::uint32_t value) {
#if BB_EIGHT_DIGITS_AT_ONCE
    const std::uint64_t high = value / 10000;  // abcd
    const std::uint64_t low = value % 10000;   // efgh
    const std::uint64_t fours = high | (low << 32);
    const std::uint64_t hundreds = ((fours * 10486) >> 20) & 0x0000007F0000007Full;  // ab, ef
    const std::uint64_t pairs = hundreds | ((fours - 100 * hundreds) << 16);  // ab cd ef gh
    const std::uint64_t tens = ((pairs * 103) >> 10) & 0x000F000F000F000Full;
    const std::uint64_t digits = tens | ((pairs - 10 * tens) << 8);
    const std::uint64_t text = digits + 0x3030303030303030ull;
    std::memcpy(out, &text, 8);
#else
    for (int i = 7; i >= 0; --i) {
        out[i] = static_cast<char>('0' + value % 10);
        value /= 10;
    }
#endif
}
