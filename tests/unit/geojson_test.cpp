// The GeoJSON network written beside the TELLURAX file by a real conversion job: read back as
// JSON, its features checked against the records they were drawn from.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "convert/ConversionReport.h"
#include "convert/GeoJson.h"
#include "output/OutputFile.h"
#include "support/Json.h"
#include "support/TestSupport.h"

namespace {

/// A record line with its line end.
std::string Rec(std::initializer_list<std::pair<int, std::string>> pieces) {
    return ColumnLine(pieces) + "\n";
}

/// One job over the given inputs (empty: not named) with a GeoJSON writer among its receivers.
struct GeoJob {
    TempDir dir;
    FakePlatform platform;
    ConversionReport report;
    Reading reading = Reading::kClassic;  // the tests below were written for the literal reading
    int finished = -1;  // what Finish returned

    Json Run(const std::string& serfil, const std::string& bfile, const std::string& gfile,
             const std::string& geoPath = "") {
        platform.serfilPath = serfil;
        platform.bFilePath = bfile;
        platform.gFilePath = gfile;
        platform.outputPath = dir / "out.txt";
        const std::string path = geoPath.empty() ? dir / "net.geojson" : geoPath;
        OutputFile geo;
        EXPECT_TRUE(geo.Open(path, 0));
        GeoJsonWriter writer(geo);
        BlueBookConverter converter(platform);
        converter.m_reading = reading;
        converter.OnConvertData({&writer});
        report = converter.Account();
        finished = writer.Finish(&report);
        geo.Close();
        return geoPath.empty() ? ParseJson(ReadFile(path)) : Json();
    }
};

std::vector<std::string> Texts(const Json& array) {
    std::vector<std::string> texts;
    for (const Json& item : array.items) texts.push_back(item.text);
    return texts;
}

/// The features of one geometry type, in file order.
std::vector<const Json*> Features(const Json& root, const std::string& type) {
    std::vector<const Json*> found;
    for (const Json& feature : root["features"].items) {
        if (feature["geometry"]["type"].text == type) found.push_back(&feature);
    }
    return found;
}

/// Every line ends at the Points of the first stations named "from" and "to".
void ExpectLinesEndAtTheirStations(const Json& root) {
    std::map<std::string, std::vector<std::string>> first;  // name -> [longitude, latitude]
    for (const Json* point : Features(root, "Point")) {
        const Json& at = (*point)["geometry"]["coordinates"];
        first.emplace((*point)["properties"]["name"].text,
                      std::vector<std::string>{at[0].text, at[1].text});
    }
    for (const Json* line : Features(root, "LineString")) {
        const Json& properties = (*line)["properties"];
        const Json& ends = (*line)["geometry"]["coordinates"];
        ASSERT_EQ(ends.items.size(), 2u);
        EXPECT_EQ(Texts(ends[0]), first[properties["from"].text]) << properties["line"].text;
        EXPECT_EQ(Texts(ends[1]), first[properties["to"].text]) << properties["line"].text;
    }
}

const std::string kSamples = BB_TEST_DATA_DIR "/data/samples/noaa-ngs-adjust/";
const char* const kBlankHeight = "*86* height blank, written as 0.0";

// Read as NGS reads it, the training project's 0013 and 0014 are DOBY and DSVW, as its vectors
// name them: all 51 vectors are drawn, the one NGS rejected (line 43) with its warning.
TEST(GeoJson, TrainingProjectReadTheNgsWayDrawsEveryVector) {
    GeoJob job;
    job.reading = Reading::kNgs;
    const Json root = job.Run(kSamples + "serfil", kSamples + "bfile", kSamples + "gfile");
    ASSERT_EQ(job.platform.shown.at(0).number, kMsgSuccess);
    const auto lines = Features(root, "LineString");
    EXPECT_EQ(Features(root, "Point").size(), 14u);
    EXPECT_EQ(lines.size(), 51u);
    EXPECT_EQ(root["notDrawn"]["lines"].number, 0);
    ExpectLinesEndAtTheirStations(root);
    for (const Json* line : lines) {
        const Json& p = (*line)["properties"];
        const std::vector<std::string> expected =
            p["line"].number == 43 ? std::vector<std::string>{"marked rejected, written as a comment"}
                                   : std::vector<std::string>{};
        EXPECT_EQ(Texts(p["warnings"]), expected) << p["line"].number;
    }
}

TEST(GeoJson, TrainingProjectWithItsSerfil) {
    GeoJob job;
    const Json root = job.Run(kSamples + "serfil", kSamples + "bfile", kSamples + "gfile");
    ASSERT_EQ(job.platform.shown.at(0).number, kMsgSuccess);
    EXPECT_EQ(job.finished, 0);
    EXPECT_EQ(root["type"].text, "FeatureCollection");
    for (const Json& feature : root["features"].items) {
        EXPECT_EQ(feature["type"].text, "Feature");
        EXPECT_EQ(feature["properties"]["warnings"].kind, Json::kArray);
    }
    const auto points = Features(root, "Point");
    const auto lines = Features(root, "LineString");
    EXPECT_EQ(points.size(), 14u);
    EXPECT_EQ(lines.size(), 44u);  // of 51 vectors: seven end at DSVW or DOBY
    EXPECT_EQ(root["features"].items.size(), 14u + 44u);
    EXPECT_EQ(root["notDrawn"]["lines"].number, 7);
    EXPECT_EQ(root["notDrawn"]["positions"].number, 0);
    EXPECT_EQ(Texts(root["notDrawn"]["endPointsNotInBFile"]["names"]),
              (std::vector<std::string>{"DSVW", "DOBY"}));
    ExpectLinesEndAtTheirStations(root);

    // Line 290: "*80*0008" (SERFIL: B490) at 35154794311N 112012180345W, packed DMS:
    //   35 deg 15' 47.94311"  = 35 + 15/60 + 47.94311/3600 = 35.2633175305... -> 35.263317531
    //   112 deg 01' 21.80345" = 112 + 1/60 + 21.80345/3600 = 112.0227231805... -> west, negative
    // Line 291: "*86*" heights in mm, orthometric "2136215", geoid blank, ellipsoidal "2112757".
    const Json& b490 = *points[0];
    EXPECT_EQ(b490["properties"]["name"].text, "B490");
    EXPECT_EQ(b490["properties"]["line"].number, 290);
    EXPECT_EQ(Texts(b490["geometry"]["coordinates"]),
              (std::vector<std::string>{"-112.022723181", "35.263317531"}));
    EXPECT_EQ(b490["properties"]["orthometricHeight"].text, "2136.2150");
    EXPECT_EQ(b490["properties"]["geoidHeight"].text, "0.0000");
    EXPECT_EQ(b490["properties"]["ellipsoidalHeight"].text, "2112.7570");

    // Every "*86*" leaves the geoid height blank; 0013 and 0014 arrive in the vectors as DOBY
    // and DSVW, so no vector reaches them.
    for (const Json* point : points) {
        const std::string name = (*point)["properties"]["name"].text;
        std::vector<std::string> expected{kBlankHeight};
        if (name == "0013" || name == "0014") expected.push_back("station not observed: " + name);
        EXPECT_EQ(Texts((*point)["properties"]["warnings"]), expected) << name;
    }

    // The first vector drawn: line 5, vector 2 of its set, 0011 (SIGN) to 0006 (ABYS),
    // DX "  117096685" at 0.1 mm.
    const Json& first = (*lines[0])["properties"];
    EXPECT_EQ(first["record"].text, "C");
    EXPECT_EQ(first["line"].number, 5);
    EXPECT_EQ(first["vector"].number, 2);
    EXPECT_EQ(first["from"].text, "SIGN");
    EXPECT_EQ(first["to"].text, "ABYS");
    EXPECT_EQ(first["dx"].text, "11709.66850");
    EXPECT_TRUE(first["warnings"].items.empty());
}

// Lines 1-4 make three points, 0001 twice (the first places the lines); 5-7 draw observations.
const std::string kBFile =
    Rec({{1, "000010*80*0001"}, {45, "39000000000N105000000000W001000"}}) +
    Rec({{1, "000020*80*0002"}, {45, "39300000000N105300000000W002000"}}) +
    Rec({{1, "000030*80*0001"}, {45, "40000000000N106000000000W003000"}}) +
    Rec({{1, "000040*86*0002"}, {17, "0012345"}, {46, "0012000"}}) +         // geoid blank
    Rec({{1, "00005R*20*000101"}, {51, "0002"}, {64, "000000000"}}) +        // rejected
    Rec({{1, "000060*30*000101"}, {51, "0009"}, {64, "12000000"}, {72, "0002"}}) +
    Rec({{1, "000070*50*0001"}, {46, "0002"}, {64, "  12345  S0050010"}});  // digits, blanks

// A G record, then one set of three vectors with two C records: its first C line has blanks
// after digits, a D line a term outside the matrix, and the closing D line finds it short.
const std::string kGFile = Rec({{1, "G    0001"}, {22, "-22112345678"}}) +
                           Rec({{1, "B"}, {26, " 3"}}) +
                           Rec({{1, "C00010002"}, {10, " 12345     "}, {21, "    5"}}) +
                           Rec({{1, "C00020001"}, {10, "    1000000"}}) +
                           Rec({{1, "D"}, {2, "400400  1000000"}}) +
                           Rec({{1, "D"}, {2, "  8  9  1000000"}});

TEST(GeoJson, EachRecordDrawsItsLinesWithTheWarningsOfItsLines) {
    GeoJob job;
    WriteFile(job.dir / "bfile", kBFile);
    WriteFile(job.dir / "gfile", kGFile);
    const Json root = job.Run("", job.dir / "bfile", job.dir / "gfile");
    ASSERT_EQ(job.platform.shown.at(0).number, kMsgSuccess);

    const char* const digits = "blanks after the digits of a number";
    const char* const shortSet = "set closed with fewer C/F than its count";
    const char* const outside = "term outside the matrix, not stored";
    struct Expected {
        const char* record;
        int line;
        const char* from;
        const char* to;
        std::vector<std::string> warnings;
    };
    const Expected lines[] = {
        {"*20*", 5, "0001", "0002", {"marked rejected in column 6, converted"}},
        // To the backsight; the foresight 0009 has no "*80*".
        {"*30*", 6, "0001", "0002", {"station has no position: 0009"}},
        {"*50*", 7, "0001", "0002", {digits}},
        {"C", 3, "0001", "0002", {digits, shortSet, outside}},
        {"C", 4, "0002", "0001", {shortSet, outside}},  // vector 3 is empty: not drawn
    };
    const auto drawn = Features(root, "LineString");
    ASSERT_EQ(drawn.size(), std::size(lines));
    for (std::size_t i = 0; i < drawn.size(); ++i) {
        const Json& p = (*drawn[i])["properties"];
        EXPECT_EQ(p["record"].text, lines[i].record) << i;
        EXPECT_EQ(p["line"].number, lines[i].line) << i;
        EXPECT_EQ(p["from"].text, lines[i].from) << i;
        EXPECT_EQ(p["to"].text, lines[i].to) << i;
        EXPECT_EQ(Texts(p["warnings"]), lines[i].warnings) << i;
    }
    ExpectLinesEndAtTheirStations(root);
    EXPECT_EQ(Texts((*drawn[0])["geometry"]["coordinates"][0]),
              (std::vector<std::string>{"-105.000000000", "39.000000000"}));

    const auto points = Features(root, "Point");
    ASSERT_EQ(points.size(), 3u);
    EXPECT_EQ(Texts((*points[0])["properties"]["warnings"]), std::vector<std::string>{});
    EXPECT_EQ(Texts((*points[1])["properties"]["warnings"]),
              std::vector<std::string>{kBlankHeight});
    EXPECT_EQ((*points[2])["properties"]["line"].number, 3);
    EXPECT_EQ(Texts((*points[2])["properties"]["warnings"]),
              std::vector<std::string>{"station of an earlier *80*"});
    EXPECT_EQ(root["notDrawn"]["lines"].number, 2);
    EXPECT_EQ(root["notDrawn"]["positions"].number, 1);
}

TEST(GeoJson, AFailedWriteStopsTheReader) {
    if (!std::filesystem::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
    GeoJob job;
    job.Run(kSamples + "serfil", kSamples + "bfile", kSamples + "gfile", "/dev/full");
    ASSERT_EQ(job.platform.shown.at(0).number, kMsgWriteError);
    EXPECT_EQ(job.finished, kMsgWriteError);
    // The points wait for the end; the first line written is a vector's.
    EXPECT_TRUE(job.report.File(ReportFile::kBFile).complete);
    EXPECT_FALSE(job.report.File(ReportFile::kGFile).complete);
}

}  // namespace
