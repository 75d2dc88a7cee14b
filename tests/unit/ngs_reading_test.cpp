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

TEST(NgsNumbers, BlanksAfterTheFirstCharacterAreZerosAndOnlyNumbersAreRead) {
    const struct {
        const char* text;
        int width;  // the field's columns; the text may end before them
        double value;
        bool blanksAsZeros, notANumber;
    } cases[] = {
        {"  4241 ", 7, 42410, true, false},   // a blank millimetre digit
        {"  4241", 7, 42410, true, false},    // the line ended inside the field
        {"   4241", 7, 4241, false, false},
        {"       ", 7, 0, false, false},
        {"", 7, 0, false, false},             // the whole field beyond the line
        {"-12 ", 4, -120, true, false},
        {"- 12", 4, -12, false, false},       // "-012"
        {"1 2", 3, 102, true, false},
        {"1\t2", 3, 102, true, false},        // a tab is a blank
        {"12\xC3", 3, 120, true, false},      // so is a byte from 128 on
        {"12.5 ", 5, 12.5, false, false},     // a zero after the decimals changes nothing
        {"  0   ", 6, 0, false, false},
        {"1.5E3", 5, 1500, false, false},
        {"1.5D2", 5, 150, false, false},
        {"1.5E 3", 6, 1500, false, false},   // a leading zero of the exponent
        {"1.5E3 ", 6, 1.5e30, true, false},   // as Fortran reads it
        {"12A ", 4, 12, false, true},
        {"0x10", 4, 0, false, true},
        {"nan", 3, 0, false, true},
        {"  +inf", 6, 0, false, true},
        {"--5", 3, 0, false, true},
        {"1.5E", 4, 1.5, false, true},        // an exponent without digits
        {"9E999", 5, 0, false, true},         // no finite number
        {".", 1, 0, false, false},
    };
    for (const auto& c : cases) {
        NgsNumberNotes notes;
        EXPECT_EQ(GetFieldRealNgs(1, c.width, c.text, notes), c.value) << '"' << c.text << '"';
        EXPECT_EQ(notes.blanksAsZeros, c.blanksAsZeros) << '"' << c.text << '"';
        EXPECT_EQ(notes.notANumber, c.notANumber) << '"' << c.text << '"';
    }
}

TEST(NgsNumbers, AWrittenDecimalPointOverridesTheImpliedDecimals) {
    // Fortran's Fw.d: a point written in the field places it, and the d implied decimals no
    // longer apply; in the packed angles the point stands in the seconds (times 1e-4 packed).
    constexpr ScaledField kHeight{1, 7, 0.001};         // *86* heights, F7.3
    constexpr ScaledField kComponent{1, 11, 0.0001};    // C record DX
    constexpr ScaledField kLatitude{1, 11, 1e-9, kPackedAngle};
    constexpr ScaledField kLongitude{1, 12, 1e-9, kPackedAngle};
    constexpr ScaledField kDirection{1, 9, 1e-6, kPackedAngle};
    const struct {
        const char* text;
        ScaledField field;
        double value;
        bool point, exponent;
    } cases[] = {
        {"1234.56", kHeight, 1234.56, true, false},
        {"-23.45 ", kHeight, -23.45, true, false},      // the blank is a zero after the point
        {"   -.5 ", kHeight, -0.5, true, false},
        {"+12.   ", kHeight, 12.0, true, false},
        {" 1 2.5 ", kHeight, 102.5, true, false},       // a blank before the point is a zero
        {"  1.5E2", kHeight, 150.0, true, true},
        {"   15E2", kHeight, 1.5, false, true},         // no point: 0.015E2
        {"12AB.5 ", kHeight, 0.012, false, false},      // the number ended before the point
        {"1234560", kHeight, 1234.56, false, false},
        {"  2902.7391", kComponent, 2902.7391, true, false},
        {"-6881384804", kComponent, -688138.4804, false, false},
        {"391234.5678", kLatitude, 39.12345678, true, false},
        {"39123456789", kLatitude, 39.123456789, false, false},
        {"1121234.5678", kLongitude, 112.12345678, true, false},
        {"1234512.3", kDirection, 123.45123, true, false},
    };
    for (const auto& c : cases) {
        RecordFields ngs(c.text, Reading::kNgs);
        EXPECT_DOUBLE_EQ(ngs.Real(c.field), c.value) << '"' << c.text << '"';
        EXPECT_EQ(ngs.Notes().pointWritten, c.point) << '"' << c.text << '"';
        EXPECT_EQ(ngs.Notes().ngs.exponent, c.exponent) << '"' << c.text << '"';
    }
    // The literal reading keeps the implied decimals, point or not.
    RecordFields literal("1234.56", Reading::kClassic);
    EXPECT_DOUBLE_EQ(literal.Real(kHeight), 1.23456);
    EXPECT_FALSE(literal.Notes().pointWritten);
}

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
        int warning;  // a ReportWarning, or -1 for `note`
        RecordNote note;
        std::vector<int> lines;
    } cases[] = {
        // Every vector end of the training project is a B-file station, its rejected vector
        // is warned of, and 0013 and 0014 (no SERFIL entry) are named by their *25* IDs.
        {adjust + "serfil", adjust + "bfile", adjust + "gfile", ReportFile::kGFile,
         static_cast<int>(ReportWarning::kUnmatchedEndpoint), {}, {}},
        {adjust + "serfil", adjust + "bfile", adjust + "gfile", ReportFile::kBFile,
         static_cast<int>(ReportWarning::kUnreachedStation), {}, {}},
        {adjust + "serfil", adjust + "bfile", adjust + "gfile", ReportFile::kGFile,
         static_cast<int>(ReportWarningOf(RecordWarning::kRejected)), {}, {43}},
        {adjust + "serfil", adjust + "bfile", adjust + "gfile", ReportFile::kBFile, -1,
         RecordNote::kNameFromStationId, {296, 297, 304, 305}},
        {"", htdp + "Ex4_bfile", "", ReportFile::kBFile, -1, RecordNote::kBlanksAsZeros,
         {107, 111}},
        {"", dir / "bfile", "", ReportFile::kBFile, -1, RecordNote::kDerivedHeight, {2}},
        {"", dir / "bfile", "", ReportFile::kBFile, -1, RecordNote::kReadAsWritten, {2}},
        {"", dir / "bfile", "", ReportFile::kBFile,
         static_cast<int>(ReportWarningOf(RecordWarning::kNotANumber)), {}, {2}},
        // Line 3 writes its X with a point (123.4567 m), line 4 its SD of Y with an exponent
        // that makes its variance overflow; the B record on line 2 leaves its count blank.
        {"", "", dir / "gfile", ReportFile::kGFile, -1, RecordNote::kPointWritten, {3}},
        {"", "", dir / "gfile", ReportFile::kGFile, -1, RecordNote::kVectorsCounted, {2}},
        {"", "", dir / "gfile", ReportFile::kGFile,
         static_cast<int>(ReportWarningOf(RecordWarning::kExponent)), {}, {4}},
        {"", "", dir / "gfile", ReportFile::kGFile,
         static_cast<int>(ReportWarningOf(RecordWarning::kNotFinite)), {}, {4}},
    };
    for (const auto& c : cases) {
        FakePlatform platform;
        platform.serfilPath = c.serfil;
        platform.bFilePath = c.bfile;
        platform.gFilePath = c.gfile;
        platform.outputPath = dir / "out.txt";
        ConversionReport report;
        BlueBookConverter converter(platform);
        converter.m_report = &report;
        converter.OnConvertData();
        ASSERT_EQ(platform.shown.size(), 1u);
        const Occurrences& at =
            c.warning >= 0 ? report.Warning(c.file, static_cast<ReportWarning>(c.warning)).at
                           : report.Note(c.file, c.note);
        EXPECT_EQ(LinesOf(at), c.lines) << c.bfile << " " << c.warning << " " << int(c.note);
    }
}

}  // namespace

