// The network checks on small jobs made by hand, each with what it must find and, beside it, a
// job that must not find it; then NGS's training project and its vertical adjustment.
// Positions on the equator at longitude 0 keep the arithmetic by hand: there up is +X, east +Y
// and north +Z, and a point's X is a + h.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "convert/BlueBookConverter.h"
#include "convert/ConversionReport.h"
#include "support/TestSupport.h"

namespace {

std::string Rec(std::initializer_list<std::pair<int, std::string>> pieces) {
    return ColumnLine(pieces) + "\n";
}

/// A station on the equator at longitude 0, its "*80*" record on `line`.
std::string Station(const char* line, const char* name) {
    return Rec({{1, std::string(line) + "*80*" + name}, {45, "00000000000N000000000000E"}});
}
/// Its "*86*" heights in millimetres as written (7 columns each, blank for none).
std::string Heights(const char* line, const char* name, const char* h, const char* n,
                    const char* e) {
    return Rec({{1, std::string(line) + "*86*" + name}, {17, h}, {36, n}, {46, e}});
}
/// A one-vector session: B, C (components in 0.1 mm, 11 columns each), and its closing D.
std::string Session(const char* stations, const char* dx, const char* dy, const char* dz) {
    return Rec({{1, "B"}, {26, " 1"}}) +
           Rec({{1, std::string("C") + stations}, {10, dx}, {21, "    1"}, {26, dy},
                {37, "    1"}, {42, dz}, {53, "    1"}}) +
           Rec({{1, "D  2  3        0"}});
}

struct Job {
    const char* what;
    std::string bfile, gfile;
    const char* tolerances;  // empty: the defaults
    Finding finding;
    std::vector<std::string> texts;  // every occurrence, in order; none: must not be found
};

// Station 0001 with h 0, 0002 with h 100 m straight above it (X of a + 100).
const std::string kTwoStations = Station("000010", "0001") +
                                 Heights("000020", "0001", "0023000", "-023000", "0000000") +
                                 Station("000030", "0002") +
                                 Heights("000040", "0002", "0123000", "-023000", "0100000");

const Job kJobs[] = {
    {"a blank geoid height is h - H", Station("000010", "0001") +
         Heights("000020", "0001", "2136215", "       ", "2112757"),
     "", "", Finding::kGeoidDerived, {"geoid height derived: N = h - H = -23.458 m"}},
    {"a blank orthometric height is h - N", Station("000010", "0001") +
         Heights("000020", "0001", "       ", "-023458", "2112757"),
     "", "", Finding::kOrthoDerived, {"orthometric height derived: H = h - N = 2136.215 m"}},
    {"h from H + N with N blank too: a warning", Station("000010", "0001") +
         Heights("000020", "0001", "2136215", "       ", "       "),
     "", "", Finding::kEllipsoidalFromBlank, {"ellipsoidal height derived: h = H + N = 2136.215 m"}},
    {"h from H + N, both written: no warning", Station("000010", "0001") +
         Heights("000020", "0001", "2136215", "-023458", "       "),
     "", "", Finding::kEllipsoidalFromBlank, {}},
    {"heights 0.5 m off", Station("000010", "0001") +
         Heights("000020", "0001", "0100000", "-020000", "0079500"),
     "", "", Finding::kHeightsDoNotClose, {"heights do not close: H + N - h = 0.500 m"}},
    {"heights 0.5 m off, within a tolerance of 1 m", Station("000010", "0001") +
         Heights("000020", "0001", "0100000", "-020000", "0079500"),
     "", "height=1", Finding::kHeightsDoNotClose, {}},
    {"an observation to a station without a *80*", kTwoStations +
         Rec({{1, "000050*52*0001"}, {46, "0099"}, {64, "012345678E"}}) +
         Rec({{1, "000060*52*0001"}, {46, "0002"}, {64, "012345678E"}}),
     "", "", Finding::kNoPosition, {"station has no position: 0099"}},
    {"stations observed, one not", kTwoStations + Station("000050", "0003") +
         Rec({{1, "000060*52*0001"}, {46, "0002"}, {64, "012345678E"}}),
     "", "", Finding::kNotObserved, {"station not observed: 0003"}},
    {"two pairs of stations never joined", kTwoStations + Station("000050", "0003") +
         Station("000060", "0004") + Station("000070", "0005") +
         Rec({{1, "000080*52*0001"}, {46, "0002"}, {64, "012345678E"}}) +
         Rec({{1, "000090*52*0002"}, {46, "0003"}, {64, "012345678E"}}) +
         Rec({{1, "000100*52*0004"}, {46, "0005"}, {64, "012345678E"}}),
     "", "", Finding::kNetworkParts,
     {"network in 2 parts: 0004, 0005", "network in 2 parts: 0004, 0005"}},
    {"a vector 0.3 m longer than the height between its stations", kTwoStations,
     Session("00010002", "    1003000", "          0", "          0"), "",
     Finding::kVectorDisagrees,
     {"vector disagrees with positions by 0.300 m (N 0.000, E 0.000, U 0.300)"}},
    {"the same, within a vector tolerance of 0.5 m", kTwoStations,
     Session("00010002", "    1003000", "          0", "          0"), "vector=0.5",
     Finding::kVectorDisagrees, {}},
    {"a vector repeated the other way round, 30 mm further north", kTwoStations,
     Session("00010002", "    1000000", "          0", "          0") +
         Session("00020001", "   -1000000", "          0", "       -300"),
     "", Finding::kRepeatDiffers,
     {"repeated vector differs by 0.030 m horizontally, 0.000 m vertically "
      "(G-file lines 2 and 5)"}},
    {"the same, within 0.02 m + 1 ppm of 100 m horizontally? No: 0.0201 m", kTwoStations,
     Session("00010002", "    1000000", "          0", "          0") +
         Session("00020001", "   -1000000", "          0", "       -200"),
     "", Finding::kRepeatDiffers, {}},
};

/// Runs `job` through the converter and keeps its account.
void RunJob(const Job& job, ConversionReport& report) {
    TempDir dir;
    FakePlatform platform;
    if (!job.bfile.empty()) WriteFile(platform.bFilePath = dir / "bfile", job.bfile);
    if (!job.gfile.empty()) WriteFile(platform.gFilePath = dir / "gfile", job.gfile);
    platform.outputPath = dir / "out.txt";
    BlueBookConverter converter(platform);
    std::string error;
    ASSERT_TRUE(ParseCheckTolerances(*job.tolerances ? job.tolerances : "height=0.10",
                                     converter.m_checkTolerances, error));
    converter.OnConvertData();
    report = converter.Account();
    ASSERT_EQ(platform.shown.at(0).number, kMsgSuccess) << job.what;
}

TEST(NetworkChecks, SmallJobsFindWhatTheyHoldAndNothingElse) {
    for (const Job& job : kJobs) {
        ConversionReport report;
        RunJob(job, report);
        std::vector<std::string> texts;
        for (const Listed& l : report.ToCheckOf(job.finding).listed) texts.push_back(l.text);
        EXPECT_EQ(texts, job.texts) << job.what;
    }
}

TEST(NetworkChecks, APartedNetworkNamesTwentyOfItsOtherStations) {
    // 30 pairs, each observed within itself: the first pair is the network, and each of the
    // 58 stations outside it carries the first 20 of them and the count of the rest.
    Job job{"30 parts", "", "", "", Finding::kNetworkParts, {}};
    char name[12], line[12];
    for (int pair = 0, n = 0; pair < 30; ++pair) {
        for (int k = 1; k <= 2; ++k) {
            std::snprintf(name, sizeof name, "%04d", 2 * pair + k);
            std::snprintf(line, sizeof line, "%06d", 10 * ++n);
            job.bfile += Station(line, name);
        }
    }
    char to[12];
    for (int pair = 0, n = 100; pair < 30; ++pair) {
        std::snprintf(line, sizeof line, "%06d", 10 * ++n);
        std::snprintf(name, sizeof name, "%04d", 2 * pair + 1);
        std::snprintf(to, sizeof to, "%04d", 2 * pair + 2);
        job.bfile += Rec({{1, std::string(line) + "*52*" + name}, {46, to}, {64, "012345678E"}});
    }
    ConversionReport report;
    RunJob(job, report);
    const auto listed = report.ToCheckOf(Finding::kNetworkParts).listed;
    ASSERT_EQ(listed.size(), 58u);
    EXPECT_EQ(listed[0].text,
              "network in 30 parts: 0003, 0004, 0005, 0006, 0007, 0008, 0009, 0010, 0011, 0012, "
              "0013, 0014, 0015, 0016, 0017, 0018, 0019, 0020, 0021, 0022 and 38 more");
    EXPECT_EQ(listed[57].text, listed[0].text);
}

TEST(NetworkChecks, AStationWithoutHeightsIsANote) {
    const Job job{"", Station("000010", "0001") +
                          Rec({{1, "000020*80*0002"}, {45, "00000000000N000000000000E000123"}}),
                  "", "", Finding::kNo86Zero, {}};
    ConversionReport report;
    RunJob(job, report);
    EXPECT_EQ(report.Found(ReportFile::kBFile, Finding::kNo86Zero).at.lines, std::vector<int>{1});
    EXPECT_EQ(report.Found(ReportFile::kBFile, Finding::kNo86FromElevation).at.lines,
              std::vector<int>{2});
    EXPECT_EQ(report.WhatDeservesALook().warnings, 0);
}

TEST(NetworkChecks, TolerancesAreKeysWithPositiveMetres) {
    const struct {
        const char* text;
        bool valid;
        double height = 0, vector = 0, repeatH = 0, repeatV = 0;
    } cases[] = {
        {"height=0.1,vector=0.25,repeat-h=0.02,repeat-v=0.05", true, 0.1, 0.25, 0.02, 0.05},
        {"repeat-v=1,height=2", true, 2, 0.25, 0.02, 1},
        {"vector=1e-1", true, 0.10, 0.1, 0.02, 0.05},
        {"height=0", false}, {"height=-1", false}, {"height=", false}, {"height", false},
        {"depth=1", false},  {"height=1,", false}, {"height=1x", false}, {"", false},
        {"vector=inf", false},
    };
    for (const auto& c : cases) {
        CheckTolerances t;
        std::string error;
        EXPECT_EQ(ParseCheckTolerances(c.text, t, error), c.valid) << c.text;
        if (!c.valid) {
            EXPECT_FALSE(error.empty()) << c.text;
            continue;
        }
        EXPECT_EQ(t.height, c.height) << c.text;
        EXPECT_EQ(t.vector, c.vector) << c.text;
        EXPECT_EQ(t.repeatH, c.repeatH) << c.text;
        EXPECT_EQ(t.repeatV, c.repeatV) << c.text;
    }
}

const std::string kTraining = BB_TEST_DATA_DIR "/data/samples/noaa-ngs-adjust/";

TEST(NetworkChecks, TrainingProjectDerivesItsGeoidHeightsAndItsVectorsAgree) {
    ConversionReport report;
    TempDir dir;
    FakePlatform platform;
    platform.serfilPath = kTraining + "serfil";
    platform.bFilePath = kTraining + "bfile";
    platform.gFilePath = kTraining + "gfile";
    platform.outputPath = dir / "out.txt";
    BlueBookConverter converter(platform);
    converter.OnConvertData();
    report = converter.Account();
    ASSERT_EQ(platform.shown.at(0).number, kMsgSuccess);
    // N = h - H of each *86* record, in file order (B490: 2112.757 - 2136.215).
    const char* const geoid[] = {"-23.458", "-23.614", "-25.235", "-23.408", "-22.951",
                                 "-23.124", "-23.098", "-23.227", "-23.079", "-23.187",
                                 "-23.495", "-24.528", "-22.151", "-23.027"};
    const std::vector<Listed>& derived = report.ToCheckOf(Finding::kGeoidDerived).listed;
    ASSERT_EQ(derived.size(), std::size(geoid));
    for (std::size_t i = 0; i < derived.size(); ++i) {
        EXPECT_EQ(derived[i].brief, std::string("N = h - H = ") + geoid[i] + " m");
        EXPECT_EQ(derived[i].line, 291 + 2 * static_cast<int>(i));
    }
    for (const Finding quiet : {Finding::kVectorDisagrees, Finding::kRepeatDiffers,
                                Finding::kHeightsDoNotClose, Finding::kNoPosition,
                                Finding::kNotObserved, Finding::kNetworkParts}) {
        EXPECT_EQ(report.ToCheckOf(quiet).count, 0) << InfoOf(quiet).key;
    }
    // 50 vectors used (line 43 is rejected), the largest some 3 cm off its stations.
    const NetworkConclusions& network = report.Network();
    EXPECT_EQ(network.vectorsCompared, 50u);
    ASSERT_FALSE(network.largestVectors.empty());
    EXPECT_GT(network.largestVectors[0].total, 0.02);
    EXPECT_LT(network.largestVectors[0].total, 0.035);
    // ABYS-DSVW, measured again in two more sessions, is listed among the repeats.
    ASSERT_FALSE(network.largestRepeats.empty());
    EXPECT_EQ(network.largestRepeats[0].from + "-" + network.largestRepeats[0].to, "ABYS-DSVW");
}

TEST(NetworkChecks, AVerticalAdjustmentClosesUntilAGeoidHeightIsOff) {
    const std::string bfilevc = ReadFile(kTraining + "bfilevc");
    TempDir dir;
    // Line 291, B490: H 2136.194, h 2112.736 and in columns 36-42 N " -23458", -23.458 m
    // (closing to 0.000); " -13458" puts it 10 m off.
    std::string changed = bfilevc;
    const std::size_t at = changed.find("002910*86*0008");
    ASSERT_NE(at, std::string::npos);
    ASSERT_EQ(changed.substr(at + 35, 7), " -23458");
    changed.replace(at + 35, 7, " -13458");
    for (const auto& [text, closures] : {std::pair<std::string, int>{bfilevc, 0}, {changed, 1}}) {
        WriteFile(dir / "bfile", text);
        FakePlatform platform;
        platform.bFilePath = dir / "bfile";
        platform.outputPath = dir / "out.txt";
        ConversionReport report;
        BlueBookConverter converter(platform);
        converter.OnConvertData();
        report = converter.Account();
        EXPECT_EQ(report.ToCheckOf(Finding::kHeightsDoNotClose).count, closures);
    }
}

}  // namespace
