#include "bluebook/RecordLine.h"

#include <climits>

#include "common/ResultCodes.h"

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
