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
    EXPECT_EQ(r.err, "Cannot open file " + folder + "\n");
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(ReadFile(out), "earlier results\r\n");
}

TEST_F(Cli, RealSerfilLoadsAndTheJobSucceeds) {
    const std::string serfil =
        std::string(BB_TEST_DATA_DIR) + "/data/samples/noaa-ngs-adjust/serfil";
    const std::string out = dir / "out.txt";
    const RunResult r = Run({"-s", serfil, "-g", MakeFile("g", ""), "-o", out});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "Success - the results are in " + out + "\n");
    EXPECT_EQ(r.err, "");
}

}  // namespace