namespace {

/// The NGS reading of a field written out from its rules, as a reference: pad to the field's
/// columns, drop leading blanks, then read the longest number at the start of the text with its
/// blanks as zeros, and of the text without its blanks.
struct Reference {
    double value = 0.0;
    bool blanksAsZeros = false;
    bool notANumber = false;
};

double LongestNumber(std::string text, bool& whole) {
    static const std::regex kNumber(R"(^[+-]?(?:(?:[0-9]+\.?[0-9]*|\.[0-9]+)(?:[eEdD][+-]?[0-9]+)?|\.)?)");
    std::smatch match;
    std::regex_search(text, match, kNumber);
    std::string number = match.str();
    whole = number.size() == text.size();
    for (char& c : number) {
        if (c == 'd' || c == 'D') c = 'e';
    }
    return std::strtod(number.c_str(), nullptr);
}

Reference ReadByTheRules(std::string field, std::size_t width) {
    Reference r;
    if (field.size() < width) field.append(width - field.size(), ' ');
    std::size_t first = 0;
    while (first < field.size() && IsBlank(field[first])) ++first;
    if (first == field.size()) return r;
    std::string zeros = field.substr(first);
    std::string squeezed;
    for (char& c : zeros) {
        if (!IsBlank(c)) squeezed += c;
        if (IsBlank(c)) c = '0';
    }
    bool whole = false;
    bool unused = false;
    r.value = LongestNumber(zeros, whole);
    const double withoutBlanks = LongestNumber(squeezed, unused);
    r.notANumber = !whole || !std::isfinite(r.value);
    if (!std::isfinite(r.value)) {
        r.value = 0.0;
    } else if (r.value != withoutBlanks) {
        r.blanksAsZeros = true;
    }
    return r;
}

TEST(NgsNumbers, RandomFieldsReadAsTheRulesSay) {
    std::mt19937 random(20261209);
    const std::string kinds[] = {"0123456789", "          ", " 0123456789.-", " .eEdD+-Ax\t\xC3"};
    int mismatches = 0;
    for (int n = 0; n < 200000 && mismatches < 10; ++n) {
        const std::size_t width = 1 + random() % 13;
        std::string field;
        const std::size_t length = random() % (width + 1);  // lines may end inside the field
        for (std::size_t k = 0; k < length; ++k) {
            const std::string& kind = kinds[random() % 4 == 3 ? 3 : random() % 3];
            field += kind[random() % kind.size()];
        }
        NgsNumberNotes notes;
        const double value = GetFieldRealNgs(1, static_cast<int>(width), field, notes);
        const Reference expected = ReadByTheRules(field, width);
        const bool same = value == expected.value && notes.notANumber == expected.notANumber &&
                          notes.blanksAsZeros == expected.blanksAsZeros;
        if (!same) {
            ++mismatches;
            ADD_FAILURE() << '"' << field << "\" width " << width << ": " << value << " "
                          << notes.blanksAsZeros << notes.notANumber << ", expected "
                          << expected.value << " " << expected.blanksAsZeros
                          << expected.notANumber;
        }
    }
}

}  // namespace
