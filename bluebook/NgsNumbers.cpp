// Blue Book numbers as NGS's programs read them: right-justified in fixed columns, with blanks
// after the number's first character read as zeros (Fortran's BZ editing), so a low digit left
// blank ("  4241 " for 42410 mm) keeps its place value.
#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <system_error>

#include "bluebook/RecordLine.h"

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

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

/// Builds the number of a field for the exact conversion, twice: with its blanks read as
/// zeros, and without them; an exponent letter becomes "e". Stops at the first character the
/// grammar does not allow.
class NumberText {
public:
    /// Takes one column of the field (a blank where the line has ended). False when the
    /// character is not part of a number: the text then ends before it.
    bool Take(char c) {
        const bool blank = IsBlank(c);
        if (blank) c = '0';
        if (IsDigit(c)) {
            if (m_part == kExponentSign) m_part = kExponentDigits;
            m_digits = true;
            return Append(c, blank);
        }
        if (c == '+' || c == '-') {
            if (m_length == 0 || m_part == kExponentSign) return Append(c, false);
            return false;
        }
        if (c == '.' && m_part == kMantissa && !m_point) {
            m_point = true;
            return Append(c, false);
        }
        if ((c == 'E' || c == 'e' || c == 'D' || c == 'd') && m_part == kMantissa && m_digits) {
            m_part = kExponentSign;
            m_exponentDigits = false;
            return Append('e', false);
        }
        return false;
    }

    /// True when the text ends in an exponent letter (and sign) without digits.
    bool ExponentUnfinished() const { return m_part == kExponentSign; }

    /// The value with the blanks read as zeros, and without them; false beyond range.
    bool Value(double& value) const { return Convert(m_text, m_length, value); }
    bool ValueWithoutBlanks(double& value) const {
        return Convert(m_squeezed, m_squeezedLength, value);
    }

private:
    enum Part { kMantissa, kExponentSign, kExponentDigits };

    bool Append(char c, bool blank) {
        if (m_length >= static_cast<int>(sizeof m_text)) return false;
        m_text[m_length++] = c;
        if (!blank) m_squeezed[m_squeezedLength++] = c;
        return true;
    }

    char m_text[128] = {};
    char m_squeezed[128] = {};
    int m_length = 0;
    int m_squeezedLength = 0;
    Part m_part = kMantissa;
    bool m_point = false;
    bool m_digits = false;
    bool m_exponentDigits = false;
};

}  // namespace

double GetFieldRealNgs(int column, int width, std::string_view line, NgsNumberNotes& notes) {
    const std::string_view text = GetFieldText(column, width, line);
    std::size_t i = 0;
    while (i < text.size() && IsBlank(text[i])) ++i;
    if (i == text.size()) return 0.0;  // blank, or beyond the line
    // Columns of the field beyond the end of the line count as blanks.
    const std::size_t columns =
        width > 0 ? std::max(text.size(), static_cast<std::size_t>(width)) : text.size();
    NumberText number;
    for (std::size_t k = i; k < columns; ++k) {
        if (!number.Take(k < text.size() ? text[k] : ' ')) {
            notes.notANumber = true;
            break;
        }
    }
    if (number.ExponentUnfinished()) notes.notANumber = true;
    double value = 0.0;
    double withoutBlanks = 0.0;
    if (!number.Value(value)) {
        notes.notANumber = true;
        return 0.0;
    }
    if (!number.ValueWithoutBlanks(withoutBlanks) || value != withoutBlanks) {
        notes.blanksAsZeros = true;
    }
    return value;
}
