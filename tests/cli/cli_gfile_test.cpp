// The console program with a G-file only: the job writes the header, then the G-file records.
#include <gtest/gtest.h>

#include "support/CliSupport.h"

namespace {

TEST_F(Cli, GFileOnlyWritesTheHeaderWithAnEmptyCommentThenTheRecords) {
    const std::string g = MakeFile("g",
                                   "B2009 525 0 02009 5252359 1\n"
                                   "C00010002     100000   10    -200000   20     300000   30\n"
                                   "G    0001             12345678901  -1234567890            0"
                                   "    1    2    3\n"
                                   "D  2  3  1000000\n");
    const std::string out = dir / "out.txt";
    const RunResult r = Run({"-g", g, "-o", out});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "Success - the results are in " + out + "\n");
    // The 50 header lines of the default datum: the second one is the empty comment, a blank.
    const std::string header =
        ReadFile(std::string(BB_TEST_DATA_DIR) + "/golden/gfile_without_vectors.txt");
    ASSERT_EQ(header.substr(0, 13), "\r\n \r\n$DATUM\r\n");
    EXPECT_EQ(ReadFile(out),
              header + CrLf({"", "!G-File Record Type G",
                             "$CART_COMPACT; 0001; 1234567.89010; 0.0100000; -123456.78900; "
                             "0.0200000; 0.00000; 0.0300000",
                             "", "!G-File Record Type B, C, D",
                             "$GPS_COMPACT; 0001; 0002; 10.00000; -20.00000; 30.00000; "
                             "0.000001000000; 0.000000000000; 0.000004000000; 0.000000000000; "
                             "0.000000600000; 0.000009000000"}));
}

}  // namespace
