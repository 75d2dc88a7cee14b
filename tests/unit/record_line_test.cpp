// The line and field layer: significant lines read from real files on disk, and the fixed-column
// cutters and trims.
#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "bluebook/InputFile.h"
#include "bluebook/RecordLine.h"
#include "support/TestSupport.h"

namespace {

/// One significant line and the line counter when it was delivered.
using Delivered = std::pair<std::string, int>;

struct ReadAllResult {
    std::vector<Delivered> lines;
    int finalCounter = 0;  // the counter after the call that found the end (or failed)
    int result = 0;
    bool atEnd = false;
};

/// Reads `bytes`, saved as a file, with the readers' protocol until the input is finished.
ReadAllResult ReadAll(const std::string& bytes) {
    TempDir dir;
    const std::string path = dir / "input";
    WriteFile(path, bytes);
    InputFile in;
    EXPECT_TRUE(in.Open(path));
    ReadAllResult all;
    int counter = 0;
    std::string line;
    for (;;) {
        ReadDataLine(in, line, counter, all.result);
        if (all.result > 0 || line.empty()) break;
        all.lines.emplace_back(line, counter);
    }
    all.finalCounter = counter;
    all.atEnd = in.AtEnd();
    return all;
}

// --- Significant lines -------------------------------------------------------------------------

TEST(RecordLine, CrLfAndLfFilesGiveTheSameLines) {
    const std::vector<Delivered> expected = {{"000010*13*NAD 83", 1}, {"000020*80*0001", 2}};
    for (const char* end : {"\n", "\r\n"}) {
        const std::string e = end;
        const ReadAllResult all = ReadAll("000010*13*NAD 83" + e + "000020*80*0001" + e);
        EXPECT_EQ(all.lines, expected) << (e.size() == 2 ? "CR LF" : "LF");
        EXPECT_EQ(all.finalCounter, 3);
        EXPECT_EQ(all.result, 0);
    }
}

TEST(RecordLine, CommentAndBlankLinesAreSkippedButCounted) {
    const ReadAllResult all =
        ReadAll("! heading\n\n   \n   ! indented comment\nREC 1\n\t\r\n!last\nREC 2\n");
    const std::vector<Delivered> expected = {{"REC 1", 5}, {"REC 2", 8}};
    EXPECT_EQ(all.lines, expected);
    EXPECT_EQ(all.finalCounter, 9);
    EXPECT_TRUE(all.atEnd);
}

TEST(RecordLine, FileOfSkippedLinesEndsInOneCallCountingEveryLinePlusOne) {
    const ReadAllResult all = ReadAll("!a\r\n\r\n   \r\n  !b\r\n");
    EXPECT_TRUE(all.lines.empty());
    EXPECT_EQ(all.finalCounter, 5);
    EXPECT_TRUE(all.atEnd);
    EXPECT_EQ(all.result, 0);

    const ReadAllResult empty = ReadAll("");
    EXPECT_TRUE(empty.lines.empty());
    EXPECT_EQ(empty.finalCounter, 1);
}

TEST(RecordLine, IndentedRecordShiftsItsColumnsToTheFirstNonBlank) {
    const ReadAllResult all = ReadAll("   000010*20*0001  \n");
    ASSERT_EQ(all.lines.size(), 1u);
    const std::string& line = all.lines[0].first;
    EXPECT_EQ(line, "000010*20*0001");
    EXPECT_EQ(GetFieldText(7, 4, line), "*20*");
    EXPECT_EQ(GetFieldText(11, 4, line), "0001");
}

TEST(RecordLine, LastLineWithoutTerminatorIsDelivered) {
    EXPECT_EQ(ReadAll("A 1\nB 2").lines, (std::vector<Delivered>{{"A 1", 1}, {"B 2", 2}}));
    EXPECT_EQ(ReadAll("A 1\r\nB 2  ").lines,
              (std::vector<Delivered>{{"A 1", 1}, {"B 2", 2}}));
    // A last comment without terminator is still a comment.
    const ReadAllResult comment = ReadAll("A 1\n! end");
    EXPECT_EQ(comment.lines, (std::vector<Delivered>{{"A 1", 1}}));
    EXPECT_EQ(comment.finalCounter, 2);
}

TEST(RecordLine, LongLineIsOneLineCountedOnce) {
    // 100 characters: the part after the 87th looks like a record of its own.
    const std::string hundred = "000010*20*" + std::string(77, 'x') + "000020*22*ABC";
    ASSERT_EQ(hundred.size(), 100u);
    EXPECT_EQ(ReadAll(hundred + "\nNEXT\n").lines,
              (std::vector<Delivered>{{hundred, 1}, {"NEXT", 2}}));

    const std::string eightySeven(87, 'y');
    EXPECT_EQ(ReadAll(eightySeven + "\nNEXT\n").lines,
              (std::vector<Delivered>{{eightySeven, 1}, {"NEXT", 2}}));

    // The tail of a long comment never becomes a record.
    const ReadAllResult comment = ReadAll("!" + std::string(90, '-') + "000020*22*ABC\nNEXT\n");
    EXPECT_EQ(comment.lines, (std::vector<Delivered>{{"NEXT", 2}}));
}

TEST(RecordLine, VeryLongLineKeepsABoundedPrefixAndDropsTheRest) {
    const std::string huge = "REC" + std::string(100000, 'z') + "TAIL";
    const ReadAllResult all = ReadAll(huge + "\r\nNEXT\r\n");
    ASSERT_EQ(all.lines.size(), 2u);
    EXPECT_EQ(all.lines[0].first, huge.substr(0, kMaxLineLength));
    EXPECT_EQ(all.lines[0].second, 1);
    EXPECT_EQ(all.lines[1], Delivered("NEXT", 2));
}

TEST(RecordLine, LinesAcrossReadBufferBoundariesStayWhole) {
    // 3000 lines of 82 bytes: far more than one buffer, boundaries fall inside lines, inside
    // the indentation and between CR and LF.
    std::string bytes;
    std::vector<Delivered> expected;
    for (int i = 1; i <= 3000; ++i) {
        std::string text = "R" + std::to_string(100000 + i);
        text += std::string(80 - 2 - text.size(), '.') + "E";
        bytes += " " + text + "\r\n";
        expected.emplace_back(text, i);
    }
    ASSERT_EQ(bytes.size(), 3000u * 82u);
    const ReadAllResult all = ReadAll(bytes);
    EXPECT_EQ(all.lines, expected);
    EXPECT_EQ(all.finalCounter, 3001);
}

TEST(RecordLine, NulBytesAmongManyLinesEndOnlyTheirOwnLine) {
    // Lines of 80 bytes over several read buffers; every seventh carries a NUL after its
    // number, and every 500th is a comment.
    std::string bytes;
    std::vector<Delivered> expected;
    for (int i = 1; i <= 5000; ++i) {
        const std::string number = "L" + std::to_string(i);
        std::string text = number + (i % 7 == 0 ? std::string(1, '\0') : std::string("+"));
        text += std::string(77 - text.size(), '-') + "END";
        if (i % 500 == 0) text[0] = '!';
        bytes += text + "\r\n";
        if (i % 500 == 0) continue;
        expected.emplace_back(i % 7 == 0 ? number : text, i);
    }
    EXPECT_EQ(ReadAll(bytes).lines, expected);
}

TEST(RecordLine, CarriageReturnAfterTheLastKeptByteIsDropped) {
    const std::string kept(kMaxLineLength, 'k');
    const ReadAllResult all = ReadAll(kept + "\r\n" + kept + "x\r\nNEXT\n");
    EXPECT_EQ(all.lines, (std::vector<Delivered>{{kept, 1}, {kept, 2}, {"NEXT", 3}}));
}

TEST(RecordLine, CtrlZEndsTheInput) {
    EXPECT_EQ(ReadAll("A\nB\x1a C\nD\n").lines,
              (std::vector<Delivered>{{"A", 1}, {"B", 2}}));
    const ReadAllResult atLineStart = ReadAll("A\r\n\x1a" "B\r\nC\r\n");
    EXPECT_EQ(atLineStart.lines, (std::vector<Delivered>{{"A", 1}}));
    EXPECT_EQ(atLineStart.finalCounter, 2);
    EXPECT_TRUE(atLineStart.atEnd);
    // Also inside the dropped tail of a long line.
    EXPECT_EQ(ReadAll("A" + std::string(2000, 'a') + "\x1a\nB\n").lines.size(), 1u);
    // And after many lines, in a later read buffer.
    std::string many;
    for (int i = 0; i < 2000; ++i) many += "LINE " + std::to_string(100000 + i) + "\r\n";
    const ReadAllResult late = ReadAll(many + "LAST\x1a\r\nGONE\r\n");
    ASSERT_EQ(late.lines.size(), 2001u);
    EXPECT_EQ(late.lines.back(), Delivered("LAST", 2001));
    EXPECT_TRUE(late.atEnd);
}

TEST(RecordLine, NulEndsTheTextOfItsLine) {
    EXPECT_EQ(ReadAll(std::string("AB\0CD\nEF\n", 9)).lines,
              (std::vector<Delivered>{{"AB", 1}, {"EF", 2}}));
    // The rest of the physical line is not a line of its own, even when it looks like one.
    EXPECT_EQ(ReadAll(std::string("  \0REC 1\r\nNEXT\r\n", 16)).lines,
              (std::vector<Delivered>{{"NEXT", 2}}));
    EXPECT_EQ(ReadAll(std::string("AB  \0\r\n", 7)).lines,
              (std::vector<Delivered>{{"AB", 1}}));
}

TEST(RecordLine, BytesAbove127AreBlankAtLineEndsButStayInside) {
    EXPECT_EQ(ReadAll("\xC8REC\xC8X\xC8\r\n").lines,
              (std::vector<Delivered>{{"REC\xC8X", 1}}));
    EXPECT_EQ(ReadAll("\xFF\x80\xA0\nA\xFF\n").lines,
              (std::vector<Delivered>{{"A", 2}}));
    // A control character other than CR or LF is blank too.
    EXPECT_EQ(ReadAll("\x01\x7F!\x01\n").lines, (std::vector<Delivered>{{"\x7F!", 1}}));
}

TEST(RecordLine, LoneCarriageReturnStaysInsideTheLine) {
    EXPECT_EQ(ReadAll("AB\rCD\r\n\r\rEF\n").lines,
              (std::vector<Delivered>{{"AB\rCD", 1}, {"EF", 2}}));
}

TEST(RecordLine, ReadErrorGives1518WithTheNumberOfTheFailingRead) {
    // Reading a directory as a stream fails on Linux.
    TempDir dir;
    std::FILE* stream = std::fopen(dir.path().string().c_str(), "rb");
    if (stream == nullptr) GTEST_SKIP() << "a directory cannot be opened as a stream here";
    InputFile in;
    in.Adopt(stream);
    int counter = 4;
    int result = 0;
    std::string line = "old";
    ReadDataLine(in, line, counter, result);
    EXPECT_EQ(result, 1518);
    EXPECT_EQ(counter, 5);
    EXPECT_TRUE(line.empty());
    EXPECT_TRUE(in.HasError());

    // Open refuses such a name: it cannot be opened as a file.
    InputFile opened;
    EXPECT_FALSE(opened.Open(dir.path().string()));
}

TEST(RecordLine, RewindStartsAgainFromTheFirstLine) {
    TempDir dir;
    WriteFile(dir / "f", "A\nB");
    InputFile in;
    ASSERT_TRUE(in.Open(dir / "f"));
    int counter = 0, result = 0;
    std::string line;
    while (ReadDataLine(in, line, counter, result), !line.empty()) {
    }
    ASSERT_TRUE(in.AtEnd());
    ASSERT_TRUE(in.Rewind());
    EXPECT_FALSE(in.AtEnd());
    counter = 0;
    ReadDataLine(in, line, counter, result);
    EXPECT_EQ(line, "A");
    EXPECT_EQ(counter, 1);
}

// --- Fixed-column fields -----------------------------------------------------------------------

TEST(RecordLineFields, TextFieldsAtAndBeyondTheLineEnd) {
    const std::string line = "ABCDEFG";
    EXPECT_EQ(GetFieldText(1, 3, line), "ABC");
    EXPECT_EQ(GetFieldText(5, 5, line), "EFG");  // runs past the end: only what is there
    EXPECT_EQ(GetFieldText(7, 4, line), "G");    // column equal to the length
    EXPECT_EQ(GetFieldText(8, 1, line), "");     // one beyond
    EXPECT_EQ(GetFieldText(40, 4, line), "");
    EXPECT_EQ(GetFieldText(1, 4, ""), "");
    EXPECT_EQ(GetFieldText(2, 4, "AB  CD"), "B  C");  // blanks stay part of the field
}

// --- Trimming ----------------------------------------------------------------------------------

TEST(RecordLineTrim, BlankIsEveryByteUpTo32AndEveryByteAbove127) {
    std::string text = " \t\x01\xC8" "AB C\x7F \xFF\x80";
    EXPECT_EQ(TrimLeading(text), "AB C\x7F \xFF\x80");
    EXPECT_EQ(TrimTrailing(text), "AB C\x7F");  // DEL (127) is not blank
    std::string both = "\xA0 x \xA0";
    EXPECT_EQ(TrimBoth(both), "x");
    std::string blanks = " \t\xFF";
    EXPECT_EQ(TrimBoth(blanks), "");
    std::string empty;
    EXPECT_EQ(TrimBoth(empty), "");
    std::string bang = "!";
    EXPECT_EQ(TrimBoth(bang), "!");
}

TEST(RecordLineTrim, TrailingCharacterOnlyAtTheEnd) {
    std::string folder = "C:\\data\\\\\\";
    EXPECT_EQ(TrimTrailingChar(folder, '\\'), "C:\\data");
    std::string plain = "C:\\data";
    EXPECT_EQ(TrimTrailingChar(plain, '\\'), "C:\\data");
    std::string blankAfter = "dir\\ ";
    EXPECT_EQ(TrimTrailingChar(blankAfter, '\\'), "dir\\ ");
    std::string only = "\\\\";
    EXPECT_EQ(TrimTrailingChar(only, '\\'), "");
}

}  // namespace

namespace {

}  // namespace
