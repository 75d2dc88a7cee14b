#include "bluebook/RecordLine.h"

#include <charconv>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <system_error>

#include "common/ResultCodes.h"

namespace {

/// C's isspace in the "C" locale, which atoi and atof skip before the number.
bool IsCSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

/// Removes C white space at the front and returns the sign (true for "-"), consuming it.
bool SkipSpaceAndSign(std::string_view& text) {
    std::size_t i = 0;
    while (i < text.size() && IsCSpace(text[i])) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    text.remove_prefix(i);
    return negative;
}

/// Powers of ten that are exact doubles.
constexpr double kExactPowersOfTen[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                        1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                        1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};

/// The common field "digits[.digits]" with at most 15 digits and nothing number-like after it,
/// converted exactly: an integer below 2^53 divided by an exact power of ten is correctly
/// rounded. False when the text needs the general conversion.
bool ConvertPlainDecimal(std::string_view text, double& value) {
    std::uint64_t mantissa = 0;
    int digits = 0;
    int decimals = 0;
    std::size_t i = 0;
    for (; i < text.size() && IsDigit(text[i]); ++i, ++digits)
        mantissa = mantissa * 10 + static_cast<unsigned>(text[i] - '0');
    if (i < text.size() && text[i] == '.') {
        for (++i; i < text.size() && IsDigit(text[i]); ++i, ++digits, ++decimals)
            mantissa = mantissa * 10 + static_cast<unsigned>(text[i] - '0');
    }
    if (digits == 0 || digits > 15) return false;
    if (i < text.size()) {
        const char next = text[i];
        if (next == 'e' || next == 'E' || next == 'x' || next == 'X') return false;
    }
    value = static_cast<double>(mantissa) / kExactPowersOfTen[decimals];
    return true;
}

/// The most common fields of all, converted in one pass: blanks, an optional "-", and
/// "digits[.digits]" (at most 15 digits) ending the field or followed by a blank. Exactly
/// what the general conversion gives for such a field; false for anything else.
/// With `kCheck`, `blankAfterDigits` tells whether whole digits were followed by a blank. (A
/// template, so that each caller has its own copy inlined.)
template <bool kCheck>
bool ConvertPlainField(std::string_view field, double& value, bool& blankAfterDigits) {
    const char* p = field.data();
    const char* const end = p + field.size();
    while (p != end && *p == ' ') ++p;
    const bool negative = p != end && *p == '-';
    if (negative) ++p;
    std::uint64_t mantissa = 0;
    int digits = 0;
    int decimals = 0;
    for (; p != end && IsDigit(*p); ++p, ++digits) {
        mantissa = mantissa * 10 + static_cast<unsigned>(*p - '0');
    }
    bool point = false;
    if (p != end && *p == '.') {
        point = true;
        for (++p; p != end && IsDigit(*p); ++p, ++digits, ++decimals) {
            mantissa = mantissa * 10 + static_cast<unsigned>(*p - '0');
        }
    }
    if (digits == 0 || digits > 15 || (p != end && *p != ' ')) return false;
    if (kCheck) blankAfterDigits = p != end && !point;
    value = static_cast<double>(mantissa) / kExactPowersOfTen[decimals];
    if (negative) value = -value;
    return true;
}

/// GetFieldInt; `kCheck` also reports blanks after the digits.
template <bool kCheck>
int FieldInt(int column, int width, std::string_view line, bool& blankAfterDigits) {
    std::string_view text = GetFieldText(column, width, line);
    // The common field: blanks, an optional "-" and at most nine digits, then the end or a
    // blank. No overflow is possible and the loop below would give the same.
    {
        const char* p = text.data();
        const char* const end = p + text.size();
        while (p != end && *p == ' ') ++p;
        const bool negative = p != end && *p == '-';
        if (negative) ++p;
        const char* const digits = p;
        int value = 0;
        while (p != end && IsDigit(*p) && p - digits < 9) value = value * 10 + (*p++ - '0');
        if (p == end || *p == ' ') {
            // A blank straight after the digits; without digits the number may come later.
            if (kCheck && p != end && (p != digits || HasBlankAfterDigits(text))) {
                blankAfterDigits = true;
            }
            return negative ? -value : value;
        }
    }
    if (kCheck && HasBlankAfterDigits(text)) blankAfterDigits = true;
    const bool negative = SkipSpaceAndSign(text);
    long long value = 0;
    for (char c : text) {
        if (!IsDigit(c)) break;
        value = value * 10 + (c - '0');
        if (value > static_cast<long long>(INT_MAX) + 1) {
            value = static_cast<long long>(INT_MAX) + 1;
        }
    }
    if (negative) value = -value;
    if (value > INT_MAX) return INT_MAX;
    return static_cast<int>(value);
}

/// GetFieldReal; `kCheck` also reports blanks after the digits.
template <bool kCheck>
double FieldReal(int column, int width, std::string_view line, bool& blankAfterDigits) {
    std::string_view text = GetFieldText(column, width, line);
    double value = 0.0;
    bool plainBlank = false;
    if (ConvertPlainField<kCheck>(text, value, plainBlank)) {
        if (kCheck && plainBlank) blankAfterDigits = true;
        return value;
    }
    if (kCheck && HasBlankAfterDigits(text)) blankAfterDigits = true;
    const bool negative = SkipSpaceAndSign(text);
    // One sign only: from_chars would take a second "-" that C's conversion refuses.
    if (!text.empty() && (text[0] == '-' || text[0] == '+')) return 0.0;
    if (!ConvertPlainDecimal(text, value)) {
        const char* first = text.data();
        const char* last = text.data() + text.size();
        std::chars_format format = std::chars_format::general;
        if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
            const char c = text[2];
            if (IsDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F') || c == '.') {
                first += 2;
                format = std::chars_format::hex;
            }
        }
        const auto [end, ec] = std::from_chars(first, last, value, format);
        if (ec == std::errc::result_out_of_range) {
            // Beyond the range of a double: C gives an infinity for a large magnitude and a
            // zero (or a subnormal) for a tiny one.
            const std::string copy(text);
            value = std::strtod(copy.c_str(), nullptr);
            value = std::fabs(value);
        } else if (ec != std::errc()) {
            // No number: 0.0 without the sign. After "0x" without hex digits the "0" is the
            // number.
            value = 0.0;
            if (format != std::chars_format::hex) return 0.0;
        }
        (void)end;
    }
    return negative ? -value : value;
}

}  // namespace

