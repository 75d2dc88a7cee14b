// NGS's reading of Blue Book files: numbers with blank low digits, derived heights, rejected
// records, unsequenced lines and station IDs from "*25*" records. Expected values are worked
// out from the record layouts by hand; the literal reading is pinned by the other tests. A
// blank counts as read as a zero when the value differs from the number without its blanks.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <random>
#include <regex>
#include <string>
#include <vector>

#include "bluebook/Fields.h"
#include "bluebook/RecordLine.h"
#include "convert/ConversionReport.h"
#include "support/TestSupport.h"

namespace {

/// A record line with its line end.
std::string Rec(std::initializer_list<std::pair<int, std::string>> pieces) {
    return ColumnLine(pieces) + "\n";
}

const std::string kStation1 = Rec({{1, "000010*80*0001"}, {45, "39000000000N105000000000W001000"}});
const std::string kStation2 = Rec({{1, "000020*80*0002"}, {45, "39100000000N105100000000W002000"}});

/// A station line as the output writes it, from its name and its values as written there.
std::string Geo(const std::string& name, const std::string& lat, const std::string& lon,
                const std::string& h, const std::string& n, const std::string& e,
                const std::string& deflection = "0.0000; 0.0000; 0.0000; 0.0000") {
    return "$GEO_COMPACT; " + name + "; " + lat + "; 0.0000001; " + lon + "; 0.0000001; " + h +
           "; 0.0000001; " + n + "; 0.0000001; " + e + "; 0.0000001; " + deflection;
}

const std::string kC1 = "C00010002    1000000    1    2000000    1    3000000    1";
const std::string kD1 = Rec({{1, "D"}, {2, "  1  2        0"}, {17, "  2  3        0"}});
const std::string kGps1 = "$GPS_COMPACT; 0001; 0002; 100.00000; 200.00000; 300.00000; "
                          "0.000000010000; 0.000000000000; 0.000000010000; 0.000000000000; "
                          "0.000000000000; 0.000000010000";

struct Job {
    const char* what;
    std::string serfil, bfile, gfile;
    std::vector<std::string> lines;  // output lines expected, in this order
};

const Job kJobs[] = {
    {"heights: a blank millimetre digit, a line that ends inside a field, a blank h is H + N",
     "",
     kStation1 + Rec({{1, "000030*86*0001"}, {17, "  4241 "}, {36, "-021725"}, {46, "0020688"}}) +
         kStation2 + Rec({{1, "000040*86*0002"}, {17, "1635118"}, {36, " -16790"}}) +
         Rec({{1, "000050*80*0003"}, {45, "39200000000N105200000000W003000"}}) +
         Rec({{1, "000060*86*0003"}, {17, "  4241"}}),
     "",
     {Geo("0001", "39.000000000", "-105.000000000", "42.4100", "-21.7250", "20.6880"),
      Geo("0002", "39.100000000", "-105.100000000", "1635.1180", "-16.7900", "1618.3280"),
      Geo("0003", "39.200000000", "-105.200000000", "42.4100", "0.0000", "42.4100")}},
    {"coordinates and deflections with blank low digits",
     "",
     Rec({{1, "000010*80*0001"}, {45, "394430500  N10500127500 W"}}) +
         Rec({{1, "000020*85*0001"}, {63, "0031 N045"}, {72, "0187 W045"}}),
     "",
     {Geo("0001", "39.443050000", "-105.001275000", "0.0000", "0.0000", "0.0000",
          "3.1000; 0.4500; -18.7000; 0.4500")}},
    {"a direction and a distance with blank low digits; an unsequenced record",
     "",
     kStation1 + kStation2 +
         Rec({{1, "000030*20*000101"}, {51, "0002"}, {64, "0101800  "}, {73, "01000050"}}) +
         Rec({{7, "*52*0001"}, {46, "0002"}, {64, "1234567  E005 010"}}),
     "",
     {"$DIR_COMPACT; 0001; 0002; 10.180000; 1.118; NOOBS; NOOBS; NOOBS; NOOBS; 0.00000; "
      "0.00000; 1",
      "!B-File Record Type 52(E)",
      "$SURF_COMPACT; 0001; 0002; NOOBS; NOOBS; 12345.67000; 0.01285"}},
    {"a record marked rejected in column 6 stays, as a comment",
     "",
     kStation1 + kStation2 + Rec({{1, "00003R*52*0001"}, {46, "0002"}, {64, "012345678E"}}),
     "",
     {"!B-File Record Type 52(E) (rejected: R in column 6)",
      "!$SURF_COMPACT; 0001; 0002; NOOBS; NOOBS; 1234.56780; 0.00000"}},
    {"G-file: a blank low digit, a count \"1 \" that stays 1, a rejection in column 58 only",
     "",
     "",
     Rec({{1, "B"}, {26, "1 "}}) + Rec({{1, "C00010002   10000 "}, {21, "    1    2000000    1"}, {42, "    3000000    1"}}) +
         kD1 + Rec({{1, "B"}, {26, " 1"}}) + Rec({{1, kC1}, {58, "R"}}) + kD1 +
         Rec({{1, "B"}, {26, " 1"}}) + Rec({{1, kC1}, {59, "R"}}) + kD1,
     {"$GPS_COMPACT; 0001; 0002; 1000.00000; 200.00000; 300.00000; ",  // "   10000   "
      "!G-File Record Type B, C, D (rejected: R in column 58)", "!" + kGps1, kGps1}},
    {"a value that would not be finite: the record is a comment, each such value marked",
     "",
     kStation1 + kStation2 +
         Rec({{1, "000030*50*0001"}, {46, "0002"}, {64, "    1e300S0001e99"}}),
     // SD X 1e300 x 0.0001 (its blanks are zeros) squares beyond the largest double; the
     // distance's SD is 1e296 m times 1e98 ppm.
     Rec({{1, "B"}, {26, " 1"}}) +
         Rec({{1, "C00010002    1000000"}, {21, "1e3      2000000    1    3000000    1"}}) + kD1,
     {"!B-File Record Type 50(S) (not finite: not written)",
      "!$AZ_COMPACT; 0001; 0002; NOOBS; NOOBS; NOOBS; NOOBS; 10000000000",
      "!G-File Record Type B, C, D (not finite: not written)",
      "!$GPS_COMPACT; 0001; 0002; 100.00000; 200.00000; 300.00000; (not finite); "
      "0.000000000000; 0.000000010000; 0.000000000000; 0.000000000000; 0.000000010000"}},
    {"*25* station IDs name serial numbers the SERFIL file does not; never the C record's IDs",
     "AAAA   0001\n",
     Rec({{1, "000010*25*0001"}, {21, "XXXX"}}) + Rec({{1, "000020*25*0002"}, {21, "BBBB"}}) +
         Rec({{1, "000030*25*0002"}, {21, "CCCC"}}) + kStation1 + kStation2,
     Rec({{1, "B"}, {26, " 1"}}) + Rec({{1, kC1}, {75, "0002"}}) + kD1,
     {Geo("AAAA", "39.000000000", "-105.000000000", "10.0000", "0.0000", "10.0000"),
      Geo("BBBB", "39.100000000", "-105.100000000", "20.0000", "0.0000", "20.0000"),
      "$GPS_COMPACT; AAAA; 0002; 100.00000; 200.00000; 300.00000; "}},
};

TEST(NgsReading, RecordsConvertToWhatTheyMean) {
    for (const Job& job : kJobs) {
        TempDir dir;
        FakePlatform platform;
        auto place = [&](const char* name, const std::string& text) {
            if (text.empty()) return std::string();
            WriteFile(dir / name, text);
            return dir / name;
        };
        platform.serfilPath = place("serfil", job.serfil);
        platform.bFilePath = place("bfile", job.bfile);
        platform.gFilePath = place("gfile", job.gfile);
        platform.outputPath = dir / "out.txt";
        BlueBookConverter converter(platform);
        converter.OnConvertData();
        ASSERT_EQ(platform.shown.size(), 1u) << job.what;
        const std::string out = ReadFile(platform.outputPath);
        std::size_t at = 0;
        for (const std::string& line : job.lines) {
            const std::size_t found = out.find("\r\n" + line, at);
            EXPECT_NE(found, std::string::npos) << job.what << ": " << line << "\n" << out;
            if (found != std::string::npos) at = found + line.size();
        }
    }
}

}  // namespace

