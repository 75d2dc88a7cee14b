// The catalogue texts of the message numbers (common/ResultCodes.h), and their formatting.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "common/ResultCodes.h"

/// Longest formatted message text, in characters (a byte that is not UTF-8 counts as one).
constexpr std::size_t kMaxMessageLength = 259;

/// The catalogue text of `number`, or an empty text when the catalogue has none.
std::string CatalogueText(int number);

/// Formats `format` printf-style: each "%s" or "%d" takes the next argument as it stands,
/// "%%" is a percent sign; a conversion without an argument left is dropped. The result is cut
/// after kMaxMessageLength characters, never inside one.
std::string FormatMessageText(std::string_view format, const std::vector<std::string>& args);

/// Why a file could not be opened, read, written or made, in the system's words ("Permission
/// denied"), for messages 1516, 1517, 1518 and 1525 when the system gave an error number; empty
/// for every other message.
std::string SystemReason(int number, int systemError);
