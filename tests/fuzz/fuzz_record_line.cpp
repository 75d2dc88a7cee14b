// Fuzz target for the line and field layer: any bytes as an input file, read line by line, every
// line cut into text, integer, real and station fields at many columns and widths.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

#include "bluebook/InputFile.h"
#include "bluebook/Numbers.h"
#include "bluebook/RecordLine.h"
#include "convert/BlueBookConverter.h"
#include "convert/Platform.h"

namespace {

class NullPlatform : public Platform {
public:
    bool FetchFields(BlueBookConverter&) override { return false; }
    std::string LoadMessageText(int) override { return {}; }
    int ShowMessage(const std::string&, unsigned, int) override { return 0; }
    bool NameExists(const std::string&) override { return false; }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::FILE* stream = std::tmpfile();
    if (stream == nullptr) return 0;
    if (size > 0) std::fwrite(data, 1, size, stream);
    std::rewind(stream);

    InputFile in;
    in.Adopt(stream);
    NullPlatform platform;
    BlueBookConverter converter(platform);
    std::string line;
    int lineCounter = 0;
    int result = 0;
    for (int lines = 0; lines < 10000; ++lines) {
        ReadDataLine(in, line, lineCounter, result);
        if (result != 0 || line.empty()) break;
        if (line.size() > kMaxLineLength) __builtin_trap();  // lines stay bounded
        // The first lines serve as SERFIL entries for the station cuts of the later ones.
        if (lines < 8) {
            converter.m_serfilNames.emplace_back(GetFieldText(1, 4, line));
            converter.m_serfilNumbers.emplace_back(GetFieldText(8, 11, line));
        }
        if (lines >= 64) continue;  // the rest is only read: keeps each run short
        for (int column = -1; column <= 95; column += 3) {
            for (int width : {0, 1, 2, 4, 9, 13, 15, 99}) {
                const std::string_view text = GetFieldText(column, width, line);
                if (text.size() > static_cast<std::size_t>(width < 0 ? 0 : width)) __builtin_trap();
                NumberNotes notes;
                (void)GetFieldInt(column, width, line, notes);
                (void)GetFieldReal(column, width, line, notes);
                (void)GetFieldRealNgs(column, width, line, notes);
                const std::string_view station = converter.GetFieldStation(column, width, line);
                if (station.size() > static_cast<std::size_t>(width < 0 ? 0 : width)) __builtin_trap();
            }
        }
        std::string copy = line;
        TrimBoth(copy);
        TrimTrailingChar(copy, '\\');
    }
    in.Rewind();
    ReadDataLine(in, line, lineCounter, result);
    return 0;
}
