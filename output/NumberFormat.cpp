#include "output/NumberFormat.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>

#include "common/Digits.h"

namespace {

/// Room FormatFixedExact needs at its destination: a sign, 20 digits of a 64-bit number or
/// kMaxFastDecimals + 1 digits with leading zeros, and the point, with the blocks it copies in.
constexpr std::size_t kFastTextSize = 64;

#if defined(__SIZEOF_INT128__)
/// 10^0 to 10^19.
constexpr std::uint64_t kPowersOfTen[] = {1ull,
                                          10ull,
                                          100ull,
                                          1000ull,
                                          10000ull,
                                          100000ull,
                                          1000000ull,
                                          10000000ull,
                                          100000000ull,
                                          1000000000ull,
                                          10000000000ull,
                                          100000000000ull,
                                          1000000000000ull,
                                          10000000000000ull,
                                          100000000000000ull,
                                          1000000000000000ull,
                                          10000000000000000ull,
                                          100000000000000000ull,
                                          1000000000000000000ull,
                                          10000000000000000000ull};

/// The number of decimal digits of n (1 for 0).
int DigitCount(std::uint64_t n) {
    const int bits = 64 - __builtin_clzll(n | 1);
    const int guess = (bits * 1233) >> 12;  // bits * log10(2), one short at most
    return guess + (n >= kPowersOfTen[guess] ? 1 : 0);
}

/// Writes n / 10^decimals exactly at `dest` (room for 64 characters) and returns the end of it:
/// "-" when `negative`, the digits of `n` with at least one before the point, and when
/// `decimals` (at most 17) is above 0 a point before the last `decimals` of them.
char* WriteScaledInteger(char* dest, std::uint64_t n, int decimals, bool negative) {
    // The digits right-aligned in three groups of eight, as many groups as the number and its
    // decimals need, leading zeros included; the padding behind them lets both parts be copied
    // in blocks of a fixed size (the destination has room for them).
    constexpr std::size_t kBlock = 24;
    const int length = std::max(DigitCount(n), decimals + 1);
    char digits[24 + kBlock];
    char* const end = digits + 24;
    WriteEightDigits(end - 8, static_cast<std::uint32_t>(n % 100000000));
    if (length > 8) {
        n /= 100000000;
        WriteEightDigits(end - 16, static_cast<std::uint32_t>(n % 100000000));
        if (length > 16) WriteEightDigits(digits, static_cast<std::uint32_t>(n / 100000000));
    }
    char* p = dest;
    *p = '-';
    p += negative;
    std::memcpy(p, end - length, kBlock);
    p += length - decimals;
    if (decimals > 0) {
        *p++ = '.';
        std::memcpy(p, end - decimals, kBlock);
        p += decimals;
    }
    return p;
}

__extension__ typedef unsigned __int128 Uint128;

/// 5^0 to 5^17: with a 53-bit significand the products stay below 2^93.
constexpr std::uint64_t kPowersOfFive[] = {1ull,
                                           5ull,
                                           25ull,
                                           125ull,
                                           625ull,
                                           3125ull,
                                           15625ull,
                                           78125ull,
                                           390625ull,
                                           1953125ull,
                                           9765625ull,
                                           48828125ull,
                                           244140625ull,
                                           1220703125ull,
                                           6103515625ull,
                                           30517578125ull,
                                           152587890625ull,
                                           762939453125ull};
constexpr int kMaxFastDecimals = 17;

/// The fixed-point text of `value` by exact integer arithmetic: value * 10^decimals is
/// significand * 5^decimals * 2^(exponent + decimals), rounded to the nearest integer (an exact
/// tie to the even one), which is what the exact conversion writes. The text goes to `dest`
/// (kFastTextSize characters of room); `end` receives its end. False, and nothing written, when
/// the value is not finite or the scaled integer does not fit 64 bits.
bool FormatFixedExact(char* dest, double value, int decimals, char*& end) {
    if (decimals < 0 || decimals > kMaxFastDecimals) return false;
    std::uint64_t bits = 0;
    static_assert(sizeof bits == sizeof value, "double must be 64 bits");
    std::memcpy(&bits, &value, sizeof bits);
    const bool negative = (bits >> 63) != 0;
    const int biased = static_cast<int>((bits >> 52) & 0x7ff);
    const std::uint64_t fraction = bits & ((std::uint64_t{1} << 52) - 1);
    if (biased == 0x7ff) return false;  // infinity or NaN
    const std::uint64_t significand = biased == 0 ? fraction : fraction | (std::uint64_t{1} << 52);
    const int exponent = biased == 0 ? -1074 : biased - 1075;  // value = significand * 2^exponent

    const Uint128 product = Uint128{significand} * kPowersOfFive[decimals];
    const int shift = -(exponent + decimals);  // scaled = product / 2^shift
    Uint128 scaled = 0;
    if (shift <= 0) {
        if (-shift >= 35) return false;  // product * 2^-shift could pass 2^128
        scaled = product << -shift;
    } else if (shift < 128) {
        scaled = product >> shift;
        const Uint128 remainder = product & ((Uint128{1} << shift) - 1);
        const Uint128 half = Uint128{1} << (shift - 1);
        if (remainder > half || (remainder == half && (scaled & 1) != 0)) ++scaled;
    }
    // else: product < 2^93 <= half of 2^shift, so the value rounds to 0.
    if ((scaled >> 64) != 0) return false;

    end = WriteScaledInteger(dest, static_cast<std::uint64_t>(scaled), decimals, negative);
    return true;
}
#else
bool FormatFixedExact(char*, double, int, char*&) { return false; }
#endif

}  // namespace

/// Room WriteFixed needs: 309 digits before the point at most, plus sign, point and decimals.
constexpr std::size_t kMaxFixedText = 400;
static_assert(kMaxFixedText >= kFastTextSize, "room for the exact fast path");

namespace {

/// Writes `value` as AppendFixed describes at `dest` (kMaxFixedText characters of room) and
/// returns the end of what it wrote.
char* WriteFixed(char* dest, double value, int decimals) {
    char* end = dest;
    if (FormatFixedExact(dest, value, decimals, end)) return end;
    const auto [last, ec] =
        std::to_chars(dest, dest + kMaxFixedText, value, std::chars_format::fixed, decimals);
    if (ec == std::errc()) return last;
    const char* word = std::isnan(value) ? "nan" : "inf";  // unreachable for finite values
    std::memcpy(dest, word, 3);
    return dest + 3;
}

}  // namespace

void AppendFixed(std::string& out, double value, int decimals) {
    char text[kMaxFixedText];
    out.append(text, WriteFixed(text, value, decimals));
}

void AppendFixed(TextBuffer& out, double value, int decimals) {
    char* dest = out.Room(kMaxFixedText);
    out.Grow(static_cast<std::size_t>(WriteFixed(dest, value, decimals) - dest));
}

void AppendInt(std::string& out, int value) {
    char buffer[16];
    const auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value);
    (void)ec;
    out.append(buffer, end);
}

void AppendInt(TextBuffer& out, int value) {
    char* dest = out.Room(16);
    const auto [end, ec] = std::to_chars(dest, dest + 16, value);
    (void)ec;
    out.Grow(static_cast<std::size_t>(end - dest));
}
