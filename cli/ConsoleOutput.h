// Text from the console program to the user. Texts are UTF-8 inside the program; a Windows
// console takes UTF-16, anything else (a file, a pipe, a Linux terminal) the UTF-8 bytes.
#pragma once

#include <cstdio>
#include <string_view>

/// Writes `text` (UTF-8) to `stream`, which is stdout or stderr. On Windows, when that stream is
/// a console, the text goes to it through WriteConsoleW, so that every letter shows whatever the
/// console's code page; otherwise the bytes are written as they are (on Windows in text mode, so
/// "\n" becomes CR LF as before).
void WriteText(std::FILE* stream, std::string_view text);
