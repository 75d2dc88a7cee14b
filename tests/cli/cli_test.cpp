// The console program run as a real process: its options, messages and exit statuses.
#include <gtest/gtest.h>

#include "support/CliSupport.h"

namespace {

TEST_F(Cli, SuccessGoesToStandardOutputWithStatusZero) {
    const std::string g = MakeFile("g", "");
    const std::string out = dir / "out.txt";
    const RunResult r = Run({"-g", g, "-o", out});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "Success - the results are in " + out + "\n");
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(ReadFile(out).substr(0, 13), "\r\n \r\n$DATUM\r\n");
}

TEST_F(Cli, LongOptionsAndTheirEqualsFormAreAccepted) {
    const std::string g = MakeFile("g", "");
    const std::string out = dir / "out.txt";
    EXPECT_EQ(Run({"--gfile", g, "--output=" + out}).status, 0);
    EXPECT_EQ(Run({"--gfile=" + g, "--output", out, "--serfil", MakeFile("s", "")}).status, 0);
}

TEST_F(Cli, CatalogueFailureGoesToStandardErrorWithStatusOne) {
    const RunResult r = Run({"-b", dir / "missing", "-o", dir / "out.txt"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "File does not exist " + (dir / "missing") + "\n");
    EXPECT_EQ(r.out, "");
}

TEST_F(Cli, MissingOutputIsACatalogueFailure) {
    const RunResult r = Run({"-g", MakeFile("g", "")});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "Please enter a 'TELLURAX' File name\n");
}

TEST_F(Cli, NothingToConvertIsAUsageErrorWithOneLine) {
    const RunResult r = Run({"-o", dir / "out.txt"});
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.out, "");
    ASSERT_FALSE(r.err.empty());
    EXPECT_EQ(r.err.find('\n'), r.err.size() - 1);
    EXPECT_FALSE(std::filesystem::exists(dir / "out.txt"));
}

TEST_F(Cli, UnknownOptionsAndMissingArgumentsAreUsageErrors) {
    for (const auto& args : std::vector<std::vector<std::string>>{
             {"--frobnicate"}, {"-x", "file"}, {"-o"}, {"--bfile"}, {"stray"}}) {
        const RunResult r = Run(args);
        EXPECT_EQ(r.status, 2) << args[0];
        EXPECT_EQ(r.err.find('\n'), r.err.size() - 1) << args[0];
        EXPECT_EQ(r.out, "");
    }
}

TEST_F(Cli, HelpAndVersion) {
    const RunResult help = Run({"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("--serfil"), std::string::npos);
    EXPECT_EQ(Run({"-h"}).out, help.out);
    const RunResult version = Run({"--version"});
    EXPECT_EQ(version.status, 0);
    EXPECT_NE(version.out.find("3.6.2.24"), std::string::npos);
}

TEST_F(Cli, NamesThatAreNotUtf8AreTakenByteForByte) {
    // Latin-1 bytes, as older Linux systems wrote names: no valid UTF-8 sequence among them.
    const std::string g = MakeFile("vect\xF6rs.gfl", "");
    const std::string out = dir / "r\xE9sultat.txt";
    const std::string json = dir / "r\xE9sum\xE9.json";
    const RunResult r = Run({"-g", g, "-o", out, "--report-json", json});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "Success - the results are in " + out + "\n");
    EXPECT_EQ(ReadFile(out).substr(0, 13), "\r\n \r\n$DATUM\r\n");
    EXPECT_NE(ReadFile(json).find("\"message\""), std::string::npos);
}

TEST_F(Cli, OutputThatIsAnInputIsRefusedAndTheInputKept) {
    const std::string g = MakeFile("g", "A record\n");
    const RunResult r = Run({"-g", g, "-o", g});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "Output file " + g + " is also an input file\n");
    EXPECT_EQ(ReadFile(g), "A record\n");
}

}  // namespace
