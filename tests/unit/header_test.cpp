#include <gtest/gtest.h>

#include <cstdio>

#include "output/OutputFile.h"
#include "support/TestSupport.h"

namespace {

// The header of a converter in its first state, line by line.
const std::string kDefaultHeader = CrLf({
    "",
    " ",
    "$DATUM",
    "  NAD 83",
    "  6378137.0000",
    "  298.2572221",
    "",
    "$UNITS",
    "M",
    "D",
    "1",
    "",
    "$NETTYP",
    "3",
    "",
    "!Default observation SD's are provided next. They are disabled when set to zero",
    "!Change the values below to alter SD of each observation type which follows",
    "",
    "!Default Azimuth Standard Deviation (SS.sss)",
    "$G_AZ_SD",
    "0.0",
    "",
    "!Default Direction Standard Deviation (SS.sss)",
    "$G_DIR_SD",
    "0.0",
    "",
    "!Default Horizontal Angle Standard Deviation (SS.sss)",
    "$G_HOR_SD",
    "0.0",
    "",
    "!Default Zenith Angle Standard Deviation (SS.sss)",
    "$G_ZEN_SD",
    "0.0",
    "",
    "!Default Chord (Slope) Distance Standard Deviation (M.mmmmm)",
    "$G_CRD_SD",
    "0.0",
    "",
    "!Default Horizontal Distance Standard Deviation (M.mmmmm)",
    "$G_HD_SD",
    "0.0",
    "",
    "!Default Geodesic Distance Standard Deviation (M.mmmmm)",
    "$G_GEODESIC_SD",
    "0.0",
    "",
    "!Default Height Difference Standard Deviation (M.mmmmm)",
    "$G_HGTDIFF_SD",
    "0.0",
    "",
});

class HeaderTest : public ::testing::Test {
protected:
    std::string Write(int& result) {
        const std::string path = dir / "out.txt";
        OutputFile out;
        EXPECT_TRUE(out.Open(path));
        converter.WriteHeader(out, result);
        EXPECT_TRUE(out.Close());
        return ReadFile(path);
    }

    TempDir dir;
    FakePlatform platform;
    BlueBookConverter converter{platform};
};

TEST_F(HeaderTest, DefaultStateGivesTheFiftyLinesByteForByte) {
    int result = -5;
    EXPECT_EQ(Write(result), kDefaultHeader);
    EXPECT_EQ(result, 0);
}

TEST_F(HeaderTest, DatumFieldsAndCommentAreWrittenAsHeld) {
    converter.m_recordComment = "!B-File Record Type 13";
    converter.m_datumName = "NAD 27";
    converter.m_semiMajorAxis = 6378206.4;
    converter.m_inverseFlattening = 298.257223563;
    int result = 0;
    const std::string header = Write(result);
    const std::string start = "\r\n!B-File Record Type 13\r\n$DATUM\r\n  NAD 27\r\n"
                              "  6378206.4000\r\n  298.2572236\r\n\r\n$UNITS\r\n";
    EXPECT_EQ(header.substr(0, start.size()), start);
    EXPECT_EQ(header.size(), kDefaultHeader.size() + 22 - 1);  // longer comment, same lengths
}

TEST_F(HeaderTest, EmptyNameAndZeroAxisAreWrittenWithoutChecks) {
    converter.m_datumName.clear();
    converter.m_semiMajorAxis = 0.0;
    int result = 0;
    const std::string header = Write(result);
    const std::string start = "\r\n \r\n$DATUM\r\n   \r\n  0.0000\r\n  298.2572221\r\n";
    EXPECT_EQ(header.substr(0, start.size()), start);
}

#ifndef _WIN32
TEST_F(HeaderTest, WriteErrorStopsAtTheFirstGroupThatFails) {
    OutputFile out;
    ASSERT_TRUE(out.Open("/dev/full", 0));  // unbuffered: the error shows at once
    int result = 0;
    converter.WriteHeader(out, result);
    EXPECT_EQ(result, 1517);
}
#endif

TEST_F(HeaderTest, ErrorAlreadySetAfterTheFirstGroupSkipsTheRest) {
    // A stream that is open for reading only: every write fails.
    const std::string path = dir / "readonly.txt";
    WriteFile(path, "");
    OutputFile out;
    out.Adopt(std::fopen(path.c_str(), "rb"));
    int result = 0;
    converter.WriteHeader(out, result);
    EXPECT_EQ(result, 1517);
    out.Close();
    EXPECT_EQ(ReadFile(path), "");
}

}  // namespace
