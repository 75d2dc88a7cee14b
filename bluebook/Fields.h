// Record layouts as tables: every field of a record is named once, by its 1-based column and
// width as the Blue Book record tables print them, and for numbers the power of ten that places
// the implied decimal point. RecordFields cuts them from one record line.
#pragma once

#include <string_view>

#include "bluebook/Receiver.h"
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

/// What reading a record found (only ever set, never cleared).
struct RecordNotes {
    bool digitsThenBlanks = false;    // literal reading: blanks after the digits ended a number
    NgsNumberNotes ngs;               // NGS reading: blanks read as zeros, not a number
    bool pointWritten = false;        // NGS reading: a decimal point overrode implied decimals
    bool readAsWritten = false;       // NGS reading: columns 1 to 6 were blank
    bool nameFromStationId = false;   // NGS reading: a station named by its "*25*" ID
    bool vectorsCounted = false;      // NGS reading: a blank vector count, the vectors counted
    bool notFinite = false;           // a value not finite: not written (NGS reading)
    bool notFiniteWritten = false;    // a value not finite, written (literal reading)

    bool Any() const {
        return digitsThenBlanks || ngs.blanksAsZeros || ngs.notANumber || ngs.exponent ||
               pointWritten || readAsWritten || nameFromStationId || vectorsCounted ||
               notFinite || notFiniteWritten;
    }
};

/// The fields of one record line, read the way `reading` says, and what their numbers looked
/// like.
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
        if (m_reading == Reading::kNgs) {
            // Whether this field's number holds a point: the flag is only ever set.
            const bool pointBefore = m_notes.ngs.decimalPoint;
            m_notes.ngs.decimalPoint = false;
            const double value = GetFieldRealNgs(f.column, f.width, m_line, m_notes.ngs);
            const bool point = m_notes.ngs.decimalPoint;
            m_notes.ngs.decimalPoint = pointBefore || point;
            if (!point || f.pointScale == f.scale) return value * f.scale;
            m_notes.pointWritten = true;
            return value * f.pointScale;
        }
        return GetFieldReal(f.column, f.width, m_line, m_notes.digitsThenBlanks) * f.scale;
    }
    /// An integer field, as C's atoi in either reading: blanks after the digits end it (noted
    /// in the literal reading only; a vector count "6 " is 6, and rightly so).
    int Int(Field f) {
        bool digitsThenBlanks = false;
        const int value = GetFieldInt(f.column, f.width, m_line, digitsThenBlanks);
        if (m_reading == Reading::kClassic && digitsThenBlanks) m_notes.digitsThenBlanks = true;
        return value;
    }

    /// What reading the record found so far; the reader adds what it finds itself.
    const RecordNotes& Notes() const { return m_notes; }
    RecordNotes& Notes() { return m_notes; }

private:
    std::string_view m_line;
    Reading m_reading;
    RecordNotes m_notes;
};

/// Checks that the values a record writes are finite. When one is not, the NGS reading does
/// not write the record (`at.notFinite`), and the literal reading writes it as it stands; the
/// notes tell which, for the warning.
inline void CheckFinite(bool allFinite, Reading reading, RecordRef& at, RecordNotes& notes) {
    if (allFinite) return;
    if (reading == Reading::kNgs) {
        at.notFinite = true;
        notes.notFinite = true;
    } else {
        notes.notFiniteWritten = true;
    }
}
inline void CheckFinite(RecordFields& f, RecordRef& at, std::initializer_list<double> values) {
    CheckFinite(AllFinite(values), f.GetReading(), at, f.Notes());
}

/// Hands on what reading a converted record found: in the literal reading a warning of digits
/// followed by blanks; in the NGS reading the notes of blanks read as zeros, of decimal points
/// written, of a line read as written and of names from station IDs, and the warnings of
/// characters that are not part of a number and of exponents.
inline void HandOnSomeRecordNotes(BlueBookReceiver& receiver, const RecordRef& at,
                                  const RecordNotes& notes);
inline void HandOnRecordNotes(BlueBookReceiver& receiver, const RecordRef& at,
                              const RecordNotes& notes) {
    if (notes.Any()) HandOnSomeRecordNotes(receiver, at, notes);  // most records have none
}
inline void HandOnSomeRecordNotes(BlueBookReceiver& receiver, const RecordRef& at,
                                  const RecordNotes& notes) {
    if (notes.digitsThenBlanks) receiver.Warning(at, RecordWarning::kDigitsThenBlanks, {});
    if (notes.ngs.blanksAsZeros) receiver.Note(at, RecordNote::kBlanksAsZeros);
    if (notes.ngs.notANumber) receiver.Warning(at, RecordWarning::kNotANumber, {});
    if (notes.ngs.exponent) receiver.Warning(at, RecordWarning::kExponent, {});
    if (notes.pointWritten) receiver.Note(at, RecordNote::kPointWritten);
    if (notes.readAsWritten) receiver.Note(at, RecordNote::kReadAsWritten);
    if (notes.nameFromStationId) receiver.Note(at, RecordNote::kNameFromStationId);
    if (notes.vectorsCounted) receiver.Note(at, RecordNote::kVectorsCounted);
    if (notes.notFinite) receiver.Warning(at, RecordWarning::kNotFinite, {});
    if (notes.notFiniteWritten) receiver.Warning(at, RecordWarning::kNotFiniteWritten, {});
}
