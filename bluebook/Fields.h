// Record layouts as tables: every field of a record is named once, by its 1-based column and
// width as the Blue Book record tables print them, and for numbers the power of ten that places
// the implied decimal point. RecordFields cuts them from one record line and gathers what
// reading them found.
#pragma once

#include <initializer_list>
#include <string_view>

#include "bluebook/Numbers.h"
#include "bluebook/Records.h"
#include "bluebook/RecordLine.h"

/// A text or integer field.
struct Field {
    int column;
    int width;
};

/// A packed angle field (latitude, longitude, direction, angle, azimuth: degrees, minutes and
/// seconds in one number) read with a decimal point written in it: the point stands in the
/// seconds, so "391234.5678" is 39 12 34.5678, the packed 39.12345678.
constexpr double kPackedAngle = 1e-4;

/// A real field with implied decimals: the number as written times `scale`. In the NGS reading
/// a number written with a decimal point overrides the implied decimals, as Fortran's Fw.d
/// reads it: its value is then the number times `pointScale` (1, or kPackedAngle).
struct ScaledField {
    int column;
    int width;
    double scale;
    double pointScale = 1.0;
};

/// The fields of one record line, read the way `reading` says, and what reading them found.
class RecordFields {
public:
    RecordFields(std::string_view line, Reading reading) : m_line(line), m_reading(reading) {}

    Reading GetReading() const { return m_reading; }
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

    /// A real field: as NGS reads numbers (GetFieldRealNgs), or as C's atof (GetFieldReal).
    double Real(ScaledField f) {
        NumberNotes notes;
        const double value = m_reading == Reading::kNgs
                                 ? GetFieldRealNgs(f.column, f.width, m_line, notes)
                                 : GetFieldReal(f.column, f.width, m_line, notes);
        if (!notes.Any()) return value * f.scale;  // the common field
        const bool pointWritten = notes.decimalPoint && f.pointScale != f.scale;
        Note(notes, pointWritten);
        return value * (pointWritten ? f.pointScale : f.scale);
    }
    /// An integer field, as C's atoi in either reading: blanks after the digits end it (noted
    /// in the literal reading only; a vector count "6 " is 6, and rightly so).
    int Int(Field f) {
        NumberNotes notes;
        const int value = GetFieldInt(f.column, f.width, m_line, notes);
        if (m_reading == Reading::kClassic && notes.digitsThenBlanks) {
            m_found.Add(Finding::kDigitsThenBlanks);
        }
        return value;
    }

    /// Checks that the values the record writes are finite. When one is not, the NGS reading
    /// does not write the record (Finding::kNotFinite); the literal reading writes it as it
    /// stands (Finding::kNotFiniteWritten).
    void CheckFinite(std::initializer_list<double> values) {
        if (AllFinite(values)) return;
        m_found.Add(m_reading == Reading::kNgs ? Finding::kNotFinite
                                               : Finding::kNotFiniteWritten);
    }

    /// What reading the record found so far; the reader adds what it finds itself.
    Findings& Found() { return m_found; }
    const Findings& Found() const { return m_found; }

private:
    void Note(const NumberNotes& notes, bool pointWritten) {
        if (notes.digitsThenBlanks) m_found.Add(Finding::kDigitsThenBlanks);
        if (notes.blanksAsZeros) m_found.Add(Finding::kBlanksAsZeros);
        if (notes.notANumber) m_found.Add(Finding::kNotANumber);
        if (notes.exponent) m_found.Add(Finding::kExponent);
        if (pointWritten) m_found.Add(Finding::kPointWritten);
    }

    std::string_view m_line;
    Reading m_reading;
    Findings m_found;
};
