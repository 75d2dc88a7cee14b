// The console program converting B-files: the example project and a full output device.
#include <gtest/gtest.h>

#include <map>

#include "support/CliSupport.h"

namespace {

const std::string kExamples = std::string(BB_SOURCE_DIR) + "/examples/";

std::vector<std::string> SplitCrLf(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2)
        lines.push_back(text.substr(start, end - start));
    return lines;
}

/// True when `comment` directly precedes `record`.
bool HasRecord(const std::vector<std::string>& lines, const std::string& comment,
               const std::string& record) {
    for (std::size_t i = 1; i < lines.size(); ++i)
        if (lines[i] == record && lines[i - 1] == comment) return true;
    return false;
}

TEST_F(Cli, ConvertsTheExampleBFileWithItsSerfil) {
    const std::string out = dir / "project.txt";
    const RunResult r =
        Run({"-s", kExamples + "serfil", "-b", kExamples + "project.bfl", "-o", out});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "Success - the results are in " + out + "\n");

    const std::vector<std::string> lines = SplitCrLf(ReadFile(out));
    ASSERT_EQ(lines.size(), 50u + 3 * 22);  // the header and 22 records of three lines
    EXPECT_EQ(lines[1], "!B-File Record Type 13");
    EXPECT_EQ(lines[3], "  NAD 83(2011)   ");
    EXPECT_EQ(lines[4], "  6378137.0000");
    EXPECT_EQ(lines[5], "  298.2572221");

    std::map<std::string, int> keywords;
    for (const std::string& line : lines)
        if (line.rfind("$", 0) == 0 && line.find("_COMPACT") != std::string::npos)
            ++keywords[line.substr(0, line.find(';'))];
    const std::map<std::string, int> expected = {
        {"$GEO_COMPACT", 4}, {"$DIR_COMPACT", 2},  {"$HOR_COMPACT", 2},    {"$AZ_COMPACT", 8},
        {"$BEAR_COMPACT", 2}, {"$SURF_COMPACT", 3}, {"$HGTDIFF_COMPACT", 1}};
    EXPECT_EQ(keywords, expected);

    const std::string stations = "!B-File Record Type 80, 85, 86";
    EXPECT_TRUE(HasRecord(lines, stations,
                          "$GEO_COMPACT; MAST; 39.450312345; 0.0000001; -104.591523456; "
                          "0.0000001; 1620.4520; 0.0000001; -16.8210; 0.0000001; 1603.6310; "
                          "0.0000001; 0.0000; 0.0000; 0.0000; 0.0000"));
    EXPECT_TRUE(HasRecord(lines, stations,
                          "$GEO_COMPACT; BASE; 39.443050000; 0.0000001; -105.001275000; "
                          "0.0000001; 1635.1180; 0.0000001; -16.7900; 0.0000001; 1618.3280; "
                          "0.0000001; 3.1200; 0.4500; -1.8700; 0.4500"));
    EXPECT_TRUE(HasRecord(lines, "!B-File Record Type 22",
                          "$DIR_COMPACT; BASE; TOWR; 34.271450; 1.118; NOOBS; NOOBS; NOOBS; "
                          "NOOBS; 1.52000; 1.80000; 1"));
    EXPECT_TRUE(HasRecord(lines, "!B-File Record Type 40",
                          "$AZ_COMPACT; BASE; MAST; NOOBS; NOOBS; 92.145200; 2.000; NOOBS; "
                          "NOOBS; 1.52000; 1.80000"));
    EXPECT_TRUE(HasRecord(lines, "!B-File Record Type 45 (Stand Dev Weighted)",
                          "$HGTDIFF_COMPACT; BASE; PIER; 4.88200; 0.00050"));
    EXPECT_TRUE(HasRecord(lines, "!B-File Record Type 50(S)",
                          "$AZ_COMPACT; BASE; MAST; NOOBS; NOOBS; NOOBS; NOOBS; 2654.32100; "
                          "0.00561; 1.52000; 1.80000"));
    EXPECT_TRUE(HasRecord(lines, "!B-File Record Type 61",
                          "$SURF_COMPACT; MAST; BASE; 225.123050; 0.000; NOOBS; NOOBS"));
}

TEST_F(Cli, BFileOntoAFullDeviceIsAWriteError) {
    if (!std::filesystem::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
    const RunResult r = Run({"-b", kExamples + "project.bfl", "-o", "/dev/full"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "bbook2tellurax: File write error /dev/full: No space left on device\n");
}

}  // namespace
