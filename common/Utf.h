// Text is UTF-8 inside the program on every platform; Windows speaks UTF-16. These conversions
// sit at that edge. They are lossless for every name Windows can hold: a lone surrogate (which
// NTFS allows in names) travels through UTF-8 in the generalised form that encodes surrogates
// as three bytes, and comes back as the same code unit.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

/// UTF-16 of `text`. A byte that does not begin a well-formed sequence becomes U+FFFD, one per
/// byte; a three-byte encoded surrogate becomes that surrogate code unit. `valid`, when given,
/// is set to false when any replacement was made (a lone surrogate is kept, and counts as valid).
std::u16string Utf8ToUtf16(std::string_view text, bool* valid = nullptr);

/// UTF-8 of `text`. A surrogate pair becomes one four-byte sequence; a lone surrogate is kept as
/// its three-byte encoding, so Utf8ToUtf16 gives it back.
std::string Utf16ToUtf8(std::u16string_view text);

/// The code point of the well-formed UTF-8 sequence at `text[i]` and its length, or length 0
/// when the byte there begins none. Surrogates encoded in three bytes are accepted (they never
/// pair up into a supplementary character: a pair must come as one four-byte sequence).
std::size_t DecodeUtf8(std::string_view text, std::size_t i, char32_t& code);

/// Appends the UTF-8 of `code` (a surrogate as its three bytes).
void AppendUtf8(std::string& out, char32_t code);

/// The length in bytes of the character that starts at `text[i]`: 1 to 4 for a well-formed
/// UTF-8 sequence (encoded surrogates included), 1 for any other byte, which then counts as one
/// character of its own (names on Linux need not be UTF-8).
std::size_t Utf8CharLength(std::string_view text, std::size_t i);

/// `text` cut after its first `maxCharacters` characters (as Utf8CharLength counts them), never
/// inside one.
std::string_view Utf8Prefix(std::string_view text, std::size_t maxCharacters);