namespace {

std::vector<int> LinesOf(const Occurrences& at) {
    return at.lines;
}

TEST(NgsReading, TheReportSaysWhatEachRuleDid) {
    const std::string samples = std::string(BB_TEST_DATA_DIR) + "/data/samples/";
    const std::string adjust = samples + "noaa-ngs-adjust/";
    const std::string htdp = samples + "noaa-ngs-HTDP/";
    TempDir dir;
    // Line 2 is an unsequenced "*86*" with a blank ellipsoidal height and a letter in its
    // geoid height.
    WriteFile(dir / "bfile", kStation1 + Rec({{7, "*86*0001"}, {17, "0001000"}, {36, "00005X0"}}));
    WriteFile(dir / "gfile", "A\nB\n" +
                                 Rec({{1, "C00010002   123.4567"}, {21, "    1"}, {37, "    1"}}) +
                                 Rec({{1, "C00020003"}, {21, "    1"}, {37, "9e200"}}) +
                                 Rec({{1, "D  1  2        0"}, {17, "  5  6        0"}}));
    const struct {
        std::string serfil, bfile, gfile;
        ReportFile file;
        Finding finding;
        std::vector<int> lines;
    } cases[] = {
        // Every vector end of the training project is a B-file station, its rejected vector
        // is warned of, and 0013 and 0014 (no SERFIL entry) are named by their *25* IDs.
        {adjust + "serfil", adjust + "bfile", adjust + "gfile", ReportFile::kGFile,
         Finding::kNoPosition, {}},
        {adjust + "serfil", adjust + "bfile", adjust + "gfile", ReportFile::kBFile,
         Finding::kNotObserved, {}},
        {adjust + "serfil", adjust + "bfile", adjust + "gfile", ReportFile::kGFile,
         Finding::kRejected, {43}},
        {adjust + "serfil", adjust + "bfile", adjust + "gfile", ReportFile::kBFile, Finding::kNameFromStationId, {296, 297, 304, 305}},
        {"", htdp + "Ex4_bfile", "", ReportFile::kBFile, Finding::kBlanksAsZeros,
         {107, 111}},
        {"", dir / "bfile", "", ReportFile::kBFile, Finding::kDerivedHeight, {2}},
        {"", dir / "bfile", "", ReportFile::kBFile, Finding::kReadAsWritten, {2}},
        {"", dir / "bfile", "", ReportFile::kBFile,
         Finding::kNotANumber, {2}},
        // Line 3 writes its X with a point (123.4567 m), line 4 its SD of Y with an exponent
        // that makes its variance overflow; the B record on line 2 leaves its count blank.
        {"", "", dir / "gfile", ReportFile::kGFile, Finding::kPointWritten, {3}},
        {"", "", dir / "gfile", ReportFile::kGFile, Finding::kVectorsCounted, {2}},
        {"", "", dir / "gfile", ReportFile::kGFile,
         Finding::kExponent, {4}},
        {"", "", dir / "gfile", ReportFile::kGFile,
         Finding::kNotFinite, {4}},
    };
    for (const auto& c : cases) {
        FakePlatform platform;
        platform.serfilPath = c.serfil;
        platform.bFilePath = c.bfile;
        platform.gFilePath = c.gfile;
        platform.outputPath = dir / "out.txt";
        ConversionReport report;
        BlueBookConverter converter(platform);
        converter.OnConvertData();
        report = converter.Account();
        ASSERT_EQ(platform.shown.size(), 1u);
        EXPECT_EQ(LinesOf(report.Found(c.file, c.finding).at), c.lines)
            << c.bfile << " " << InfoOf(c.finding).key;
    }
}

}  // namespace

namespace {

}  // namespace
