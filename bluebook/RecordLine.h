// The line layer under every Blue Book reader: significant lines, and text fields cut by
// 1-based column and width, as the record tables print them (numbers: Numbers.h).
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

/// In-place trimming of blanks (IsBlank); each returns its argument.
std::string& TrimLeading(std::string& text);
std::string& TrimTrailing(std::string& text);
std::string& TrimBoth(std::string& text);
/// Cuts off every occurrence of `c` at the end of `text`, and nothing else.
std::string& TrimTrailingChar(std::string& text, char c);
