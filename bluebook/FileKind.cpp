#include "bluebook/FileKind.h"

#include <string_view>

#include "bluebook/RecordLine.h"
#include "common/ResultCodes.h"

namespace {

/// A significant line with its columns as written: `text` is the line without its `indent`
/// leading blanks.
struct WrittenLine {
    std::string_view text;
    std::size_t indent;

    /// The character in column `column` (1-based) as written; a blank where there is none.
    char At(std::size_t column) const {
        if (column <= indent || column - indent > text.size()) return ' ';
        return text[column - indent - 1];
    }
    /// True when columns `first` to `last` are all blank.
    bool Blank(std::size_t first, std::size_t last) const {
        for (std::size_t c = first; c <= last; ++c) {
            if (!IsBlank(At(c))) return false;
        }
        return true;
    }
};

bool IsLetterOrDigit(char c) {
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

bool IsMarker(std::string_view text) {
    return text.size() >= 4 && text[0] == '*' && IsLetterOrDigit(text[1]) &&
           IsLetterOrDigit(text[2]) && text[3] == '*';
}

/// Where a B-file record's marker stands in `line.text` (its columns 7 to 10 as the record is
/// laid out), or npos when the line is no B-file record.
std::size_t MarkerAt(const WrittenLine& line) {
    if (line.indent <= 6 && line.text.size() + line.indent >= 10) {
        const std::size_t at = 6 - line.indent;
        if (IsMarker(line.text.substr(at, 4))) return at;
    }
    if (line.indent >= 6 && IsMarker(line.text)) return 0;
    return std::string_view::npos;
}

std::string_view Trimmed(std::string_view text) {
    while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
    return text;
}

void CountLine(const WrittenLine& line, FileKindCount& count) {
    if (const std::size_t at = MarkerAt(line); at != std::string_view::npos) {
        if (count.bRecords++ == 0) {
            count.firstBType.assign(line.text.substr(at, 4));
            count.firstBHeading.assign(Trimmed(line.text.substr(at + 4, 7)));
        }
    } else if (line.Blank(5, 7) && !line.Blank(8, 11)) {
        ++count.serfilLines;
    } else if (line.At(1) >= 'A' && line.At(1) <= 'I') {
        ++count.gRecords;
    }
}

bool IsVerticalOrGravity(const FileKindCount& count) {
    return count.firstBType == "*ZZ*" || count.firstBHeading == "VERTOBS" ||
           count.firstBHeading == "GRAVOBS";
}

}  // namespace

int FileKindCount::Of(BlueBookFile kind) const {
    switch (kind) {
        case BlueBookFile::kBFile: return bRecords;
        case BlueBookFile::kGFile: return gRecords;
        case BlueBookFile::kSerfil: break;
    }
    return serfilLines;
}

int CountFileKinds(InputFile& in, FileKindCount& count) {
    count = FileKindCount();
    std::string scratch;
    std::string_view text;
    for (int significant = 0; significant < kKindLines;) {
        ++count.linesRead;
        if (!in.ReadPhysicalLine(text, scratch, kMaxLineLength)) break;
        while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
        if (text.empty() || text[0] == '!') continue;
        CountLine({text, in.LeadingBlanks()}, count);
        ++significant;
    }
    if (in.HasError() || !in.Rewind()) return kMsgReadError;
    return 0;
}

int CheckFileKind(const FileKindCount& count, BlueBookFile field, std::string& found) {
    if (count.Of(field) == 0) {
        BlueBookFile most = field;
        for (const BlueBookFile kind :
             {BlueBookFile::kBFile, BlueBookFile::kGFile, BlueBookFile::kSerfil}) {
            if (count.Of(kind) > count.Of(most)) most = kind;
        }
        if (most == field) return 0;  // no record of any kind
        found = FileKindName(most);
        return kMsgWrongKind;
    }
    if (field == BlueBookFile::kBFile && IsVerticalOrGravity(count)) {
        found = count.firstBHeading.empty() ? count.firstBType : count.firstBHeading;
        return kMsgNotHorizontal;
    }
    return 0;
}

const char* FileKindName(BlueBookFile kind) {
    switch (kind) {
        case BlueBookFile::kBFile: return "'B' File";
        case BlueBookFile::kGFile: return "'G' File";
        case BlueBookFile::kSerfil: break;
    }
    return "'SERFIL' File";
}
