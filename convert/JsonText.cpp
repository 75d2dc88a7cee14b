#include "convert/JsonText.h"

#include <cmath>

#include "output/NumberFormat.h"

void AppendJsonString(std::string& out, std::string_view text) {
    static const char kHex[] = "0123456789abcdef";
    out += '"';
    for (std::size_t i = 0; i < text.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c < 0x20 || c == 0x7f) {
            out += "\\u00";
            out += kHex[c >> 4];
            out += kHex[c & 15];
        } else if (c < 0x80) {
            out += static_cast<char>(c);
        } else {
            // A well-formed UTF-8 sequence passes as it is.
            std::size_t length = c >= 0xf0 && c <= 0xf4 ? 4 : c >= 0xe0 ? 3 : c >= 0xc2 ? 2 : 0;
            if (length > 0 && i + length <= text.size()) {
                for (std::size_t k = 1; k < length; ++k) {
                    if ((static_cast<unsigned char>(text[i + k]) & 0xc0) != 0x80) length = 0;
                }
            } else {
                length = 0;
            }
            if (length > 0) {
                out.append(text.data() + i, length);
                i += length - 1;
            } else {
                out += static_cast<char>(0xc0 | (c >> 6));
                out += static_cast<char>(0x80 | (c & 0x3f));
            }
        }
    }
    out += '"';
}

void AppendJsonNumber(std::string& out, double value, int decimals) {
    if (std::isfinite(value)) {
        AppendFixed(out, value, decimals);
    } else {
        out += "null";
    }
}
