// Numbers in Blue Book fields, in the two readings: literally, as C's atoi and atof read them
// (earlier releases), or as NGS's own programs read them (Fortran's BZ editing, with blanks
// after a number's first character read as zeros). Each reading has one function; the common
// field goes through an exact one-pass path inside it.
#include "bluebook/Numbers.h"

#include <algorithm>
#include <charconv>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <system_error>

#include "bluebook/RecordLine.h"
#include "common/Digits.h"

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
/// `blankAfterDigits` tells whether whole digits were followed by a blank.
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
    blankAfterDigits = p != end && !point;
    value = static_cast<double>(mantissa) / kExactPowersOfTen[decimals];
    if (negative) value = -value;
    return true;
}

/// GetFieldInt, reporting blanks after the digits.
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
            if (p != end && (p != digits || HasBlankAfterDigits(text))) {
                blankAfterDigits = true;
            }
            return negative ? -value : value;
        }
    }
    if (HasBlankAfterDigits(text)) blankAfterDigits = true;
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

/// GetFieldReal, reporting blanks after the digits.
double FieldReal(int column, int width, std::string_view line, bool& blankAfterDigits) {
    std::string_view text = GetFieldText(column, width, line);
    double value = 0.0;
    bool plainBlank = false;
    if (ConvertPlainField(text, value, plainBlank)) {
        if (plainBlank) blankAfterDigits = true;
        return value;
    }
    if (HasBlankAfterDigits(text)) blankAfterDigits = true;
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

// --- The literal reading ----------------------------------------------------------------------

int GetFieldInt(int column, int width, std::string_view line, NumberNotes& notes) {
    return FieldInt(column, width, line, notes.digitsThenBlanks);
}

double GetFieldReal(int column, int width, std::string_view line, NumberNotes& notes) {
    return FieldReal(column, width, line, notes.digitsThenBlanks);
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


// --- The NGS reading --------------------------------------------------------------------------

namespace {

/// Converts "[sign]digits[.digits][e[sign]digits]" exactly; an exponent that no digit follows
/// is dropped. False when the value is beyond the range of a double (a too small one is 0).
bool Convert(const char* text, int length, double& value) {
    for (int e = 0; e < length; ++e) {
        if (text[e] != 'e') continue;
        int k = e + 1;
        if (k < length && (text[k] == '+' || text[k] == '-')) ++k;
        if (k >= length) length = e;
        break;
    }
    const bool negative = length > 0 && text[0] == '-';
    const int first = length > 0 && (text[0] == '+' || negative) ? 1 : 0;
    value = 0.0;
    if (first < length) {
        const char* begin = text + first;
        const auto [end, ec] = std::from_chars(begin, text + length, value);
        if (ec == std::errc::result_out_of_range) {
            const std::string copy(begin, text + length);
            value = std::strtod(copy.c_str(), nullptr);
            if (!std::isfinite(value)) return false;
        } else if (ec != std::errc() || end == begin) {
            value = 0.0;  // a decimal point alone
        }
    }
    if (negative && value != 0.0) value = -value;
    return true;
}

/// Builds a number for the exact conversion, one character at a time: a sign, digits with at
/// most one decimal point, an exponent letter (which becomes "e") after a digit, a sign, and
/// exponent digits. Stops at the first character that cannot continue it.
class NumberText {
public:
    /// False when `c` cannot continue the number: the text then ends before it.
    bool Take(char c) {
        if (IsDigit(c)) {
            if (m_part == Part::kExponentStart || m_part == Part::kExponentSign) {
                m_part = Part::kExponentDigits;
            }
            if (m_part == Part::kMantissa) m_digits = true;
            return Append(c);
        }
        if (c == '+' || c == '-') {
            if (m_length == 0) return Append(c);
            if (m_part != Part::kExponentStart) return false;
            m_part = Part::kExponentSign;
            return Append(c);
        }
        if (c == '.' && m_part == Part::kMantissa && !m_point) {
            m_point = true;
            return Append(c);
        }
        if ((c == 'E' || c == 'e' || c == 'D' || c == 'd') && m_part == Part::kMantissa &&
            m_digits) {
            m_part = Part::kExponentStart;
            return Append('e');
        }
        return false;
    }

    /// True when the text ends in an exponent letter (and sign) without digits.
    bool ExponentUnfinished() const {
        return m_part == Part::kExponentStart || m_part == Part::kExponentSign;
    }
    bool HasPoint() const { return m_point; }
    bool HasExponent() const { return m_part != Part::kMantissa; }

    /// The value; false when it is beyond the range of a double.
    bool Value(double& value) const { return Convert(m_text, m_length, value); }

private:
    enum class Part { kMantissa, kExponentStart, kExponentSign, kExponentDigits };

    bool Append(char c) {
        if (m_length >= static_cast<int>(sizeof m_text)) return false;
        m_text[m_length++] = c;
        return true;
    }

    char m_text[128] = {};
    int m_length = 0;
    Part m_part = Part::kMantissa;
    bool m_point = false;
    bool m_digits = false;
};

/// The common field, from its first non-blank character at `i`: a sign, then digits, blanks
/// and at most one decimal point up to the end of its `columns`, at most 15 digits (blanks read
/// as zeros included). Exactly what the general reading gives: integers below 2^53 divided by
/// an exact power of ten are correctly rounded. False for anything else.
bool ReadPlainNumber(std::string_view text, std::size_t i, std::size_t columns, double& value,
                     NumberNotes& notes) {
    const bool negative = text[i] == '-';
    if (negative || text[i] == '+') ++i;
    // The most common field of all: digits to the end of the line's part of the field, no
    // point, no blank inside, at most 15 digits (an integer below 2^53: exact as it stands).
    if (columns == text.size() && columns - i <= 15) {
        std::uint64_t digitsOnly = 0;
        std::size_t k = i;
        std::uint32_t eight = 0;
        if (columns - k >= 8 && ParseEightDigits(text.data() + k, eight)) {
            digitsOnly = eight;
            k += 8;
        }
        while (k < columns && IsDigit(text[k])) {
            digitsOnly = digitsOnly * 10 + static_cast<unsigned>(text[k] - '0');
            ++k;
        }
        if (k == columns) {
            value = static_cast<double>(digitsOnly);
            if (negative && value != 0.0) value = -value;
            return true;
        }
    }
    std::uint64_t withZeros = 0;  // blanks read as zeros
    std::uint64_t squeezed = 0;   // blanks left out
    int digits = 0;
    int decimals = 0;
    int squeezedDecimals = 0;
    bool point = false;
    for (; i < columns; ++i) {
        const char c = i < text.size() ? text[i] : ' ';
        if (IsDigit(c)) {
            withZeros = withZeros * 10 + static_cast<unsigned>(c - '0');
            squeezed = squeezed * 10 + static_cast<unsigned>(c - '0');
            squeezedDecimals += point;
        } else if (IsBlank(c)) {
            withZeros *= 10;
        } else if (c == '.' && !point) {
            point = true;
            continue;
        } else {
            return false;
        }
        decimals += point;
        if (++digits > 15) return false;
    }
    notes.decimalPoint |= point;
    value = static_cast<double>(withZeros) / kExactPowersOfTen[decimals];
    const double withoutBlanks =
        static_cast<double>(squeezed) / kExactPowersOfTen[squeezedDecimals];
    if (value != withoutBlanks) notes.blanksAsZeros = true;
    if (negative && value != 0.0) value = -value;
    return true;
}

}  // namespace

namespace {

/// The general reading of a field that is not a plain number, from its first non-blank
/// character at `i`. Out of line, so that the common field does not pay for its buffers.
[[gnu::noinline]] double ReadGeneralNumber(std::string_view text, std::size_t i,
                                           std::size_t columns, NumberNotes& notes);

}  // namespace

double GetFieldRealNgs(int column, int width, std::string_view line, NumberNotes& notes) {
    const std::string_view text = GetFieldText(column, width, line);
    std::size_t i = 0;
    while (i < text.size() && IsBlank(text[i])) ++i;
    if (i == text.size()) return 0.0;  // blank, or beyond the line
    // Columns of the field beyond the end of the line count as blanks.
    const std::size_t columns =
        width > 0 ? std::max(text.size(), static_cast<std::size_t>(width)) : text.size();
    double plain = 0.0;
    if (ReadPlainNumber(text, i, columns, plain, notes)) return plain;
    return ReadGeneralNumber(text, i, columns, notes);
}

namespace {

double ReadGeneralNumber(std::string_view text, std::size_t i, std::size_t columns,
                         NumberNotes& notes) {
    // The number with its blanks read as zeros, and, to tell whether that made a difference,
    // the number the text would give without its blanks.
    NumberText withZeros;
    NumberText withoutBlanks;
    bool stopped = false;
    bool squeezedStopped = false;
    for (std::size_t k = i; k < columns && !(stopped && squeezedStopped); ++k) {
        const char c = k < text.size() ? text[k] : ' ';
        const bool blank = IsBlank(c);
        if (!stopped) stopped = !withZeros.Take(blank ? '0' : c);
        if (!blank && !squeezedStopped) squeezedStopped = !withoutBlanks.Take(c);
    }
    if (stopped || withZeros.ExponentUnfinished()) notes.notANumber = true;
    notes.decimalPoint |= withZeros.HasPoint();
    notes.exponent |= withZeros.HasExponent();
    double value = 0.0;
    double squeezed = 0.0;
    if (!withZeros.Value(value)) {
        notes.notANumber = true;
        return 0.0;
    }
    if (!withoutBlanks.Value(squeezed) || value != squeezed) notes.blanksAsZeros = true;
    return value;
}

}  // namespace
