// The console program run as a real process: its options, messages and exit statuses, pipes,
// and the files it refuses to write.
#include <gtest/gtest.h>

#include "support/CliSupport.h"

namespace {

namespace fs = std::filesystem;

const std::string kExamples = BB_SOURCE_DIR "/examples/";
const std::string kTraining = BB_TEST_DATA_DIR "/data/samples/noaa-ngs-adjust/";

TEST_F(Cli, SuccessGoesToStandardOutputWithStatusZero) {
    const std::string g = MakeFile("g", "");
    const std::string out = dir / "out.txt";
    const RunResult r = Run({"-g", g, "-o", out});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "Success - the results are in " + out + "\n");
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(ReadFile(out).substr(0, 13), "\r\n \r\n$DATUM\r\n");
    // Quiet: nothing on success.
    const RunResult quiet = Run({"-q", "-g", g, "-o", out});
    EXPECT_EQ(quiet.status, 0);
    EXPECT_EQ(quiet.out + quiet.err, "");
}

TEST_F(Cli, LongOptionsTheirEqualsFormAndTheEndOfOptionsAreAccepted) {
    const std::string g = MakeFile("g", "");
    const std::string out = dir / "out.txt";
    EXPECT_EQ(Run({"--gfile", g, "--output=" + out}).status, 0);
    EXPECT_EQ(Run({"--gfile=" + g, "--output", out, "--serfil", MakeFile("s", "")}).status, 0);
    EXPECT_EQ(Run({"-g", g, "-o", out, "--"}).status, 0);
}

TEST_F(Cli, FailuresNameTheProgramAndSayWhy) {
    const std::string g = MakeFile("g", "A record\n");
    const struct {
        std::vector<std::string> args;
        std::string err;
    } cases[] = {
        {{"-b", dir / "missing", "-o", dir / "out.txt"},
         "bbook2tellurax: File does not exist " + (dir / "missing") + "\n"},
        {{"-g", g, "-o", dir / "no-such-folder/out.txt"},
         "bbook2tellurax: Cannot open file " + (dir / "no-such-folder/out.txt") +
             ": No such file or directory\n"},
        {{"-g", g, "-o", g}, "bbook2tellurax: Output file " + g + " is also an input file\n"},
    };
    for (const auto& c : cases) {
        const RunResult r = Run(c.args);
        EXPECT_EQ(r.status, 1) << c.err;
        EXPECT_EQ(r.err, c.err);
        EXPECT_EQ(r.out, "");
    }
    EXPECT_EQ(ReadFile(g), "A record\n");
}

TEST_F(Cli, UsageErrorsHaveStatusTwoAndOneLine) {
    const std::string g = MakeFile("g", "");
    const std::string out = dir / "out.txt";
    const struct {
        std::vector<std::string> args;
        std::string explanation;
    } cases[] = {
        {{}, "missing -o OUTPUT"},
        {{"-g", g}, "missing -o OUTPUT"},
        {{"-g", g, "-o", ""}, "missing -o OUTPUT"},
        {{"-o", out}, "nothing to convert: name a B-file (-b) or a G-file (-g)"},
        {{"-b", "-", "-g", "-", "-o", out}, "standard input (-) can be read for one file only"},
        {{"--frobnicate"}, "unknown option --frobnicate"},
        {{"-x", "file"}, "unknown option -x"},
        {{"-g", g, "-o"}, "option -o needs a file name"},
        {{"-g", g, "-o", out, "--report-json="}, "option --report-json needs a file name"},
        {{"stray"}, "unexpected argument stray"},
        {{"-g", g, "--", "-o", out}, "unexpected argument -o"},
    };
    for (const auto& c : cases) {
        const RunResult r = Run(c.args);
        EXPECT_EQ(r.status, 2) << c.explanation;
        EXPECT_EQ(r.err, "bbook2tellurax: " + c.explanation + " (try --help)\n");
        EXPECT_EQ(r.out, "");
    }
    EXPECT_FALSE(fs::exists(out));
}

TEST_F(Cli, StrictExitsWithThreeWhenTheAccountDeservesALook) {
    const std::string out = dir / "out.txt";
    const std::vector<std::string> examples = {"-s", kExamples + "serfil", "-b",
                                               kExamples + "project.bfl", "-o", out};
    // The training project's "*86*" records leave the geoid height blank: warnings.
    const std::vector<std::string> training = {"-b", kTraining + "bfile", "-o", out};
    const struct {
        std::vector<std::string> args;
        bool strict;
        int status;
    } cases[] = {{examples, false, 0}, {examples, true, 0}, {training, false, 0},
                 {training, true, 3}};
    for (const auto& c : cases) {
        std::vector<std::string> args = c.args;
        if (c.strict) args.push_back("--strict");
        const RunResult r = Run(args);
        EXPECT_EQ(r.status, c.status) << args[1] << (c.strict ? " --strict" : "");
        EXPECT_EQ(r.out, "Success - the results are in " + out + "\n");
    }
}

