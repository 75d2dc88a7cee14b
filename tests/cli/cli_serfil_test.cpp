// The console program with a SERFIL file: failures are reported before the output is touched.
#include <gtest/gtest.h>

#include "support/CliSupport.h"

namespace {

TEST_F(Cli, SerfilThatCannotBeOpenedLeavesTheOutputUntouched) {
    const std::string folder = dir / "folder";
    std::filesystem::create_directory(folder);
    const std::string out = MakeFile("out.txt", "earlier results\r\n");
    const RunResult r = Run({"-s", folder, "-g", MakeFile("g", ""), "-o", out});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "bbook2tellurax: Cannot open file " + folder + ": Is a directory\n");
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(ReadFile(out), "earlier results\r\n");
}

TEST_F(Cli, RealSerfilNamesReplaceTheSerialNumbersOfStations) {
    const std::string serfil =
        std::string(BB_TEST_DATA_DIR) + "/data/samples/noaa-ngs-adjust/serfil";
    // Serial number 0009 is listed in the sample (as B61_), 0013 is not.
    const std::string b = MakeFile(
        "b", "000050*80*0009B 61                          36000000000N112000000000W\r\n"
             "000060*80*0013NOT LISTED                    36000000000N112000000000W\r\n");
    const std::string out = dir / "out.txt";
    const RunResult r = Run({"-s", serfil, "-b", b, "-o", out});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "Success - the results are in " + out + "\n");
    const std::string output = ReadFile(out);
    EXPECT_NE(output.find("\r\n$GEO_COMPACT; B61_; 36.000000000; "), std::string::npos);
    EXPECT_NE(output.find("\r\n$GEO_COMPACT; 0013; 36.000000000; "), std::string::npos);
    EXPECT_EQ(output.find("; 0009;"), std::string::npos);
}

}  // namespace
