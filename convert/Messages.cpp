#include "convert/Messages.h"

std::string CatalogueText(int number) {
    switch (number) {
#define BB_MESSAGE(n, text) \
    case n:                 \
        return text;
#include "convert/MessageCatalogue.inc"
#undef BB_MESSAGE
    default:
        return {};
    }
}

std::string FormatMessageText(std::string_view format, const std::vector<std::string>& args) {
    std::string text;
    std::size_t next = 0;
    for (std::size_t i = 0; i < format.size(); ++i) {
        const char c = format[i];
        if (c != '%' || i + 1 == format.size()) {
            text += c;
            continue;
        }
        const char conversion = format[++i];
        if (conversion == '%') {
            text += '%';
        } else if ((conversion == 's' || conversion == 'd') && next < args.size()) {
            text += args[next++];
        }
    }
    if (text.size() > kMaxMessageLength) {
        std::size_t cut = kMaxMessageLength;
        // Step back over UTF-8 continuation bytes so that no character is split.
        while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80) --cut;
        text.resize(cut);
    }
    return text;
}
