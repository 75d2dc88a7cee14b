// Hostile and broken input through the console program: every case ends with a clear catalogue
// message or a correct conversion, no crash, and the input files exactly as they were.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <unistd.h>

#include <filesystem>
#include <map>

#include "support/CliSupport.h"

namespace {

namespace fs = std::filesystem;

const std::string kHeaderStart = "\r\n \r\n$DATUM\r\n";

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kSanitized = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool kSanitized = true;
#else
constexpr bool kSanitized = false;
#endif
#else
constexpr bool kSanitized = false;
#endif

class BadInput : public Cli {
protected:
    /// Runs the program and checks that no input it was given changed.
    RunResult RunKeepingInputs(const std::vector<std::string>& args) {
        std::map<std::string, std::string> before;
        for (std::size_t i = 0; i + 1 < args.size(); ++i) {
            if (args[i] == "-s" || args[i] == "-b" || args[i] == "-g") {
                before[args[i + 1]] = ReadFile(args[i + 1]);
            }
        }
        RunResult result = Run(args);
        for (const auto& [path, bytes] : before) {
            EXPECT_EQ(ReadFile(path), bytes) << path << " changed";
        }
        return result;
    }

    static std::size_t Count(const std::string& text, const std::string& what) {
        std::size_t n = 0;
        for (std::size_t at = text.find(what); at != std::string::npos;
             at = text.find(what, at + what.size()))
            ++n;
        return n;
    }

