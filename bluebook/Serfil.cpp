// The SERFIL file: station names (columns 1 to 4) for station serial numbers (columns 8 to 18).
#include <algorithm>

#include "bluebook/InputFile.h"
#include "bluebook/RecordLine.h"
#include "convert/BlueBookConverter.h"
#include "convert/Messages.h"

namespace {

/// The serial number of a SERFIL line: columns 8 to 18 as cut, ended at the first blank that
/// follows a non-blank character. Real files carry the station's full name after the number.
std::string_view SerialNumber(std::string_view line) {
    std::string_view field = GetFieldText(8, 11, line);
    std::size_t i = 0;
    while (i < field.size() && IsBlank(field[i])) ++i;
    while (i < field.size() && !IsBlank(field[i])) ++i;
    return field.substr(0, i);
}

}  // namespace

void BlueBookConverter::ReadSerfil(int& lineCounter, int& result) {
    m_serfilNumbers.clear();
    m_serfilNames.clear();
    lineCounter = 0;
    result = 0;
    InputFile serfil;
    if (!serfil.Open(m_serfilPath)) {
        result = kMsgCannotOpen;
        return;
    }
    std::string line;
    while (result == 0) {
        ReadDataLine(serfil, line, lineCounter, result);
        if (result > 0 || line.empty()) break;
        m_serfilNames.emplace_back(GetFieldText(1, 4, line));
        m_serfilNumbers.emplace_back(SerialNumber(line));
    }
}

std::string_view BlueBookConverter::GetFieldStation(int column, int width,
                                                    std::string_view line) const {
    const std::string_view field = GetFieldText(column, width, line);
    const std::size_t count = std::min(m_serfilNumbers.size(), m_serfilNames.size());
    for (std::size_t i = 0; i < count; ++i) {
        if (m_serfilNumbers[i] == field) {
            return std::string_view(m_serfilNames[i]).substr(0, static_cast<std::size_t>(width));
        }
    }
    return field;
}
