// Numbers in Blue Book fields, cut by 1-based column and width as the record tables print them,
// in the two readings: literally (C's atoi and atof, as earlier releases read them) or as NGS's
// own programs read them. Integer fields are read literally in both. A field beyond the end of
// its line reads as 0.
#pragma once

#include <string_view>

/// What reading a number found besides its value. Flags are only ever set, never cleared.
struct NumberNotes {
    bool digitsThenBlanks = false;  // literal: digits followed by a blank inside the field
    bool blanksAsZeros = false;     // NGS: a blank read as a zero changed the value
    bool notANumber = false;        // NGS: a character that is not part of a number
    bool decimalPoint = false;      // NGS: the number holds a decimal point
    bool exponent = false;          // NGS: the number holds an exponent

    bool Any() const {
        return digitsThenBlanks || blanksAsZeros || notANumber || decimalPoint || exponent;
    }
};

/// The field converted as C's atoi would (leading white space, an optional sign, digits; the
/// conversion stops at the first other character; no number gives 0). Values beyond the range
/// of int saturate at its limits. Notes digits followed by a blank in the field ("6 " is 6).
int GetFieldInt(int column, int width, std::string_view line, NumberNotes& notes);

/// The field converted as C's atof would (signs, decimals, exponents, "inf" and "nan" text;
/// the conversion stops at the first character that cannot continue the number; no number
/// gives 0.0). Notes digits followed by a blank in the field (HasBlankAfterDigits): the value
/// may then be short by powers of ten where NGS's programs read the blank as a zero.
double GetFieldReal(int column, int width, std::string_view line, NumberNotes& notes);

/// The field read as NGS's own programs read Blue Book numbers (Fortran's BZ editing): leading
/// blanks are skipped; from the first sign, digit or decimal point on, every blank up to the
/// end of the field's `width` columns is a zero, columns beyond the end of the line included
/// (a trimmed line may have lost a field's trailing blanks); an all-blank field is 0.0. A
/// number is an optional sign, digits with at most one decimal point, and an optional exponent
/// (E or D, an optional sign, digits). At any other character the number read up to it is the
/// value and `notANumber` is noted; so is it when the result would not be finite (the value
/// is then 0.0). Notes too whether the number held a decimal point (a point after the number
/// has ended does not count) and an exponent.
double GetFieldRealNgs(int column, int width, std::string_view line, NumberNotes& notes);

/// True when digits in `field` are followed by a blank inside the field, before any decimal
/// point ("  4241 ", "1 2").
bool HasBlankAfterDigits(std::string_view field);
