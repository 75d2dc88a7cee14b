// The console program's account of a conversion: -r/--report on standard error after the
// message, --report-json FILE for scripts; without them nothing changes.
#include <gtest/gtest.h>

#include "support/CliSupport.h"

namespace {

// "*AA*" is no observation, "*20*" opens direction set 1, "*22*" continues set 2: skipped.
// The to-station stands in columns 51 to 54.
const std::string kBFile = "000010*AA*X\n"
                           "000020*20*000101" + std::string(34, ' ') + "0002\n"
                           "000030*22*000102" + std::string(34, ' ') + "0002\n";

TEST_F(Cli, ReportFollowsTheMessageAndLeavesTheOutputAlone) {
    const std::string b = MakeFile("b", kBFile);
    const std::string plain = dir / "plain.txt";
    const std::string reported = dir / "reported.txt";
    const RunResult without = Run({"-b", b, "-o", plain});
    const RunResult with = Run({"-b", b, "-o", reported, "--report"});

    EXPECT_EQ(without.err, "");
    EXPECT_EQ(with.status, 0);
    EXPECT_EQ(with.out, "Success - the results are in " + reported + "\n");
    EXPECT_EQ(ReadFile(plain), ReadFile(reported));
    EXPECT_FALSE(ReadFile(plain).empty());
    // The direction names stations no "*80*" record places: both are to check.
    const std::string expected =
        "Conversion report\n"
        "To check\n"
        "  station has no position: 2\n"
        "      B-file line 2  0001\n"
        "      B-file line 2  0002\n"
        "B-file  " + b + "\n"
        "  3 lines\n"
        "  record   converted   skipped\n"
        "  *20*  " + std::string(11, ' ') + "1" + std::string(9, ' ') + "0\n"
        "  *22*  " + std::string(11, ' ') + "0" + std::string(9, ' ') + "1\n"
        "      continues another set" + std::string(11, ' ') + "1  line 3\n"
        "  *AA*  " + std::string(11, ' ') + "0" + std::string(9, ' ') + "1\n"
        "      record type not converted" + std::string(7, ' ') + "1  line 1\n"
        "  warnings\n"
        "      station has no position       2  line 2  \"0001\", \"0002\"\n"
        "Written: stations 0, observations 1, vectors 0, positions 0\n";
    EXPECT_EQ(with.err, expected);
}

TEST_F(Cli, AFailureIsFollowedByTheAccountOfWhatWasRead) {
    const RunResult r = Run({"-r", "-b", dir / "missing", "-o", dir / "out.txt"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "bbook2tellurax: File does not exist " + (dir / "missing") +
                         "\nConversion report\n"
                         "Written: stations 0, observations 0, vectors 0, positions 0\n");
}

TEST_F(Cli, JsonReportIsWrittenToItsFileOnly) {
    const std::string b = MakeFile("b", kBFile);
    const std::string json = dir / "report.json";
    const RunResult r = Run({"-b", b, "-o", dir / "out.txt", "--report-json=" + json});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, "");
    const std::string text = ReadFile(json);
    EXPECT_EQ(text.substr(0, 35), "{\n  \"format\": 3,\n  \"message\": 1601,");
    EXPECT_NE(text.find("{\"reason\": \"other-set\", \"text\": \"continues another set\", "
                        "\"count\": 1, \"lines\": [3]}"),
              std::string::npos)
        << text;

    // The separate form, together with the summary.
    const std::string json2 = dir / "report2.json";
    const RunResult both = Run({"-b", b, "-o", dir / "out.txt", "--report-json", json2, "-r"});
    EXPECT_EQ(ReadFile(json2), text);
    EXPECT_EQ(both.err.substr(0, 18), "Conversion report\n");
}

TEST_F(Cli, ReportOptionMistakesAreReported) {
    const std::string b = MakeFile("b", kBFile);
    const RunResult noName = Run({"-b", b, "-o", dir / "out.txt", "--report-json"});
    EXPECT_EQ(noName.status, 2);
    EXPECT_EQ(Run({"-b", b, "-o", dir / "out.txt", "--report-json="}).status, 2);

    // A report that cannot be written fails the run, after the conversion, with the reason.
    const std::string unwritable = dir / "no-such-folder/report.json";
    const RunResult r = Run({"-b", b, "-o", dir / "out.txt", "--report-json", unwritable});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "bbook2tellurax: Cannot open file " + unwritable +
                         ": No such file or directory\n");
    EXPECT_EQ(r.out, "");
}

}  // namespace

namespace {

/// Every text between `open` and `close` in `text`, in order.
std::vector<std::string> Between(const std::string& text, const std::string& open,
                                 const std::string& close) {
    std::vector<std::string> found;
    for (std::size_t at = text.find(open); at != std::string::npos; at = text.find(open, at)) {
        at += open.size();
        const std::size_t end = text.find(close, at);
        if (end == std::string::npos) break;
        found.push_back(text.substr(at, end - at));
    }
    return found;
}

// The training project as KML: its 14 stations and 51 vectors (read the NGS way every vector
// ends at a B-file station), the one NGS rejected in its own style.
TEST_F(Cli, KmlOfTheTrainingProjectReadsBack) {
    const std::string training = BB_TEST_DATA_DIR "/data/samples/noaa-ngs-adjust/";
    const std::string kml = dir / "net.kml";
    ASSERT_EQ(Run({"-s", training + "serfil", "-b", training + "bfile", "-g", training + "gfile",
                   "-o", dir / "out.txt", "--kml", kml})
                  .status,
              0);
    const std::string text = ReadFile(kml);
    EXPECT_EQ(text.rfind("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<kml xmlns=\"http://www.opengis.net/kml/2.2\">", 0), 0u);
    EXPECT_EQ(Between(text, "<Point>", "</Point>").size(), 14u);
    const std::vector<std::string> lines = Between(text, "<LineString>", "</LineString>");
    EXPECT_EQ(lines.size(), 51u);
    EXPECT_EQ(Between(text, "<styleUrl>#rejected</styleUrl>", "<").size(), 1u);
    // B490, line 290: 35 15 47.94311 N 112 01 21.80345 W, in decimal degrees, lon,lat.
    const std::vector<std::string> names = Between(text, "<Placemark><name>", "</name>");
    const std::vector<std::string> points = Between(text, "<Point>", "</Point>");
    ASSERT_EQ(names.size(), 65u);
    EXPECT_EQ(names[51], "B490");
    EXPECT_NE(points[0].find("<coordinates>-112.022723181,35.263317531</coordinates>"),
              std::string::npos)
        << points[0];
    const std::string end = "</Folder>\n</Document>\n</kml>\n";
    EXPECT_EQ(text.substr(text.size() - end.size()), end);
    // GDAL reads it as two layers: the lines and the stations.
    if (std::system("command -v ogrinfo >/dev/null") != 0) GTEST_SKIP() << "no ogrinfo";
    const RunResult info = RunCommand("ogrinfo -ro -al -so " + Quote(kml));
    EXPECT_EQ(info.status, 0) << info.err;
    EXPECT_NE(info.out.find("Layer name: Observations and vectors"), std::string::npos);
    EXPECT_NE(info.out.find("Feature Count: 51"), std::string::npos) << info.out;
    EXPECT_NE(info.out.find("Layer name: Stations"), std::string::npos);
    EXPECT_NE(info.out.find("Feature Count: 14"), std::string::npos) << info.out;
}

}  // namespace