TEST_F(Cli, StandardInputPipesAndStandardOutputConvertLikeFiles) {
    const std::string b = kExamples + "project.bfl";
    const std::string g = kExamples + "project.gfl";
    const std::string s = kExamples + "serfil";
    ASSERT_EQ(Run({"-s", s, "-b", b, "-g", g, "-o", dir / "files.txt"}).status, 0);
    const std::string expected = ReadFile(dir / "files.txt");

    const RunResult fromStdin = Run({"-s", s, "-b", "-", "-g", g, "-o", dir / "stdin.txt"}, b);
    EXPECT_EQ(fromStdin.status, 0) << fromStdin.err;
    EXPECT_EQ(ReadFile(dir / "stdin.txt"), expected);
    const RunResult fromPipes = RunBash("PROGRAM -s <(cat " + Quote(s) + ") -b <(cat " +
                                        Quote(b) + ") -g <(cat " + Quote(g) + ") -o " +
                                        Quote(dir / "pipes.txt"));
    EXPECT_EQ(fromPipes.status, 0) << fromPipes.err;
    EXPECT_EQ(ReadFile(dir / "pipes.txt"), expected);

    // The output on standard output, byte for byte, and no success line among it.
    const RunResult toStdout = Run({"-s", s, "-b", b, "-g", g, "-o", "-"});
    EXPECT_EQ(toStdout.status, 0);
    EXPECT_EQ(toStdout.out, expected);
    const RunResult json = Run({"-b", b, "-o", dir / "json.txt", "--report-json", "-"});
    EXPECT_EQ(json.out.substr(0, 16), "{\n  \"format\": 2,");
    const RunResult both = Run({"-b", b, "-o", "-", "--report-json", "-"});
    EXPECT_EQ(both.status, 1);
    EXPECT_EQ(both.err, "bbook2tellurax: File - is named for two outputs\n");
}

TEST_F(Cli, NoWrittenFileMayBeAnInputOrAnotherWrittenFile) {
    const std::string b = MakeFile("b", "000010*80*0001\n");
    const std::string g = MakeFile("g", "A\n");
    const std::string out = MakeFile("out.txt", "earlier output\n");
    fs::create_directory(dir / "sub");
    std::error_code error;
    fs::create_hard_link(b, dir / "hard", error);
    fs::create_symlink(g, dir / "soft", error);
    const std::string inputs[] = {"-b", b, "-g", g};
    const struct {
        const char* option;
        std::string path;
        std::string message;
    } cases[] = {
        {"-o", (dir / "sub") + "/../b", "Output file " + (dir / "sub") + "/../b is also an input file"},
        {"-o", dir / "hard", "Output file " + (dir / "hard") + " is also an input file"},
        {"--report-json", dir / "soft", "Output file " + (dir / "soft") + " is also an input file"},
        {"--geojson", g, "Output file " + g + " is also an input file"},
        {"--report-json", (dir / "sub") + "/../out.txt",
         "File " + (dir / "sub") + "/../out.txt is named for two outputs"},
        {"--geojson", dir / "new.json", ""},  // a new file is fine...
        {"--report-json", (dir / "sub") + "/../new.json",  // ...but not named twice
         "File " + (dir / "sub") + "/../new.json is named for two outputs"},
    };
    std::vector<std::string> args(std::begin(inputs), std::end(inputs));
    args.insert(args.end(), {"-o", out});
    for (const auto& c : cases) {
        if (!fs::exists(c.path) && c.message.find("input") != std::string::npos) continue;
        std::vector<std::string> withThis = args;
        if (std::string(c.option) == "-o") withThis[5] = c.path;
        if (std::string(c.option) != "-o") withThis.insert(withThis.end(), {c.option, c.path});
        if (c.message.empty()) {
            args = withThis;  // keep it for the next case
            continue;
        }
        const RunResult r = Run(withThis);
        EXPECT_EQ(r.status, 1) << c.path;
        EXPECT_EQ(r.err, "bbook2tellurax: " + c.message + "\n");
    }
    EXPECT_EQ(ReadFile(b), "000010*80*0001\n");
    EXPECT_EQ(ReadFile(g), "A\n");
    EXPECT_EQ(ReadFile(out), "earlier output\n");
    EXPECT_FALSE(fs::exists(dir / "new.json"));
}

TEST_F(Cli, TwoConversionsAtOnceLeaveOneCompleteOutput) {
    // Two B-files big enough for the runs to overlap, each with its own stations.
    std::string first;
    std::string second;
    for (int i = 0; i < 40000; ++i) {
        const std::string number = std::to_string(10000 + i).substr(1);
        first += "000010*80*" + number + "                              39000000000N105000000000W\n";
        second += "000010*80*" + number + "                              41000000000N107000000000W\n";
    }
    const std::string a = MakeFile("a.bfl", first);
    const std::string b = MakeFile("b.bfl", second);
    ASSERT_EQ(Run({"-b", a, "-o", dir / "a.txt"}).status, 0);
    ASSERT_EQ(Run({"-b", b, "-o", dir / "b.txt"}).status, 0);
    const std::string out = dir / "out.txt";
    const RunResult r = RunBash("PROGRAM -q -b " + Quote(a) + " -o " + Quote(out) + " & PROGRAM -q -b " +
                                Quote(b) + " -o " + Quote(out) + " & wait");
    EXPECT_EQ(r.err, "");
    const std::string written = ReadFile(out);
    EXPECT_TRUE(written == ReadFile(dir / "a.txt") || written == ReadFile(dir / "b.txt"))
        << written.size() << " bytes";
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

}  // namespace
