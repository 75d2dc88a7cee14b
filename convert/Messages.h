// Message numbers of the catalogue, and the catalogue texts.
#pragma once

#include <string>
#include <string_view>
#include <vector>

constexpr int kMsgOutOfMemory = 1501;        // "Unable to allocate the required memory"
constexpr int kMsgEnterOutputName = 1513;    // "Please enter a 'TELLURAX' File name"
constexpr int kMsgFileDoesNotExist = 1514;   // "File does not exist %s"
constexpr int kMsgCannotOpen = 1516;         // "Cannot open file %s"
constexpr int kMsgWriteError = 1517;         // "File write error %s"
constexpr int kMsgReadError = 1518;          // "File read error on line %d - %s"
constexpr int kMsgOutputIsInput = 1519;      // "Output file %s is also an input file"
constexpr int kMsgSuccess = 1601;            // "Success - the results are in %s"

/// Longest formatted message text, in characters (a byte that is not UTF-8 counts as one).
constexpr std::size_t kMaxMessageLength = 259;

/// The catalogue text of `number`, or an empty text when the catalogue has none.
std::string CatalogueText(int number);

/// Formats `format` printf-style: each "%s" or "%d" takes the next argument as it stands,
/// "%%" is a percent sign; a conversion without an argument left is dropped. The result is cut
/// after kMaxMessageLength characters, never inside one.
std::string FormatMessageText(std::string_view format, const std::vector<std::string>& args);
