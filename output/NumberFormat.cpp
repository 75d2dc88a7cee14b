#include "output/NumberFormat.h"

#include <charconv>
#include <cmath>

void AppendFixed(std::string& out, double value, int decimals) {
    // 309 digits before the point at most, plus sign, point and decimals.
    char buffer[400];
    const auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value,
                                         std::chars_format::fixed, decimals);
    if (ec == std::errc()) {
        out.append(buffer, end);
    } else {
        out += std::isnan(value) ? "nan" : "inf";  // unreachable for finite values
    }
}

void AppendInt(std::string& out, int value) {
    char buffer[16];
    const auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value);
    (void)ec;
    out.append(buffer, end);
}
