#include <gtest/gtest.h>

#include "common/Utf.h"

namespace {

TEST(Utf, WellFormedTextRoundTrips) {
    const struct {
        const char* what;
        std::string utf8;
        std::u16string utf16;
    } cases[] = {
        {"ASCII", "Omega-notes.txt", u"Omega-notes.txt"},
        {"Latin-1 letter", "B\xC3\xBCro", u"B\u00FCro"},
        {"Greek", "\xCE\xA9mega", u"\u03A9mega"},
        {"Cyrillic", "\xD0\x9C\xD0\xBE", u"\u041C\u043E"},
        {"Japanese", "\xE6\x97\xA5\xE6\x9C\xAC", u"\u65E5\u672C"},
        {"emoji: a surrogate pair", "\xF0\x9F\x98\x80", u"\xD83D\xDE00"},
        {"highest code point", "\xF4\x8F\xBF\xBF", u"\xDBFF\xDFFF"},
        {"lone high surrogate", "\xED\xA0\x80", u"\xD800"},
        {"lone low surrogate", "a\xED\xBF\xBFz", u"a\xDFFFz"},
        {"empty", "", u""},
    };
    for (const auto& c : cases) {
        bool valid = false;
        EXPECT_EQ(Utf8ToUtf16(c.utf8, &valid), c.utf16) << c.what;
        EXPECT_TRUE(valid) << c.what;
        EXPECT_EQ(Utf16ToUtf8(c.utf16), c.utf8) << c.what;
    }
}

TEST(Utf, EachByteOfAMalformedSequenceBecomesOneReplacement) {
    const struct {
        const char* what;
        std::string utf8;
        std::u16string utf16;
    } cases[] = {
        {"Latin-1 byte", "B\xFCro", u"B\uFFFDro"},
        {"sequence cut short at the end", "a\xC3", u"a\uFFFD"},
        {"lead byte then ASCII", "\xE6\x97x", u"\uFFFD\uFFFDx"},
        {"overlong slash", "\xC0\xAF", u"\uFFFD\uFFFD"},
        {"overlong three-byte zero", "\xE0\x80\x80", u"\uFFFD\uFFFD\uFFFD"},
        {"beyond U+10FFFF", "\xF4\x90\x80\x80", u"\uFFFD\uFFFD\uFFFD\uFFFD"},
        {"stray continuation byte", "\x80z", u"\uFFFDz"},
    };
    for (const auto& c : cases) {
        bool valid = true;
        EXPECT_EQ(Utf8ToUtf16(c.utf8, &valid), c.utf16) << c.what;
        EXPECT_FALSE(valid) << c.what;
    }
}

TEST(Utf, CharacterCountingKeepsWholeCharacters) {
    const std::string text = "a\xC3\xA9\xF0\x9F\x98\x80\xFF" "b";  // a é 😀 <FF> b
    EXPECT_EQ(Utf8Prefix(text, 0), "");
    EXPECT_EQ(Utf8Prefix(text, 2), "a\xC3\xA9");
    EXPECT_EQ(Utf8Prefix(text, 3), "a\xC3\xA9\xF0\x9F\x98\x80");
    EXPECT_EQ(Utf8Prefix(text, 4), "a\xC3\xA9\xF0\x9F\x98\x80\xFF");
    EXPECT_EQ(Utf8Prefix(text, 99), text);
    EXPECT_EQ(Utf8Prefix("\xF0\x9F\x98", 1), "\xF0");  // a cut-short sequence: bytes one by one
}

}  // namespace
