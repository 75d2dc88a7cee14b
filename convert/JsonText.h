// JSON text shared by the outputs that write JSON.
#pragma once

#include <string>
#include <string_view>

/// Appends `text` as a JSON string: quotes, a backslash before '"' and '\', "\u00XX" for the
/// control characters and DEL; a UTF-8 lead byte with its continuation bytes passes as it is,
/// and every other byte is taken as Latin-1 and written as the UTF-8 of that character.
void AppendJsonString(std::string& out, std::string_view text);


/// Appends `value` as a JSON number with exactly `decimals` decimals (AppendFixed), or `null`
/// for an infinity or NaN, which JSON cannot write.
void AppendJsonNumber(std::string& out, double value, int decimals);
