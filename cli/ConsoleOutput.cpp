#include "cli/ConsoleOutput.h"

#ifdef _WIN32
#include <windows.h>

#include <string>

#include "common/Utf.h"

namespace {

/// The console behind `stream`, or null when the stream goes elsewhere (a file, a pipe).
HANDLE ConsoleOf(std::FILE* stream) {
    HANDLE handle = GetStdHandle(stream == stderr ? STD_ERROR_HANDLE : STD_OUTPUT_HANDLE);
    DWORD mode = 0;
    if (handle == nullptr || handle == INVALID_HANDLE_VALUE || !GetConsoleMode(handle, &mode)) {
        return nullptr;
    }
    return handle;
}

/// Writes `text` to the console in pieces the console takes whole, never splitting a
/// surrogate pair.
void WriteConsoleText(HANDLE console, const std::u16string& text) {
    constexpr std::size_t kPiece = 8192;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t length = text.size() - start < kPiece ? text.size() - start : kPiece;
        const char16_t last = text[start + length - 1];
        if (length > 1 && start + length < text.size() && last >= 0xD800 && last <= 0xDBFF) {
            --length;  // the high surrogate goes with its low one
        }
        DWORD written = 0;
        if (!WriteConsoleW(console, reinterpret_cast<const wchar_t*>(text.data() + start),
                           static_cast<DWORD>(length), &written, nullptr) ||
            written == 0) {
            return;
        }
        start += written;
    }
}

}  // namespace

void WriteText(std::FILE* stream, std::string_view text) {
    if (HANDLE console = ConsoleOf(stream)) {
        std::fflush(stream);  // whatever the C runtime still holds goes first
        WriteConsoleText(console, Utf8ToUtf16(text));
        return;
    }
    std::fwrite(text.data(), 1, text.size(), stream);
}

#else

void WriteText(std::FILE* stream, std::string_view text) {
    std::fwrite(text.data(), 1, text.size(), stream);
}

#endif
