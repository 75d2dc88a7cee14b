// The line and field layer under every Blue Book reader: significant lines, and text, integer
// and real fields cut by 1-based column and width, as the record tables print them.
#pragma once

#include <climits>
#include <string>
#include <string_view>

#include "bluebook/InputFile.h"

/// Bytes kept of one physical line after its leading blanks; the rest of a longer line is read
/// and dropped. No Blue Book record uses a column beyond 80.
constexpr std::size_t kMaxLineLength = 1024;

/// A byte is blank when, taken as a signed 8-bit number, it is at most 32: the control
/// characters, the space and every byte from 128 to 255.
inline bool IsBlank(char c) { return static_cast<signed char>(c) <= 32; }

/// Reads the next significant line into `line`: trimmed at both ends, not empty, and not a
/// comment (first non-blank character "!"). Every physical line read is counted in
/// `lineCounter`, skipped or not, and so is the final read that finds the end of the input.
/// At the end of the input `line` is empty. A read error sets `result` to 1518 (otherwise 0);
/// `lineCounter` then holds the number of the read that failed.
void ReadDataLine(InputFile& in, std::string& line, int& lineCounter, int& result);
/// ReadDataLine without a copy where it can: `line` views the file's read buffer or `scratch`,
/// and stays valid until the next read.
void ReadDataLine(InputFile& in, std::string_view& line, std::string& scratch, int& lineCounter,
                  int& result);

/// What a ForEachDataLine handler returns to stop reading early, without a failure.
constexpr int kStopReading = -1;

/// Reads the significant lines of `in` from where it stands and calls `handle(line)` for each
/// (a std::string_view, valid during the call), counting lines in `lineCounter` as
/// ReadDataLine does. Returns 0 at the end of the input (or when `handle` returns
/// kStopReading), 1518 on a read error, or the first result above 0 that `handle` returns.
template <typename Handle>
int ForEachDataLine(InputFile& in, int& lineCounter, Handle handle) {
    return ForEachDataLine(in, lineCounter, handle, [](std::string_view) { return false; });
}

/// ForEachDataLine that passes over, unread but counted, the lines `skip(raw)` is true for:
/// `raw` is the line as it stands in the file (leading blanks and a CR included), and a line
/// `skip` passes over must be one whose first byte is neither blank nor "!" (a significant
/// line) that `handle` would ignore. A faster way through lines a pass does not need.
template <typename Handle, typename Skip>
int ForEachDataLine(InputFile& in, int& lineCounter, Handle handle, Skip skip) {
    std::string scratch;
    std::string_view line;
    for (;;) {
        for (std::string_view raw; in.PeekWholeLine(raw) && skip(raw);) {
            if (lineCounter < INT_MAX) ++lineCounter;
            in.SkipPeekedLine();
        }
        int result = 0;
        ReadDataLine(in, line, scratch, lineCounter, result);
        if (result > 0) return result;
        if (line.empty()) return 0;
        result = handle(line);
        if (result > 0) return result;
        if (result == kStopReading) return 0;
    }
}

/// Columns `column` to `column + width - 1` of `line` (1-based), as they stand: not trimmed,
/// shorter where the line ends early, empty when the column lies beyond the line.
inline std::string_view GetFieldText(int column, int width, std::string_view line) {
    if (column < 1 || width <= 0 || static_cast<std::size_t>(column) > line.size()) return {};
    return line.substr(static_cast<std::size_t>(column) - 1, static_cast<std::size_t>(width));
}

/// The field converted as C's atoi would (leading white space, an optional sign, digits; the
/// conversion stops at the first other character; no number gives 0). Values beyond the range
/// of int saturate at its limits. 0 when the column lies beyond the line.
int GetFieldInt(int column, int width, std::string_view line);

/// The field converted as C's atof would (signs, decimals, exponents, "inf" and "nan" text;
/// the conversion stops at the first character that cannot continue the number; no number
/// gives 0.0). 0.0 when the column lies beyond the line.
double GetFieldReal(int column, int width, std::string_view line);

/// True when digits in `field` are followed by a blank inside the field, before any decimal
/// point ("  4241 ", "1 2"): the conversion stops at the blank, so the value may be short by
/// powers of ten where the format's own tools read the blank as a zero.
bool HasBlankAfterDigits(std::string_view field);

/// GetFieldInt and GetFieldReal that also set `blankAfterDigits` when the field has blanks
/// after its digits (HasBlankAfterDigits); they leave it alone otherwise. The common fields
/// cost nothing more: the conversion finds the blank where it stops.
int GetFieldInt(int column, int width, std::string_view line, bool& blankAfterDigits);
double GetFieldReal(int column, int width, std::string_view line, bool& blankAfterDigits);

/// What reading a number the NGS way found in its field.
struct NgsNumberNotes {
    bool blanksAsZeros = false;  // a blank read as a zero changed the value
    bool notANumber = false;     // the field holds a character that is not part of a number
    bool decimalPoint = false;   // the number holds a decimal point
    bool exponent = false;       // the number holds an exponent

    void Add(const NgsNumberNotes& other) {
        blanksAsZeros |= other.blanksAsZeros;
        notANumber |= other.notANumber;
        decimalPoint |= other.decimalPoint;
        exponent |= other.exponent;
    }
};

/// The field read as NGS's own programs read Blue Book numbers (Fortran's BZ editing): leading
/// blanks are skipped; from the first sign, digit or decimal point on, every blank up to the
/// end of the field's `width` columns is a zero, columns beyond the end of the line included
/// (a trimmed line may have lost a field's trailing blanks); an all-blank field is 0.0. A
/// number is an optional sign, digits with at most one decimal point, and an optional exponent
/// (E or D, an optional sign, digits). At any other character the number read up to it is the
/// value and `notes.notANumber` is set; so is it when the result would not be finite (the
/// value is then 0.0). `notes` tell too whether the number held a decimal point (a point after
/// the number has ended does not count) and an exponent. Its flags are only ever set, never
/// cleared.
double GetFieldRealNgs(int column, int width, std::string_view line, NgsNumberNotes& notes);

/// In-place trimming of blanks (IsBlank); each returns its argument.
std::string& TrimLeading(std::string& text);
std::string& TrimTrailing(std::string& text);
std::string& TrimBoth(std::string& text);
/// Cuts off every occurrence of `c` at the end of `text`, and nothing else.
std::string& TrimTrailingChar(std::string& text, char c);
