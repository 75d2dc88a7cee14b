#include "convert/Messages.h"

#include "common/FileSystem.h"
#include "common/Utf.h"

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
    text.resize(Utf8Prefix(text, kMaxMessageLength).size());
    return text;
}

std::string SystemReason(int number, int systemError) {
    const bool fileError = number == kMsgCannotOpen || number == kMsgWriteError ||
                           number == kMsgReadError || number == kMsgCannotMakeTemporary;
    return fileError && systemError != 0 ? SystemErrorText(systemError) : std::string();
}
