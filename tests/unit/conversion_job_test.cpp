#include <gtest/gtest.h>

#include <filesystem>
#include <stdexcept>

#include "bluebook/Receiver.h"
#include "support/TestSupport.h"

namespace {

namespace fs = std::filesystem;

std::string Lines(std::initializer_list<std::string> lines) {
    std::string text;
    for (const auto& line : lines) text += line + "\n";
    return text;
}

class ConversionJob : public ::testing::Test {
protected:
    void Run() { converter.OnConvertData(); }

    /// The one message the job showed ("" and a failed expectation when not exactly one).
    std::string Message(int expectedNumber) {
        EXPECT_EQ(platform.shown.size(), 1u);
        if (platform.shown.size() != 1) return {};
        EXPECT_EQ(platform.shown[0].number, expectedNumber);
        return platform.shown[0].text;
    }

    std::string MakeFile(const std::string& name, const std::string& bytes) {
        const std::string path = dir / name;
        WriteFile(path, bytes);
        return path;
    }

    TempDir dir;
    FakePlatform platform;
    BlueBookConverter converter{platform};
};

// --- checks of the names, in their order --------------------------------------------------

TEST_F(ConversionJob, RefusedFetchDoesNothing) {
    platform.refuseFetch = true;
    platform.outputPath = dir / "out.txt";
    platform.gFilePath = MakeFile("g", "");
    Run();
    EXPECT_TRUE(platform.shown.empty());
    EXPECT_FALSE(fs::exists(dir / "out.txt"));
}

TEST_F(ConversionJob, NothingToConvertAsksForABFileOrAGFileAndCreatesNothing) {
    platform.outputPath = dir / "out.txt";
    platform.serfilPath = MakeFile("serfil", "AAAA   0001\n");
    EXPECT_EQ((Run(), Message(1521)), "Please enter a Blue Book 'B' File or 'G' File name");
    EXPECT_FALSE(fs::exists(dir / "out.txt"));
}

TEST_F(ConversionJob, MissingSerfilIsReportedBeforeAnEmptyOutputPath) {
    platform.serfilPath = dir / "nope";
    EXPECT_EQ((Run(), Message(1514)), "File does not exist " + (dir / "nope"));
}

TEST_F(ConversionJob, MissingBFileIsNamedBeforeAMissingGFile) {
    platform.bFilePath = dir / "b-missing";
    platform.gFilePath = dir / "g-missing";
    platform.outputPath = dir / "out.txt";
    EXPECT_EQ((Run(), Message(1514)), "File does not exist " + (dir / "b-missing"));
}

TEST_F(ConversionJob, MissingGFileIsReported) {
    platform.gFilePath = dir / "g-missing";
    platform.outputPath = dir / "out.txt";
    EXPECT_EQ((Run(), Message(1514)), "File does not exist " + (dir / "g-missing"));
}

TEST_F(ConversionJob, EmptyOutputPathAsksForOne) {
    platform.gFilePath = MakeFile("g", "");
    platform.outputPath = " \t ";
    EXPECT_EQ((Run(), Message(1513)), "Please enter a 'TELLURAX' File name");
}

TEST_F(ConversionJob, PathsAreTrimmedAndBlankPathsCountAsEmpty) {
    const std::string g = MakeFile("g", "");
    platform.gFilePath = " \t" + g + "\r\n ";
    platform.outputPath = "  " + (dir / "out.txt") + "\t";
    platform.bFilePath = "   ";
    platform.serfilPath = "\t";
    Run();
    EXPECT_EQ(Message(1601), "Success - the results are in " + (dir / "out.txt"));
    EXPECT_EQ(converter.m_gFilePath, g);
    EXPECT_EQ(converter.m_bFilePath, "");
    EXPECT_TRUE(fs::exists(dir / "out.txt"));
}

// --- files that cannot be opened ------------------------------------------------------------

TEST_F(ConversionJob, DirectoryAsBFilePassesTheExistenceCheckAndCannotBeOpened) {
    fs::create_directory(dir / "folder");
    platform.bFilePath = dir / "folder";
    platform.outputPath = dir / "out.txt";
    EXPECT_EQ((Run(), Message(1516)), "Cannot open file " + (dir / "folder"));
    EXPECT_FALSE(fs::exists(dir / "out.txt"));
}

#ifdef __linux__
TEST_F(ConversionJob, ReadErrorInTheFirstBlockIsAReadErrorOnLine1) {
    // Reading /proc/self/mem from its start fails with an I/O error.
    platform.bFilePath = "/proc/self/mem";
    platform.outputPath = dir / "out.txt";
    EXPECT_EQ((Run(), Message(1518)), "File read error on line 1 - /proc/self/mem");
}
#endif

TEST_F(ConversionJob, UnopenableSerfilLeavesAnExistingOutputUntouched) {
    fs::create_directory(dir / "folder");
    platform.serfilPath = dir / "folder";
    platform.gFilePath = MakeFile("g", "");
    platform.outputPath = MakeFile("out.txt", "keep me");
    EXPECT_EQ((Run(), Message(1516)), "Cannot open file " + (dir / "folder"));
    EXPECT_EQ(ReadFile(dir / "out.txt"), "keep me");
}

/// Truncates a file when the B-file's datum pass has ended, as another program might.
struct TruncateAfterDatumPass : BlueBookReceiver {
    std::string path;
    int Datum(const DatumRecord&) override {
        WriteFile(path, "000010*80*0001\n");
        return 0;
    }
};

// Whatever stops a job once the output is open, every existing file stays as it was, no file
// is created, and no temporary file is left behind.
TEST_F(ConversionJob, AFailedJobLeavesEveryFileAsItWas) {
    const std::string bFile = Lines({"000010*80*0001", "000020*80*0002", "000030*80*0003"});
    const struct {
        const char* what;
        bool truncate;
        std::string gFile;  // a folder name: "folder"
        int message;
    } cases[] = {
        {"an unopenable G-file after a good B-file", false, "folder", 1516},
#ifdef __linux__
        {"a G-file whose first read fails", false, "/proc/self/mem", 1518},
#endif
        {"a B-file truncated between its passes", true, "", 1520},
    };
    for (const auto& c : cases) {
        for (const bool existing : {true, false}) {
            TempDir folder;
            fs::create_directory(folder / "folder");
            FakePlatform fake;
            fake.bFilePath = folder / "b";
            WriteFile(fake.bFilePath, bFile);
            fake.gFilePath = c.gFile == "folder" ? folder / "folder" : c.gFile;
            fake.outputPath = folder / "out.txt";
            if (existing) WriteFile(fake.outputPath, "keep me");
            TruncateAfterDatumPass truncate;
            truncate.path = fake.bFilePath;
            BlueBookConverter job(fake);
            job.OnConvertData(c.truncate ? std::vector<BlueBookReceiver*>{&truncate}
                                         : std::vector<BlueBookReceiver*>{});
            ASSERT_EQ(fake.shown.size(), 1u) << c.what;
            EXPECT_EQ(fake.shown[0].number, c.message) << c.what;
            EXPECT_EQ(fs::exists(fake.outputPath), existing) << c.what;
            if (existing) {
                EXPECT_EQ(ReadFile(fake.outputPath), "keep me") << c.what;
            }
            int files = 0;
            for ([[maybe_unused]] const auto& entry : fs::directory_iterator(folder.path())) ++files;
            EXPECT_EQ(files, existing ? 3 : 2) << c.what;  // b, folder and out.txt
        }
    }
    EXPECT_EQ(CatalogueText(1520), "File %s changed while it was being read");
}

TEST_F(ConversionJob, OutputThatCannotBeCreatedIsReportedAsCannotOpen) {
    platform.gFilePath = MakeFile("g", "");
    platform.outputPath = (dir / "no-such-folder") + "/out.txt";
    EXPECT_EQ((Run(), Message(1516)), "Cannot open file " + platform.outputPath);
}

// --- what the output holds -------------------------------------------------------------------

TEST_F(ConversionJob, GFileOnlyWritesOneHeaderWithAnEmptyComment) {
    platform.gFilePath = MakeFile("g", "");
    platform.outputPath = dir / "out.txt";
    converter.m_recordComment = "left over from an earlier job";
    Run();
    EXPECT_EQ(Message(1601), "Success - the results are in " + (dir / "out.txt"));
    const std::string out = ReadFile(dir / "out.txt");
    EXPECT_EQ(out.substr(0, 13), "\r\n \r\n$DATUM\r\n");
    EXPECT_EQ(out.size(), 835u);  // the 50 header lines (835 bytes) and nothing else
}

TEST_F(ConversionJob, BFileAndGFileTogetherWriteExactlyOneHeader) {
    platform.bFilePath = MakeFile("b", "");
    platform.gFilePath = MakeFile("g", "");
    platform.outputPath = dir / "out.txt";
    Run();
    Message(1601);
    const std::string out = ReadFile(dir / "out.txt");
    EXPECT_EQ(out.find("$DATUM"), out.rfind("$DATUM"));
    EXPECT_NE(out.find("$DATUM"), std::string::npos);
}

TEST_F(ConversionJob, EveryLineEndsWithCrLf) {
    platform.gFilePath = MakeFile("g", "");
    platform.outputPath = dir / "out.txt";
    Run();
    const std::string out = ReadFile(dir / "out.txt");
    ASSERT_FALSE(out.empty());
    for (std::size_t i = 0; i < out.size(); ++i) {
        if (out[i] == '\n') {
            ASSERT_TRUE(i > 0 && out[i - 1] == '\r') << "at byte " << i;
        }
        if (out[i] == '\r') {
            ASSERT_TRUE(i + 1 < out.size() && out[i + 1] == '\n') << "at byte " << i;
        }
    }
}

TEST_F(ConversionJob, EachJobStartsFromTheDefaultDatum) {
    platform.bFilePath = MakeFile(
        "b", "000010*13*NAD 27                                  63782064002949786982\n");
    platform.outputPath = dir / "out1.txt";
    Run();
    EXPECT_NE(ReadFile(dir / "out1.txt").find("\r\n  NAD 27         \r\n  6378206.4000\r\n"),
              std::string::npos);
    // A second job without a datum record of its own gets the default one, not the first's.
    platform.bFilePath.clear();
    platform.gFilePath = MakeFile("g", "");
    platform.outputPath = dir / "out2.txt";
    Run();
    EXPECT_EQ(platform.shown.size(), 2u);
    EXPECT_NE(ReadFile(dir / "out2.txt").find("\r\n  NAD 83\r\n  6378137.0000\r\n  298.2572221\r\n"),
              std::string::npos);
}

TEST_F(ConversionJob, SerfilListsAreEmptiedAtTheStartOfEveryJob) {
    converter.m_serfilNumbers = {"0001"};
    converter.m_serfilNames = {"NAME"};
    platform.gFilePath = MakeFile("g", "");
    platform.outputPath = dir / "out.txt";
    Run();
    EXPECT_TRUE(converter.m_serfilNumbers.empty());
    EXPECT_TRUE(converter.m_serfilNames.empty());
}

// --- the output must never be one of the inputs ------------------------------------------

TEST_F(ConversionJob, OutputNamingAnInputByAnotherSpellingIsRefused) {
    const std::string g = MakeFile("g", "G-file bytes");
    fs::create_directory(dir / "sub");
    platform.gFilePath = g;
    platform.outputPath = (dir / "sub") + "/../g";
    EXPECT_EQ((Run(), Message(1519)), "Output file " + platform.outputPath +
                                          " is also an input file");
    EXPECT_EQ(ReadFile(g), "G-file bytes");
}

TEST_F(ConversionJob, OutputThatIsAHardLinkToTheBFileIsRefused) {
    const std::string b = MakeFile("b", "B-file bytes");
    std::error_code error;
    fs::create_hard_link(b, dir / "link", error);
    if (error) GTEST_SKIP() << "no hard links here";
    platform.bFilePath = b;
    platform.outputPath = dir / "link";
    Run();
    Message(1519);
    EXPECT_EQ(ReadFile(b), "B-file bytes");
}

TEST_F(ConversionJob, OutputThatIsASymbolicLinkToTheSerfilIsRefused) {
    const std::string s = MakeFile("serfil", "AAAA   0001\n");
    std::error_code error;
    fs::create_symlink(s, dir / "link", error);
    if (error) GTEST_SKIP() << "no symbolic links here";
    platform.serfilPath = s;
    platform.gFilePath = MakeFile("g", "");
    platform.outputPath = dir / "link";
    Run();
    Message(1519);
    EXPECT_EQ(ReadFile(s), "AAAA   0001\n");
}

TEST_F(ConversionJob, NothingToConvertComesBeforeTheSameFileCheck) {
    const std::string s = MakeFile("serfil", "AAAA   0001\n");
    platform.serfilPath = s;
    platform.outputPath = s;
    Run();
    Message(1521);
}

#ifndef _WIN32
TEST_F(ConversionJob, WriteErrorSeenOnlyAtCloseIsAFailureNotSuccess) {
    if (!fs::exists("/dev/full")) GTEST_SKIP();
    platform.gFilePath = MakeFile("g", "");
    platform.outputPath = "/dev/full";
    EXPECT_EQ((Run(), Message(1517)), "File write error /dev/full");
}
#endif

// --- nothing escapes a job --------------------------------------------------------------

TEST_F(ConversionJob, AnythingThrownInsideAJobIsReportedAsMessage1501) {
    struct ThrowingPlatform : FakePlatform {
        bool NameExists(const std::string&) override { throw std::runtime_error("boom"); }
    } throwing;
    throwing.gFilePath = MakeFile("g", "");
    throwing.outputPath = dir / "out.txt";
    BlueBookConverter job(throwing);
    job.OnConvertData();
    ASSERT_EQ(throwing.shown.size(), 1u);
    EXPECT_EQ(throwing.shown[0].number, 1501);
    EXPECT_EQ(throwing.shown[0].text, "Unable to allocate the required memory");
}

// --- message texts -------------------------------------------------------------------------

TEST(MessageText, CatalogueTextsAreFormattedPrintfStyle) {
    EXPECT_EQ(FormatMessageText(CatalogueText(1518), {"12", "/data/job.bfl"}),
              "File read error on line 12 - /data/job.bfl");
    EXPECT_EQ(CatalogueText(1511), "File %s already exists.  Append to it?");
    EXPECT_EQ(CatalogueText(1519), "Output file %s is also an input file");
    EXPECT_EQ(CatalogueText(1600), "");
    EXPECT_EQ(FormatMessageText("100%% of %s", {"it"}), "100% of it");
}

TEST(MessageText, LongTextsKeep259CharactersAndNeverSplitOne) {
    auto repeat = [](const std::string& unit, int n) {
        std::string text;
        for (int i = 0; i < n; ++i) text += unit;
        return text;
    };
    const struct {
        const char* what;
        std::string unit;  // one character
    } cases[] = {
        {"ASCII", "x"},
        {"two-byte letter", "\xC3\xA9"},             // é
        {"three-byte letter", "\xE6\x97\xA5"},      // 日
        {"emoji beyond the BMP", "\xF0\x9F\x98\x80"},
        {"byte that is not UTF-8", "\xFF"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(FormatMessageText("%s", {repeat(c.unit, 300)}), repeat(c.unit, 259)) << c.what;
        EXPECT_EQ(FormatMessageText("%s", {repeat(c.unit, 259)}), repeat(c.unit, 259)) << c.what;
    }
}

}  // namespace
