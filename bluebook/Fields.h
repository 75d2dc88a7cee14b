// Record layouts as tables: every field of a record is named once, by its 1-based column and
// width as the Blue Book record tables print them, and for numbers the power of ten that places
// the implied decimal point. RecordFields cuts them from one record line.
#pragma once

#include <string_view>

#include "bluebook/RecordLine.h"

/// A text or integer field.
struct Field {
    int column;
    int width;
};

/// A real field with implied decimals: the number as written times `scale`.
struct ScaledField {
    int column;
    int width;
    double scale;
};

/// The fields of one record line, and what their numbers looked like.
class RecordFields {
public:
    explicit RecordFields(std::string_view line) : m_line(line) {}

    std::string_view Line() const { return m_line; }
    std::string_view Text(Field f) const { return GetFieldText(f.column, f.width, m_line); }
    /// The character in `column`, a blank where the line ends before it.
    char Letter(int column) const {
        const std::string_view text = GetFieldText(column, 1, m_line);
        return text.empty() ? ' ' : text[0];
    }
    /// Letter, upper case (ASCII only: no locale is consulted).
    char UpperLetter(int column) const {
        const char c = Letter(column);
        return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
    }
    /// True when the field holds nothing but blanks (or lies beyond the line).
    bool IsBlank(Field f) const {
        for (const char c : Text(f)) {
            if (!::IsBlank(c)) return false;
        }
        return true;
    }
    bool IsBlank(ScaledField f) const { return IsBlank(Field{f.column, f.width}); }

    double Real(ScaledField f) {
        return GetFieldReal(f.column, f.width, m_line, m_digitsThenBlanks) * f.scale;
    }
    int Int(Field f) { return GetFieldInt(f.column, f.width, m_line, m_digitsThenBlanks); }

    /// True once a number cut from the line had blanks after its digits inside its field.
    bool DigitsThenBlanks() const { return m_digitsThenBlanks; }

private:
    std::string_view m_line;
    bool m_digitsThenBlanks = false;
};
