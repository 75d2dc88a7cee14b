// What kind of Blue Book file a file's first significant lines show, in columns as written.
// The NGS samples, in every field, are the console program's table; these are the line rules
// the samples do not show.
#include <gtest/gtest.h>

#include "bluebook/FileKind.h"
#include "bluebook/RecordLine.h"
#include "common/ResultCodes.h"
#include "support/TestSupport.h"

namespace {

TEST(FileKind, LinesCountByTheirColumnsAsWritten) {
    const struct {
        const char* text;
        int b, g, serfil;
        const char* firstType;
        const char* heading;
    } cases[] = {
        {"000010*AA*HZTLOBS NGS\n", 1, 0, 0, "*AA*", "HZTLOBS"},
        {"      *93*\n", 1, 0, 0, "*93*", ""},              // sequence columns blank
        {"         *ZZ*  \n", 1, 0, 0, "*ZZ*", ""},         // further in, columns 1 to 6 blank
        {"   010*12*x\n", 1, 0, 0, "*12*", "x"},            // indented: still columns 7 to 10
        {"  *80*\n", 0, 0, 0, "", ""},                      // columns 1 to 6 not blank
        {"000010*A-*\n", 0, 0, 0, "", ""},                  // letters or digits only
        {"ABYS   0006 ABYSS\n", 0, 0, 1, "", ""},           // SERFIL before G-file
        {"ABYSx  0006\n", 0, 1, 0, "", ""},                 // column 5 holds a letter
        {"C00010002 12\nI\nJ12\n", 0, 2, 0, "", ""},        // letters A to I only
        {"  First group\nc0001\n", 0, 0, 0, "", ""},       // column 1 blank, lower case
        {"\n! *AA* in a comment\n   \n", 0, 0, 0, "", ""},  // not significant
    };
    TempDir dir;
    for (const auto& c : cases) {
        WriteFile(dir / "f", c.text);
        InputFile in;
        ASSERT_TRUE(in.Open(dir / "f"));
        FileKindCount count;
        EXPECT_EQ(CountFileKinds(in, count), 0) << c.text;
        EXPECT_EQ(count.bRecords, c.b) << c.text;
        EXPECT_EQ(count.gRecords, c.g) << c.text;
        EXPECT_EQ(count.serfilLines, c.serfil) << c.text;
        EXPECT_EQ(count.firstBType, c.firstType) << c.text;
        EXPECT_EQ(count.firstBHeading, c.heading) << c.text;
        std::string first;
        int lineCounter = 0;
        int result = 0;
        ReadDataLine(in, first, lineCounter, result);  // back at the start
        EXPECT_EQ(lineCounter, c.text[0] == '\n' ? 4 : 1) << c.text;
    }
}

TEST(FileKind, OnlyTheFirstHundredSignificantLinesCount) {
    std::string text = "!\n\n";
    for (int i = 0; i < 100; ++i) text += "A\n";
    text += "000010*AA*\n";
    TempDir dir;
    WriteFile(dir / "f", text);
    InputFile in;
    ASSERT_TRUE(in.Open(dir / "f"));
    FileKindCount count;
    ASSERT_EQ(CountFileKinds(in, count), 0);
    EXPECT_EQ(count.gRecords, 100);
    EXPECT_EQ(count.bRecords, 0);
}

TEST(FileKind, RefusalsByFieldAndFirstRecord) {
    const auto counted = [](int b, int g, int s, const char* type, const char* heading) {
        FileKindCount c;
        c.bRecords = b;
        c.gRecords = g;
        c.serfilLines = s;
        c.firstBType = type;
        c.firstBHeading = heading;
        return c;
    };
    const struct {
        FileKindCount count;
        BlueBookFile field;
        int result;
        const char* found;
    } cases[] = {
        {counted(0, 0, 0, "", ""), BlueBookFile::kBFile, 0, ""},  // nothing: converts
        {counted(0, 5, 2, "", ""), BlueBookFile::kBFile, kMsgWrongKind, "'G' File"},
        {counted(0, 2, 5, "", ""), BlueBookFile::kBFile, kMsgWrongKind, "'SERFIL' File"},
        {counted(3, 0, 0, "*AA*", "HZTLOBS"), BlueBookFile::kSerfil, kMsgWrongKind, "'B' File"},
        {counted(1, 9, 0, "*AA*", ""), BlueBookFile::kGFile, 0, ""},  // some of its own
        {counted(3, 0, 0, "*AA*", "HZTLOBS"), BlueBookFile::kBFile, 0, ""},
        {counted(3, 0, 0, "*AA*", "EXAMPLE"), BlueBookFile::kBFile, 0, ""},
        {counted(3, 0, 0, "*ZZ*", ""), BlueBookFile::kBFile, kMsgNotHorizontal, "*ZZ*"},
        {counted(3, 0, 0, "*ZZ*", "VERTOBS"), BlueBookFile::kBFile, kMsgNotHorizontal, "VERTOBS"},
        {counted(3, 0, 0, "*AA*", "GRAVOBS"), BlueBookFile::kBFile, kMsgNotHorizontal, "GRAVOBS"},
        {counted(3, 1, 0, "*ZZ*", "VERTOBS"), BlueBookFile::kGFile, 0, ""},
    };
    for (const auto& c : cases) {
        std::string found;
        EXPECT_EQ(CheckFileKind(c.count, c.field, found), c.result) << c.found;
        EXPECT_EQ(found, c.found);
    }
}

}  // namespace