    static std::string Record80(const std::string& name) {
        // Station, latitude 40 12 34.56789 N, longitude 105 01 02.03456 W, elevation 1234.56.
        std::string line(80, ' ');
        line.replace(0, 10, "000010*80*");
        line.replace(10, name.size(), name);
        line.replace(44, 12, "40123456789N");
        line.replace(56, 13, "105010203456W");
        line.replace(69, 6, "123456");
        return line;
    }
};

TEST_F(BadInput, EmptyBlankCommentAndCtrlZFilesGiveTheHeaderOnly) {
    const std::string out = dir / "out.txt";
    for (const std::string& bytes :
         {std::string(), std::string("   \r\n\t\t\n \n"), std::string("! one\r\n  ! two\r\n!"),
          std::string("\x1a*80* after the end of the file\r\n"), std::string(5000, '\n')}) {
        const std::string s = MakeFile("serfil", bytes);
        const std::string b = MakeFile("b", bytes);
        const std::string g = MakeFile("g", bytes);
        const RunResult r = RunKeepingInputs({"-s", s, "-b", b, "-g", g, "-o", out});
        EXPECT_EQ(r.status, 0) << r.err;
        const std::string written = ReadFile(out);
        EXPECT_EQ(written.size(), 835u);  // the 50 header lines
        EXPECT_EQ(written.substr(0, kHeaderStart.size()), kHeaderStart);
    }
}

TEST_F(BadInput, BinaryGarbageWithNulBytesConvertsWithoutHarm) {
    std::string garbage;
    std::uint32_t state = 12345;
    for (int i = 0; i < 200000; ++i) {
        state = state * 1103515245u + 12345u;
        garbage += static_cast<char>(state >> 24);
        if (i % 97 == 0) garbage += '\0';
    }
    const std::string out = dir / "out.txt";
    const RunResult r = RunKeepingInputs({"-s", MakeFile("s", garbage), "-b", MakeFile("b", garbage),
                                          "-g", MakeFile("g", garbage), "-o", out});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(ReadFile(out).substr(0, 2), "\r\n");
}

TEST_F(BadInput, NulByteEndsTheTextOfItsLine) {
    // The station record is cut at the NUL: what follows it on that line is never a record.
    const std::string bfile = Record80("AAAA") + "\r\n" + std::string("x\0", 2) +
                              Record80("BBBB") + "\r\n";
    const std::string out = dir / "out.txt";
    const RunResult r = RunKeepingInputs({"-b", MakeFile("b", bfile), "-o", out});
    EXPECT_EQ(r.status, 0) << r.err;
    const std::string written = ReadFile(out);
    EXPECT_EQ(Count(written, "$GEO_COMPACT"), 1u);
    EXPECT_NE(written.find("$GEO_COMPACT; AAAA; "), std::string::npos);
}

TEST_F(BadInput, HugeLineWithoutTerminatorKeepsMemoryBounded) {
    const std::string b = dir / "b";
    {
        std::FILE* f = std::fopen(b.c_str(), "wb");
        ASSERT_NE(f, nullptr);
        const std::string chunk(1 << 20, 'x');
        for (int i = 0; i < 200; ++i) std::fwrite(chunk.data(), 1, chunk.size(), f);
        std::fclose(f);
    }
    const std::string out = dir / "out.txt";
    const RunResult r = Run({"-b", b, "-o", out});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(ReadFile(out).size(), 835u);
    rusage usage{};
    getrusage(RUSAGE_CHILDREN, &usage);
    RecordProperty("peak_resident_kB", static_cast<int>(usage.ru_maxrss));
    if (!kSanitized) {
        EXPECT_LT(usage.ru_maxrss, 64 * 1024) << "peak resident kB";
    }
    fs::remove(b);
}

TEST_F(BadInput, AMillionStationsAreAllWritten) {
    static const char* kDigits = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ";
    const std::string b = dir / "b";
    {
        std::FILE* f = std::fopen(b.c_str(), "wb");
        ASSERT_NE(f, nullptr);
        for (int i = 0; i < 1000000; ++i) {
            std::string name(4, '0');
            for (int k = 3, n = i; k >= 0; --k, n /= 36) name[k] = kDigits[n % 36];
            const std::string line = Record80(name) + "\r\n";
            std::fwrite(line.data(), 1, line.size(), f);
        }
        std::fclose(f);
    }
    const std::string out = dir / "out.txt";
    const RunResult r = Run({"-b", b, "-o", out});
    EXPECT_EQ(r.status, 0) << r.err;
    const std::string written = ReadFile(out);
    EXPECT_EQ(Count(written, "$GEO_COMPACT"), 1000000u);
    EXPECT_NE(written.find("$GEO_COMPACT; 0000; "), std::string::npos);
    EXPECT_NE(written.find("$GEO_COMPACT; LFLR; "), std::string::npos);  // the last, 999999
}

TEST_F(BadInput, NinetyNineVectorsWithTermsBeyondTheMatrix) {
    std::string g = "B                        99\r\n";
    for (int j = 1; j <= 99; ++j) g += "C00010002      10000   10      20000   20      30000   30\r\n";
    // Terms far outside the 297 x 297 matrix are skipped; the closing term (296, 297) closes.
    g += "D999998  1000000297999  1000000  2  3  1000000\r\n";
    g += "D296297  5000000\r\n";
    const std::string out = dir / "out.txt";
    const RunResult r = RunKeepingInputs({"-g", MakeFile("g", g), "-o", out});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(Count(ReadFile(out), "$GPS_COMPACT"), 99u);
}

TEST_F(BadInput, FieldsWithLettersSignsExponentsAndInfinityText) {
    std::string line = Record80("AAAA");
    line.replace(44, 11, "-1.5e1xxxxx");  // -15 written with a point: -0.0015 packed
    line.replace(69, 6, "nanxxx");
    std::string second = Record80("BBBB");
    second.replace(44, 11, "  +inf     ");  // a sign, then no number: 0
    second.replace(69, 6, "abcdef");  // no number: 0
    const std::string out = dir / "out.txt";
    const RunResult r =
        RunKeepingInputs({"-b", MakeFile("b", line + "\r\n" + second + "\r\n"), "-o", out});
    EXPECT_EQ(r.status, 0) << r.err;
    const std::string written = ReadFile(out);
    EXPECT_NE(written.find("$GEO_COMPACT; AAAA; -0.001500000; "), std::string::npos) << written;
    EXPECT_NE(written.find("$GEO_COMPACT; BBBB; 0.000000000; 0.0000001; -105.010203456; "
                           "0.0000001; 0.0000; "),
              std::string::npos)
        << written;
    // Read literally, "inf" and "nan" are values as earlier releases read them: written as
    // they stand, with a warning.
    const RunResult classic = RunKeepingInputs(
        {"-b", dir / "b", "-o", out, "--classic", "-r", "--strict"});
    EXPECT_EQ(classic.status, 3) << classic.err;
    EXPECT_NE(ReadFile(out).find("$GEO_COMPACT; BBBB; inf; "), std::string::npos);
    EXPECT_NE(classic.err.find("value not finite, written as it stands       2  lines 1, 2"),
              std::string::npos)
        << classic.err;
}

TEST_F(BadInput, UnreadableInputsAndUnwritableOutputs) {
    if (geteuid() == 0) {
        // Permissions do not stop the superuser: use names that cannot be opened instead.
        fs::create_directory(dir / "folder");
        const RunResult input = Run({"-b", dir / "folder", "-o", dir / "out.txt"});
        EXPECT_EQ(input.status, 1);
        EXPECT_EQ(input.err,
                  "bbook2tellurax: Cannot open file " + (dir / "folder") + ": Is a directory\n");
        const RunResult output = Run({"-g", MakeFile("g", ""), "-o", dir / "folder"});
        EXPECT_EQ(output.status, 1);
        EXPECT_EQ(output.err,
                  "bbook2tellurax: Cannot open file " + (dir / "folder") + ": Is a directory\n");
        return;
    }
    const std::string b = MakeFile("b", Record80("AAAA"));
    fs::permissions(b, fs::perms::none);
    const RunResult input = Run({"-b", b, "-o", dir / "out.txt"});
    EXPECT_EQ(input.status, 1);
    EXPECT_EQ(input.err, "bbook2tellurax: Cannot open file " + b + ": Permission denied\n");
    fs::create_directory(dir / "locked");
    fs::permissions(dir / "locked", fs::perms::owner_read | fs::perms::owner_exec);
    const RunResult output = Run({"-g", MakeFile("g", ""), "-o", (dir / "locked") + "/out.txt"});
    EXPECT_EQ(output.status, 1);
    EXPECT_EQ(output.err, "bbook2tellurax: Cannot open file " + (dir / "locked") +
                              "/out.txt: Permission denied\n");
    fs::permissions(dir / "locked", fs::perms::owner_all);
}

TEST_F(BadInput, FullDiskIsAWriteErrorWhereverItStrikes) {
    if (!fs::exists("/dev/full")) GTEST_SKIP();
    std::string manyStations;
    for (int i = 0; i < 3000; ++i) manyStations += Record80("S" + std::to_string(1000 + i).substr(1)) + "\r\n";
    std::string manyVectors = "B                        99\r\n";
    for (int j = 1; j <= 99; ++j) manyVectors += "C00010002      10000   10      20000   20      30000   30\r\n";
    std::string closing;
    for (int k = 0; k < 20; ++k) closing += "D296297  5000000\r\n";
    manyVectors += closing;
    const std::vector<std::vector<std::string>> cases = {
        {"-g", MakeFile("g-small", "")},                        // fails when closed
        {"-b", MakeFile("b-stations", manyStations)},           // fails in the B-file records
        {"-g", MakeFile("g-vectors", manyVectors)},             // fails in the G-file records
        {"-b", MakeFile("b-small", Record80("AAAA")), "-g", MakeFile("g-vectors2", manyVectors)},
    };
    for (auto args : cases) {
        args.insert(args.end(), {"-o", "/dev/full"});
        const RunResult r = RunKeepingInputs(args);
        EXPECT_EQ(r.status, 1) << args[1];
        EXPECT_EQ(r.err, "bbook2tellurax: File write error /dev/full: No space left on device\n")
            << args[1];
        EXPECT_EQ(r.out, "");
    }
}

TEST_F(BadInput, EachNgsSampleConvertsInItsOwnFieldOnly) {
    // Each sample file by the kind it is; "V" is NGS's vertical file, whose records are
    // B-file records of a vertical survey.
    const struct {
        const char* path;
        char kind;  // B, G, S(ERFIL), V(ertical)
    } samples[] = {
        {"noaa-ngs-adjust/bfile", 'B'},       {"noaa-ngs-adjust/bfile.fnl", 'B'},
        {"noaa-ngs-adjust/bfilehc", 'B'},     {"noaa-ngs-adjust/bfilehf", 'B'},
        {"noaa-ngs-adjust/bfilevc", 'B'},     {"noaa-ngs-adjust/bfilevf", 'B'},
        {"noaa-ngs-HTDP/Ex4_bfile", 'B'},     {"noaa-ngs-HTDP/Ex4_bfile.out", 'B'},
        {"noaa-ngs-HTDP/wa.bfile.txt", 'B'},  {"noaa-ngs-adjust/gfile", 'G'},
        {"noaa-ngs-HTDP/Ex4_gfile", 'G'},     {"noaa-ngs-HTDP/Ex4_gfile.out", 'G'},
        {"noaa-ngs-HTDP/wa.gfile.txt", 'G'},  {"noaa-ngs-adjust/serfil", 'S'},
        {"rsignell-usgs-vertcon/type3.dat", 'V'},
    };
    const struct {
        const char* option;
        char kind;
        const char* name;
    } fields[] = {{"-b", 'B', "'B' File"}, {"-g", 'G', "'G' File"}, {"-s", 'S', "'SERFIL' File"}};
    const auto nameOf = [&](char kind) {
        for (const auto& f : fields) {
            if (f.kind == kind || (kind == 'V' && f.kind == 'B')) return std::string(f.name);
        }
        return std::string();
    };
    const std::string partner = std::string(BB_TEST_DATA_DIR) + "/data/samples/noaa-ngs-adjust/bfile";
    const std::string out = dir / "out.txt";
    for (const auto& sample : samples) {
        const std::string path = std::string(BB_TEST_DATA_DIR) + "/data/samples/" + sample.path;
        for (const auto& field : fields) {
            for (const char* reading : {"", "--classic"}) {
                WriteFile(out, "old");
                std::vector<std::string> args = {field.option, path, "-o", out};
                if (field.kind == 'S') args.insert(args.end(), {"-b", partner});
                if (*reading != 0) args.push_back(reading);
                const RunResult r = RunKeepingInputs(args);
                const std::string what = std::string(field.option) + " " + sample.path + " " + reading;
                if (sample.kind == field.kind) {
                    EXPECT_EQ(r.status, 0) << what << r.err;
                    EXPECT_EQ(r.out, "Success - the results are in " + out + "\n") << what;
                    continue;
                }
                std::string message = "File " + path + " looks like a Blue Book " +
                                      nameOf(sample.kind) + ", not a " + field.name;
                if (sample.kind == 'V' && field.kind == 'B') {
                    message = "File " + path + " is a VERTOBS Blue Book file; only horizontal "
                              "(HZTLOBS) files are converted";
                }
                EXPECT_EQ(r.status, 1) << what;
                EXPECT_EQ(r.err, "bbook2tellurax: " + message + "\n") << what;
                EXPECT_EQ(ReadFile(out), "old") << what;
            }
        }
    }
    // Refused before a byte reaches standard output.
    const std::string g = std::string(BB_TEST_DATA_DIR) + "/data/samples/noaa-ngs-adjust/gfile";
    const RunResult swapped = RunKeepingInputs({"-b", g, "-o", "-"});
    EXPECT_EQ(swapped.status, 1);
    EXPECT_EQ(swapped.out, "");
}

TEST_F(BadInput, PathsWithBlanksAndBytesAbove127) {
    const std::string folder = dir / "Vermessung Büro \xe9t\xe9";
    fs::create_directory(folder);
    const std::string b = folder + "/B file.bfl";
    WriteFile(b, Record80("AAAA") + "\r\n");
    const std::string out = folder + "/Ergebnis Datei.txt";
    const RunResult r = RunKeepingInputs({"-b", b, "-o", out});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "Success - the results are in " + out + "\n");
    EXPECT_NE(ReadFile(out).find("$GEO_COMPACT; AAAA; 40.123456789; "), std::string::npos);
}

}  // namespace