void ReadDataLine(InputFile& in, std::string_view& line, std::string& scratch, int& lineCounter,
                  int& result) {
    result = 0;
    for (;;) {
        if (lineCounter < INT_MAX) ++lineCounter;
        if (!in.ReadPhysicalLine(line, scratch, kMaxLineLength)) {
            line = {};
            if (in.HasError()) result = kMsgReadError;
            return;
        }
        // Leading blanks were never kept; trailing ones go now.
        std::size_t end = line.size();
        while (end > 0 && IsBlank(line[end - 1])) --end;
        line = line.substr(0, end);
        if (!line.empty() && line[0] != '!') return;
        if (in.AtEnd()) {
            line = {};
            return;
        }
    }
}

void ReadDataLine(InputFile& in, std::string& line, int& lineCounter, int& result) {
    std::string scratch;
    std::string_view view;
    ReadDataLine(in, view, scratch, lineCounter, result);
    line.assign(view);
}

int GetFieldInt(int column, int width, std::string_view line) {
    bool unused = false;
    return FieldInt<false>(column, width, line, unused);
}

int GetFieldInt(int column, int width, std::string_view line, bool& blankAfterDigits) {
    return FieldInt<true>(column, width, line, blankAfterDigits);
}

double GetFieldReal(int column, int width, std::string_view line) {
    bool unused = false;
    return FieldReal<false>(column, width, line, unused);
}

double GetFieldReal(int column, int width, std::string_view line, bool& blankAfterDigits) {
    return FieldReal<true>(column, width, line, blankAfterDigits);
}

bool HasBlankAfterDigits(std::string_view field) {
    bool digits = false;
    for (const char c : field) {
        if (IsDigit(c)) {
            digits = true;
        } else if (c == '.') {
            return false;  // decimals: blanks after them change nothing
        } else if (c == ' ' && digits) {
            return true;
        }
    }
    return false;
}

std::string& TrimLeading(std::string& text) {
    std::size_t first = 0;
    while (first < text.size() && IsBlank(text[first])) ++first;
    text.erase(0, first);
    return text;
}

std::string& TrimTrailing(std::string& text) {
    std::size_t end = text.size();
    while (end > 0 && IsBlank(text[end - 1])) --end;
    text.resize(end);
    return text;
}

std::string& TrimBoth(std::string& text) { return TrimTrailing(TrimLeading(text)); }

std::string& TrimTrailingChar(std::string& text, char c) {
    std::size_t end = text.size();
    while (end > 0 && text[end - 1] == c) --end;
    text.resize(end);
    return text;
}
