#include "convert/BlueBookConverter.h"

#include "convert/Messages.h"
#include "convert/Platform.h"

BlueBookConverter::BlueBookConverter(Platform& platform)
    : m_datumName("NAD 83"),
      m_semiMajorAxis(6378137.0),
      m_inverseFlattening(298.2572221),
      m_platform(platform) {}

int BlueBookConverter::ReportMessage(int number, unsigned style,
                                     const std::vector<std::string>& args) {
    const std::string text = FormatMessageText(m_platform.LoadMessageText(number), args);
    return m_platform.ShowMessage(text, style, number);
}

bool BlueBookConverter::FileExists(const std::string& path) const {
    return !path.empty() && m_platform.NameExists(path);
}
