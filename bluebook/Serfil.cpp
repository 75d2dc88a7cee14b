#include "bluebook/Serfil.h"

#include "bluebook/Fields.h"
#include "bluebook/RecordLine.h"

namespace {

constexpr Field kName{1, 4};
constexpr Field kSerialNumber{8, 11};

/// The serial number of a SERFIL line: columns 8 to 18 as cut, ended at the first blank that
/// follows a non-blank character. Real files carry the station's full name after the number.
std::string_view SerialNumber(std::string_view line) {
    std::string_view field = GetFieldText(kSerialNumber.column, kSerialNumber.width, line);
    std::size_t i = 0;
    while (i < field.size() && IsBlank(field[i])) ++i;
    while (i < field.size() && !IsBlank(field[i])) ++i;
    return field.substr(0, i);
}

}  // namespace

int ReadSerfilFile(InputFile& in, std::vector<std::string>& numbers,
                   std::vector<std::string>& names, BlueBookReceiver& receiver,
                   int& lineCounter) {
    numbers.clear();
    names.clear();
    lineCounter = 0;
    receiver.BeginFile(BlueBookFile::kSerfil);
    long long lines = 0;
    const int result = ForEachDataLine(in, lineCounter, [&](std::string_view line) {
        names.emplace_back(GetFieldText(kName.column, kName.width, line));
        numbers.emplace_back(SerialNumber(line));
        ++lines;
        return receiver.Serfil(
            {{BlueBookFile::kSerfil, lineCounter, {}}, names.back(), numbers.back()});
    });
    receiver.EndFile(BlueBookFile::kSerfil, lines, result == 0);
    return result;
}
