// The conversion account: counts, reasons and first line numbers on small files written for it,
// its JSON text read back, and an output file that is the same with and without it.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <memory>

#include "bluebook/RecordLine.h"
#include "convert/ConversionReport.h"
#include "support/Json.h"
#include "support/TestSupport.h"

namespace {

namespace fs = std::filesystem;

std::string Rec(std::initializer_list<std::pair<int, std::string>> pieces) {
    return ColumnLine(pieces);
}

std::string Lines(std::initializer_list<std::string> lines) {
    std::string text;
    for (const auto& line : lines) text += line + "\n";
    return text;
}

std::vector<int> LinesOf(const Occurrences& at) {
    return at.lines;
}

/// Runs one job over the given inputs (empty: not named) and keeps its account. The files
/// below were written for the literal reading, whose warnings they meet.
struct Job {
    TempDir dir;
    FakePlatform platform;
    ConversionReport report;
    Reading reading = Reading::kClassic;

    void Run(const std::string& serfil, const std::string& bfile, const std::string& gfile) {
        auto place = [&](const char* name, const std::string& text) {
            if (text.empty()) return std::string();
            WriteFile(dir / name, text);
            return dir / name;
        };
        platform.serfilPath = place("serfil", serfil);
        platform.bFilePath = place("bfile", bfile);
        platform.gFilePath = place("gfile", gfile);
        platform.outputPath = dir / "out.txt";
        BlueBookConverter converter(platform);
        converter.m_reading = reading;
        converter.OnConvertData();
        report = converter.Account();
        ASSERT_EQ(platform.shown.size(), 1u);
        ASSERT_EQ(platform.shown[0].number, kMsgSuccess) << platform.shown[0].text;
    }
};

// A B-file that meets every B-file reason and warning. Physical lines are numbered as in the
// comments; line 3 is a comment and line 24 is empty.
const std::string kBFile = Lines({
    "000010*AA*PROJECT",                                                           // 1
    Rec({{1, "000020*13*NAD 83"}, {51, "6378137000"}, {61, "2982572221"}}),        // 2
    "! stations",                                                                  // 3
    Rec({{1, "000040*80*0001"}, {45, "39000000000N105000000000W001000"}}),         // 4
    Rec({{1, "000050*80*0002"}, {45, "39100000000N105100000000W002000"}}),         // 5
    Rec({{1, "000060*80*0001"}, {45, "39200000000N105200000000W003000"}}),         // 6
    Rec({{1, "000070*86*0003"}, {17, "0012345"}}),                                 // 7
    Rec({{1, "000080*85*0003"}, {63, "00123N010"}}),                               // 8
    Rec({{1, "000090*86*0002"}, {17, "0012345"}, {46, "0012000"}}),                // 9
    Rec({{1, "000100*86*0001"}, {17, "  4241 "}, {36, "-000015"}, {46, "0004226"}}),  // 10
    Rec({{1, "000110*80*0003"}, {45, "39300000000N105300000000W004000"}}),         // 11
    Rec({{1, "00012R*20*000101"}, {36, "0150"}, {51, "00020160"},
         {64, "000000000"}, {73, "00100010"}}),                                    // 12
    Rec({{1, "000130*22*000102"}, {51, "00030160"}, {64, "045000000"}}),           // 13
    Rec({{1, "000140*22*000101"}, {51, "00030160"}, {64, "045000000"}}),           // 14
    Rec({{1, "000150*50*0001"}, {46, "0002"}, {64, "012345678Q0050010"}}),         // 15
    Rec({{1, "000160*50*0001"}, {46, "0002"}, {64, "012345678s0050010"}}),         // 16
    Rec({{1, "000170*52*0001"}, {46, "0002"}, {64, "012345678X0050010"}}),         // 17
    Rec({{1, "000180*13*OTHER DATUM"}, {51, "6378206400"}}),                       // 18
    "      *93*  18.240",                                                          // 19
    "000200*25*0001",                                                              // 20
    "000210*25*0002",                                                              // 21
    Rec({{1, "000220*32*000105"}, {51, "0002"}, {64, "12000000"}}),                // 22
    Rec({{1, "000230*45*0001"}, {51, "0002"}, {64, "  12345  0100"}}),             // 23
    "",                                                                            // 24
    "000250*AA*END",                                                               // 25
});

TEST(ReportBFile, CountsEachRecordOnceWithItsReasonAndFirstLines) {
    Job job;
    job.Run("", kBFile, "");
    const ConversionReport& r = job.report;
    const ReportFile b = ReportFile::kBFile;
    const FileAccount& account = r.File(b);
    EXPECT_TRUE(account.read);
    EXPECT_TRUE(account.complete);
    EXPECT_EQ(account.lines, 23);  // 25 physical lines less a comment and an empty line

    struct Row {
        const char* type;
        std::int64_t converted, skipped;
    };
    const Row rows[] = {
        {"*AA*", 0, 2}, {"*13*", 1, 1}, {"*80*", 4, 0}, {"*85*", 0, 1}, {"*86*", 2, 1},
        {"*20*", 1, 0}, {"*22*", 1, 1}, {"*32*", 0, 1}, {"*50*", 0, 2}, {"*52*", 1, 0},
        {"*45*", 1, 0}, {"*93*", 0, 1}, {"*25*", 0, 2},
    };
    std::int64_t total = 0;
    for (const Row& row : rows) {
        EXPECT_EQ(r.Records(b, row.type).converted, row.converted) << row.type;
        EXPECT_EQ(r.Records(b, row.type).skipped, row.skipped) << row.type;
        total += row.converted + row.skipped;
    }
    // Every significant line is accounted for exactly once, over the three passes.
    EXPECT_EQ(total, account.lines);
    std::int64_t allTypes = 0;
    for (const RecordCount& count : account.records) allTypes += count.converted + count.skipped;
    EXPECT_EQ(allTypes, account.lines);

    using V = std::vector<int>;
    EXPECT_EQ(LinesOf(r.Skips(b, "*AA*", SkipReason::kUnsupportedType)), (V{1, 25}));
    EXPECT_EQ(LinesOf(r.Skips(b, "*25*", SkipReason::kUnsupportedType)), (V{20, 21}));
    EXPECT_EQ(LinesOf(r.Skips(b, "*13*", SkipReason::kLaterDatum)), (V{18}));
    EXPECT_EQ(LinesOf(r.Skips(b, "*85*", SkipReason::kNoEarlierStation)), (V{8}));
    EXPECT_EQ(LinesOf(r.Skips(b, "*86*", SkipReason::kNoEarlierStation)), (V{7}));
    EXPECT_EQ(LinesOf(r.Skips(b, "*22*", SkipReason::kOtherSet)), (V{13}));
    EXPECT_EQ(LinesOf(r.Skips(b, "*32*", SkipReason::kOtherSet)), (V{22}));
    EXPECT_EQ(LinesOf(r.Skips(b, "*50*", SkipReason::kCodeSelectsNothing)), (V{15, 16}));
    EXPECT_EQ(LinesOf(r.Skips(b, "*93*", SkipReason::kTypeAtColumn1)), (V{19}));
    EXPECT_EQ(r.Skips(b, "*22*", SkipReason::kUnsupportedType).count, 0);

    EXPECT_EQ(LinesOf(r.Found(b, Finding::kRejectedMark).at), (V{12}));
    EXPECT_EQ(LinesOf(r.Found(b, Finding::kDigitsThenBlanks).at), (V{10, 23}));
    EXPECT_EQ(LinesOf(r.Found(b, Finding::kTypeAtColumn1).at), (V{19}));
    EXPECT_EQ(LinesOf(r.Found(b, Finding::kBlankHeight).at), (V{9}));
    EXPECT_EQ(LinesOf(r.Found(b, Finding::kDuplicateStation).at), (V{6}));
    EXPECT_EQ(r.Found(b, Finding::kDuplicateStation).names,
              std::vector<std::string>{"0001"});

    EXPECT_EQ(r.stationsWritten, 4);
    EXPECT_EQ(r.observationsWritten, 4);  // *20*, *22*, *52*, *45*
    EXPECT_EQ(r.vectorsWritten, 0);
    EXPECT_EQ(r.positionsWritten, 0);
    EXPECT_FALSE(r.File(ReportFile::kGFile).read);
}

TEST(ReportBFile, LinesBeyondTheKeptOnesAreCountedAndAJobStartsAfresh) {
    std::string bfile;
    for (int i = 1; i <= 1002; ++i) bfile += "000010*25*0001\n";
    Job job;
    job.Run("", bfile, "");
    job.platform.shown.clear();
    job.Run("", bfile, "");  // the same report again: the second job's account only
    const Occurrences& at =
        job.report.Skips(ReportFile::kBFile, "*25*", SkipReason::kUnsupportedType);
    EXPECT_EQ(at.count, 1002);
    ASSERT_EQ(at.lines.size(), 1000u);
    EXPECT_EQ(at.lines.front(), 1);
    EXPECT_EQ(at.lines.back(), 1000);
    EXPECT_EQ(job.report.File(ReportFile::kBFile).lines, 1002);
    // The summary shows the first five.
    EXPECT_NE(FormatReportSummary(job.report).find("1002  lines 1, 2, 3, 4, 5, ...\n"),
              std::string::npos);
}

// A G-file that meets every G-file reason and warning:
//   1 A            skipped: type              9  B, n = 1 (set 2)
//   2 C            skipped: before any B     10  C  j = 1
//   3 D            skipped: before any B     11  F  j = 2: beyond the count
//   4 B, n = 2 (set 1)                       12  D  closes (2, 3)
//   5 C  j = 1, DX "  1234567  "             13  E  term (400, 400): outside, no close
//   6 G  position                            14  B, n = 1 (set 3): line 13 never closed
//   7 D  (1,2) (2,3): no close               15  C  j = 1, DX with blanks: never written
//   8 D  (5,6) closes set 1 with 1 of 2 C    16  i  skipped: type
const std::string kGFile = Lines({
    "AHEADER",
    Rec({{1, "C00010002"}, {10, "    1000000"}}),
    Rec({{1, "D"}, {2, "  1  2  1000000"}}),
    Rec({{1, "B"}, {26, " 2"}}),
    Rec({{1, "C00010002"}, {10, "  1234567  "}, {21, "    8"}}),
    Rec({{1, "G    0001"}, {22, "-22112345678"}}),
    Rec({{1, "D"}, {2, "  1  2  1000000"}, {17, "  2  3  1000000"}}),
    Rec({{1, "D"}, {2, "  5  6  1000000"}}),
    Rec({{1, "B"}, {26, " 1"}}),
    Rec({{1, "C00030004"}, {10, "    1000000"}}),
    Rec({{1, "F00040005"}, {10, "      1000000"}}),
    Rec({{1, "D"}, {2, "  2  3  1000000"}}),
    Rec({{1, "E"}, {2, "400400           5"}}),
    Rec({{1, "B"}, {26, " 1"}}),
    Rec({{1, "C00050006"}, {10, " 12345     "}}),
    "iignored",
});

TEST(ReportGFile, VectorSetRecordsCountWhenTheirSetIsWritten) {
    Job job;
    job.Run("", "", kGFile);
    const ConversionReport& r = job.report;
    const ReportFile g = ReportFile::kGFile;
    EXPECT_TRUE(r.File(g).complete);
    EXPECT_EQ(r.File(g).lines, 16);

    struct Row {
        const char* type;
        std::int64_t converted, skipped;
    };
    const Row rows[] = {{"A", 0, 1}, {"B", 2, 1}, {"C", 2, 2}, {"D", 3, 1},
                        {"E", 0, 1}, {"F", 0, 1}, {"G", 1, 0}, {"i", 0, 1}};
    std::int64_t total = 0;
    for (const Row& row : rows) {
        EXPECT_EQ(r.Records(g, row.type).converted, row.converted) << row.type;
        EXPECT_EQ(r.Records(g, row.type).skipped, row.skipped) << row.type;
        total += row.converted + row.skipped;
    }
    EXPECT_EQ(total, 16);

    using V = std::vector<int>;
    EXPECT_EQ(LinesOf(r.Skips(g, "A", SkipReason::kUnsupportedType)), (V{1}));
    EXPECT_EQ(LinesOf(r.Skips(g, "i", SkipReason::kUnsupportedType)), (V{16}));
    EXPECT_EQ(LinesOf(r.Skips(g, "C", SkipReason::kBeforeFirstB)), (V{2}));
    EXPECT_EQ(LinesOf(r.Skips(g, "D", SkipReason::kBeforeFirstB)), (V{3}));
    EXPECT_EQ(LinesOf(r.Skips(g, "F", SkipReason::kBeyondVectorCount)), (V{11}));
    EXPECT_EQ(LinesOf(r.Skips(g, "E", SkipReason::kSetNeverClosed)), (V{13}));
    EXPECT_EQ(LinesOf(r.Skips(g, "B", SkipReason::kSetNeverClosed)), (V{14}));
    EXPECT_EQ(LinesOf(r.Skips(g, "C", SkipReason::kSetNeverClosed)), (V{15}));

    EXPECT_EQ(LinesOf(r.Found(g, Finding::kSetShort).at), (V{8}));
    EXPECT_EQ(LinesOf(r.Found(g, Finding::kTermOutsideMatrix).at), (V{13}));
    // Line 15 has blanks after its digits too, but its set was never written.
    EXPECT_EQ(LinesOf(r.Found(g, Finding::kDigitsThenBlanks).at), (V{5}));

    EXPECT_EQ(r.vectorsWritten, 3);  // two of set 1 (one empty), one of set 2
    EXPECT_EQ(r.positionsWritten, 1);
}

TEST(ReportGFile, VectorsBeyondTheLargestSetAreSkipped) {
    std::string gfile = Rec({{1, "B"}, {26, "99"}}) + "\n";
    for (int j = 1; j <= kMaxVectors + 1; ++j) gfile += "C00010002    1000000\n";
    gfile += "D296297  1000000\n";
    Job job;
    job.Run("", "", gfile);
    const ConversionReport& r = job.report;
    EXPECT_EQ(r.Records(ReportFile::kGFile, "C").converted, kMaxVectors);
    EXPECT_EQ(LinesOf(r.Skips(ReportFile::kGFile, "C", SkipReason::kTooManyVectors)),
              (std::vector<int>{kMaxVectors + 2}));  // line 1 is B, line 2 vector 1
    EXPECT_EQ(r.vectorsWritten, kMaxVectors);
    EXPECT_EQ(r.Found(ReportFile::kGFile, Finding::kSetShort).at.count, 0);
}

TEST(ReportStations, SerfilNamesAndStationsAreComparedWithVectorEnds) {
    const std::string serfil = Lines({"AAAA   0001", "BBBB   0002", "CCCC   0003",
                                      "DDDD   0009", "EEEE   0001"});
    const std::string bfile = Lines({
        Rec({{1, "000010*80*0001"}, {45, "39000000000N105000000000W001000"}}),
        Rec({{1, "000020*80*0002"}, {45, "39000000000N105000000000W001000"}}),
        Rec({{1, "000030*80*0003"}, {45, "39000000000N105000000000W001000"}}),
    });
    // One vector from 0001 (AAAA) to 0002, whose to-station override names ZZZZ.
    const std::string gfile = Lines({Rec({{1, "B"}, {26, " 1"}}),
                                     Rec({{1, "C00010002"}, {75, "ZZZZ"}}),
                                     Rec({{1, "D"}, {2, "  2  3  1000000"}})});
    Job job;
    job.Run(serfil, bfile, gfile);
    const ConversionReport& r = job.report;

    const auto& entries = r.SerfilEntries();
    ASSERT_EQ(entries.size(), 5u);
    EXPECT_EQ(r.SerfilNamesUsed(), 3);
    EXPECT_FALSE(entries[3].used);  // 0009 names no station
    EXPECT_FALSE(entries[4].used);  // 0001 again: the first line wins
    EXPECT_EQ(entries[4].line, 5);
    EXPECT_EQ(r.File(ReportFile::kSerfil).lines, 5);

    const FindingTally& unmatched = r.Found(ReportFile::kGFile, Finding::kNoPosition);
    EXPECT_EQ(unmatched.at.count, 1);
    EXPECT_EQ(LinesOf(unmatched.at), std::vector<int>{2});
    EXPECT_EQ(unmatched.names, std::vector<std::string>{"ZZZZ"});
    const FindingTally& unreached = r.Found(ReportFile::kBFile, Finding::kNotObserved);
    EXPECT_EQ(LinesOf(unreached.at), (std::vector<int>{2, 3}));
    EXPECT_EQ(unreached.names, (std::vector<std::string>{"BBBB", "CCCC"}));

    // The G-file alone: nothing to compare with.
    job.platform.shown.clear();
    job.Run(serfil, "", gfile);
    EXPECT_EQ(job.report.Found(ReportFile::kGFile, Finding::kNoPosition).at.count, 0);
}

// --- JSON ---------------------------------------------------------------------------------------

const Json* FindItem(const Json& array, const std::string& key, const std::string& value) {
    for (const Json& item : array.items) {
        if (item[key].text == value) return &item;
    }
    return nullptr;
}

TEST(ReportJson, TheAccountReadsBackFromItsJson) {
    Job job;
    job.Run("", kBFile, kGFile);
    job.report.message = kMsgSuccess;
    job.report.messageText = "Success";
    const Json root = ParseJson(FormatReportJson(job.report));
    ASSERT_EQ(root.kind, Json::kObject);
    EXPECT_EQ(root["message"].number, kMsgSuccess);
    EXPECT_EQ(root["messageText"].text, "Success");
    ASSERT_EQ(root["files"].items.size(), 2u);  // no SERFIL file

    const Json* b = FindItem(root["files"], "file", "bfile");
    ASSERT_NE(b, nullptr);
    EXPECT_EQ((*b)["path"].text, job.dir / "bfile");
    EXPECT_EQ((*b)["lines"].number, 23);
    EXPECT_TRUE((*b)["complete"].boolean);
    const Json* aa = FindItem((*b)["records"], "type", "*AA*");
    ASSERT_NE(aa, nullptr);
    EXPECT_EQ((*aa)["converted"].number, 0);
    EXPECT_EQ((*aa)["skipped"].number, 2);
    ASSERT_EQ((*aa)["reasons"].items.size(), 1u);
    EXPECT_EQ((*aa)["reasons"][0]["reason"].text, "unsupported-type");
    EXPECT_EQ((*aa)["reasons"][0]["count"].number, 2);
    ASSERT_EQ((*aa)["reasons"][0]["lines"].items.size(), 2u);
    EXPECT_EQ((*aa)["reasons"][0]["lines"][1].number, 25);
    const Json* dup = FindItem((*b)["warnings"], "warning", "duplicate-station");
    ASSERT_NE(dup, nullptr);
    EXPECT_EQ((*dup)["names"][0].text, "0001");
    EXPECT_FALSE((*dup)["moreNames"].boolean);
    // Five kinds; every station is reached by a vector.
    EXPECT_EQ((*b)["warnings"].items.size(), 5u);

    const Json* g = FindItem(root["files"], "file", "gfile");
    ASSERT_NE(g, nullptr);
    // A short set, a term outside the matrix, blanks after digits, 0004 and 0005 without a
    // position, and the vector 0001-0002 of line 5 (1234567 x 0.1 mm, 123.4567 m) some 14 km
    // from its stations' positions (0.1 degree apart).
    EXPECT_EQ((*g)["warnings"].items.size(), 5u);
    const Json* e = FindItem((*g)["records"], "type", "E");
    ASSERT_NE(e, nullptr);
    EXPECT_EQ((*e)["reasons"][0]["reason"].text, "set-never-closed");
    EXPECT_EQ(root["written"]["stations"].number, 4);
    EXPECT_EQ(root["written"]["vectors"].number, 3);
    EXPECT_EQ(root["written"]["positions"].number, 1);
}

TEST(ReportJson, PathsAndNamesAreEscaped) {
    ConversionReport report;
    // A quote, a backslash, a tab, UTF-8 "é" and a Latin-1 "é" that is not UTF-8.
    report.StartFile(ReportFile::kSerfil, "a\"b\\c\td\xc3\xa9-\xe9");
    report.BeginFile(ReportFile::kSerfil);
    report.Serfil({{ReportFile::kSerfil, 1, {}}, "N\x01", "0001"});
    const Json root = ParseJson(FormatReportJson(report));
    const Json& serfil = root["files"][0];
    EXPECT_EQ(serfil["path"].text, "a\"b\\c\td\xc3\xa9-\xc3\xa9");
    EXPECT_EQ(serfil["names"].number, 1);
    EXPECT_EQ(serfil["used"].number, 0);
    EXPECT_EQ(serfil["neverUsed"][0]["name"].text, "N\x01");
    EXPECT_FALSE(serfil["complete"].boolean);
}

// --- The summary ---------------------------------------------------------------------------------

TEST(ReportSummary, OneAlignedLinePerRecordTypeWithItsReasonsUnderIt) {
    Job job;
    job.Run("", Lines({"000010*AA*X",
                       Rec({{1, "000020*20*000101"}, {51, "0002"}}),
                       Rec({{1, "000030*22*000102"}, {51, "0002"}})}),
            "");
    // What to check leads: the direction names two stations no "*80*" record places.
    const std::string expected =
        "Conversion report\n"
        "To check\n"
        "  station has no position: 2\n"
        "      B-file line 2  0001\n"
        "      B-file line 2  0002\n"
        "B-file  " + (job.dir / "bfile") + "\n"
        "  3 lines\n"
        "  record   converted   skipped\n"
        // The type padded to 6, the counts right-aligned in 12 and 10 columns; the reasons
        // padded to the longest one (25) and their counts right-aligned in 8.
        "  *20*  " + std::string(11, ' ') + "1" + std::string(9, ' ') + "0\n"
        "  *22*  " + std::string(11, ' ') + "0" + std::string(9, ' ') + "1\n"
        "      continues another set" + std::string(4 + 7, ' ') + "1  line 3\n"
        "  *AA*  " + std::string(11, ' ') + "0" + std::string(9, ' ') + "1\n"
        "      record type not converted" + std::string(7, ' ') + "1  line 1\n"
        "  warnings\n"
        "      station has no position       2  line 2  \"0001\", \"0002\"\n"
        "Written: stations 0, observations 1, vectors 0, positions 0\n";
    EXPECT_EQ(FormatReportSummary(job.report), expected);
}

}  // namespace
