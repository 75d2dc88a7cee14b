// The dialog program's arithmetic and path handling, which need no display.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "app/AppLogic.h"

namespace {

std::string DirectoryOf(const std::string& path) {
    std::string destination = "left over from before";
    return GetDirectoryPart(path, destination);
}

TEST(GetDirectoryPart, KeepsEverythingUpToTheLastBackslash) {
    EXPECT_EQ(DirectoryOf("C:\\Program Files\\BBook\\BBookToTellurax.exe"), "C:\\Program Files\\BBook\\");
    EXPECT_EQ(DirectoryOf("C:\\Survey\\"), "C:\\Survey\\");
    EXPECT_EQ(DirectoryOf("D:\\BBookToTellurax.exe"), "D:\\");
    EXPECT_EQ(DirectoryOf("\\\\server\\share\\job.gfl"), "\\\\server\\share\\");
}

TEST(GetDirectoryPart, ADriveDesignatorGetsABackslash) {
    EXPECT_EQ(DirectoryOf("D:"), "D:\\");
    EXPECT_EQ(DirectoryOf("D:BBookToTellurax.exe"), "D:\\");
}

TEST(GetDirectoryPart, APathWithoutBackslashOrColonBecomesEmpty) {
    EXPECT_EQ(DirectoryOf("BBookToTellurax.exe"), "");
    EXPECT_EQ(DirectoryOf(""), "");
    EXPECT_EQ(DirectoryOf("   "), "");
    // A forward slash is no separator: only the colon stops the walk.
    EXPECT_EQ(DirectoryOf("C:/Survey/job1.gfl"), "C:\\");
}

TEST(GetDirectoryPart, TrimsBlanksAtBothEndsFirst) {
    EXPECT_EQ(DirectoryOf("  C:\\Survey\\job1.gfl \t\r\n"), "C:\\Survey\\");
    EXPECT_EQ(DirectoryOf("\tC:\\Survey\\ "), "C:\\Survey\\");
}

TEST(GetDirectoryPart, WritesIntoAndReturnsTheDestination) {
    std::string destination = "old text";
    std::string& returned = GetDirectoryPart("E:\\a\\b.txt", destination);
    EXPECT_EQ(&returned, &destination);
    EXPECT_EQ(destination, "E:\\a\\");
}

TEST(IconOrigin, CentresTheIconRoundingHalvesUp) {
    const ScreenPoint odd = IconOrigin(100, 51, 32, 32);  // (68 + 1) / 2, (19 + 1) / 2
    EXPECT_EQ(odd.x, 34);
    EXPECT_EQ(odd.y, 10);
    const ScreenPoint even = IconOrigin(32, 32, 32, 32);
    EXPECT_EQ(even.x, 0);
    EXPECT_EQ(even.y, 0);
}

// The dialog's texts, as its string table holds them.
const QuestionTexts kQuestionTexts = {
    "The conversion has %s. Show the conversion report?",
    "%s and %s",
    "no other warnings",
    "1 warning",
    "%s warnings",
    "1 rejected record",
    "%s rejected records",
};

TEST(ReportQuestion, CountsWarningsAndRejectedRecordsInOneSentence) {
    struct Case {
        std::int64_t warnings, rejected;
        const char* question;
    };
    const Case cases[] = {
        {0, 0, ""},  // nothing deserves a look: no question
        {1, 0, "The conversion has 1 warning. Show the conversion report?"},
        {14, 0, "The conversion has 14 warnings. Show the conversion report?"},
        {14, 1, "The conversion has 14 warnings and 1 rejected record. Show the conversion report?"},
        {1, 2, "The conversion has 1 warning and 2 rejected records. Show the conversion report?"},
        {0, 1, "The conversion has no other warnings and 1 rejected record. Show the conversion report?"},
        {0, 3000000000, "The conversion has no other warnings and 3000000000 rejected records. "
                        "Show the conversion report?"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ReportQuestion(kQuestionTexts, Attention{c.warnings, c.rejected}), c.question)
            << c.warnings << " warnings, " << c.rejected << " rejected";
    }
}

TEST(InitialFolder, TakesTheFirstFolderThatExists) {
    const std::set<std::string> folders = {"C:\\Jobs\\North\\", "D:\\", "C:\\Last\\",
                                           "C:\\Users\\Ann\\Documents\\"};
    const auto isFolder = [&folders](const std::string& f) { return folders.count(f) > 0; };
    const std::string last = "C:\\Last", documents = "C:\\Users\\Ann\\Documents";
    struct Case {
        const char* own;
        std::vector<std::string> others;
        const char* lastFolder;
        const char* folder;
    };
    const Case cases[] = {
        {"C:\\Jobs\\North\\bfile", {"D:\\job.gfl"}, last.c_str(), "C:\\Jobs\\North\\"},
        {" D:job.bfl ", {}, last.c_str(), "D:\\"},
        // The field's own path names no folder, or one that is gone: another field's.
        {"", {"", "typed", "C:\\Jobs\\North\\gfile"}, last.c_str(), "C:\\Jobs\\North\\"},
        {"C:\\Gone\\bfile", {"D:\\out.txt"}, last.c_str(), "D:\\"},
        // No field helps: the folder last used, with or without its backslash.
        {"bfile", {"C:\\Gone\\gfile"}, last.c_str(), "C:\\Last\\"},
        {"", {}, "C:\\Last\\", "C:\\Last\\"},
        // Nor the folder last used: Documents.
        {"", {}, "C:\\Removed", "C:\\Users\\Ann\\Documents\\"},
        {"", {}, "", "C:\\Users\\Ann\\Documents\\"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(InitialFolder(c.own, c.others, c.lastFolder, documents, isFolder), c.folder)
            << "field " << c.own;
    }
    EXPECT_EQ(InitialFolder("", {}, "", "", isFolder), "");  // the dialog chooses
}

// A name joined to a folder comes back through `normalize`, marked here with brackets.
TEST(ResolveFieldPaths, TakesRelativeNamesInTheFolderOfTheFirstFullPath) {
    const auto mark = [](const std::string& joined) { return "[" + joined + "]"; };
    const std::string documents = "C:\\Users\\Ann\\Documents";
    struct Case {
        std::vector<std::string> fields;  // SERFIL, B-file, G-file, output
        std::vector<std::string> resolved;
    };
    const Case cases[] = {
        // The B-file's folder, though the SERFIL field comes first on the dialog.
        {{"C:\\S\\serfil", "D:\\B\\job.bfl", "", " projet.txt "},
         {"C:\\S\\serfil", "D:\\B\\job.bfl", "", "[D:\\B\\projet.txt]"}},
        // Else the G-file's (a UNC path is full too), the SERFIL file's; else Documents.
        {{"serfil", "job.bfl", "\\\\nas\\G\\job.gfl", "..\\out.txt"},
         {"[\\\\nas\\G\\serfil]", "[\\\\nas\\G\\job.bfl]", "\\\\nas\\G\\job.gfl", "[\\\\nas\\G\\..\\out.txt]"}},
        {{"F:\\S\\serfil", "job.bfl", "", ""}, {"F:\\S\\serfil", "[F:\\S\\job.bfl]", "", ""}},
        {{"", "job.bfl", "", "C:out.txt"},
         {"", "[C:\\Users\\Ann\\Documents\\job.bfl]", "", "[C:\\out.txt]"}},
        // A leading separator keeps the drive or share; blanks only stay empty.
        {{" \t", "\\\\nas\\jobs\\B\\job.bfl", "/G/job.gfl", "D:\\x\\out.txt"},
         {"", "\\\\nas\\jobs\\B\\job.bfl", "[\\\\nas\\jobs/G/job.gfl]", "D:\\x\\out.txt"}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ResolveFieldPaths(c.fields, documents, mark), c.resolved) << c.fields[3];
    }
    // Nowhere to take a relative name: it stays as typed.
    const std::vector<std::string> alone = {"", "job.bfl", "", "out.txt"};
    EXPECT_EQ(ResolveFieldPaths(alone, "", mark), alone);
}

TEST(FieldOfMessage, FindsTheFieldOfTheFileTheMessageNames) {
    const std::vector<std::string> fields = {"C:\\j\\serfil", "C:\\j\\b", "C:\\j\\b.gfl", "C:\\j\\out.txt"};
    struct Case {
        int number;
        std::string text;
        int field;
    };
    const std::string cut(230, 'x');  // a message cut after 259 characters, inside the path
    const Case cases[] = {
        {1514, "File does not exist C:\\j\\b.gfl", kGFileField},  // longer than the B-file's
        {1518, "File read error on line 12 - C:\\j\\b", kBFileField},
        {1524, "File C:\\j\\serfil looks like a Blue Book 'B' File, not a 'SERFIL' File", kSerfilField},
        {1516, "Cannot open file " + cut + "C:\\j\\b.g", kGFileField},
        {1516, "Cannot open file C:\\elsewhere", -1},
        {1513, "Please enter a 'TELLURAX' File name", kOutputField},
        {1522, "File C:\\j\\b is named for two outputs", kOutputField},
        {1521, "Please enter a Blue Book 'B' File or 'G' File name", kBFileField},
        {1601, "Success - the results are in C:\\j\\out.txt", -1},
    };
    for (const Case& c : cases) EXPECT_EQ(FieldOfMessage(c.number, c.text, fields), c.field) << c.text;
    // The same file in two fields: the first, as the job checks them.
    EXPECT_EQ(FieldOfMessage(1514, "File does not exist C:\\j\\x", {"", "C:\\j\\x", "C:\\j\\x", ""}), kBFileField);
}

TEST(ProposedNames, StemOfTheInputOrOfTheOutput) {
    EXPECT_EQ(StemOf("C:\\ngs\\wa.bfile.txt"), "wa.bfile");
    EXPECT_EQ(StemOf("C:\\ngs\\bfile"), "bfile");
    EXPECT_EQ(StemOf("C:\\ngs.d\\.hidden"), ".hidden");
    EXPECT_EQ(StemOf("D:job.bfl"), "job");

    const std::set<std::string> inputs = {"C:\\ngs\\wa.bfile.txt", "C:\\ngs\\wa.gfile"};
    const auto isInput = [&inputs](const std::string& p) { return inputs.count(p) > 0; };
    EXPECT_EQ(ProposedOutput("C:\\ngs\\bfile", "D:\\g\\gfile", isInput), "C:\\ngs\\bfile.txt");
    EXPECT_EQ(ProposedOutput("C:\\ngs\\wa.bfile.txt", "", isInput), "C:\\ngs\\wa.bfile-tellurax.txt");
    EXPECT_EQ(ProposedOutput("", "D:\\g\\JOB.GFL", isInput), "D:\\g\\JOB.txt");
    EXPECT_EQ(ProposedOutput("", "", isInput), "");

    EXPECT_EQ(ReportPathFor("C:\\jobs\\out.txt"), "C:\\jobs\\out-report.txt");
    EXPECT_EQ(ReportPathFor("C:\\jobs\\north.network.txt"), "C:\\jobs\\north.network-report.txt");
}

TEST(WithCrLf, EndsEveryLineWithCrLfOnce) {
    EXPECT_EQ(WithCrLf("Conversion report\nSERFIL  serfil\n"), "Conversion report\r\nSERFIL  serfil\r\n");
    EXPECT_EQ(WithCrLf("\n\na\r\nb"), "\r\n\r\na\r\nb");
    EXPECT_EQ(WithCrLf(""), "");
}

}  // namespace
