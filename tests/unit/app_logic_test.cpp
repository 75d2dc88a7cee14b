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

struct Placement {
    int refLeft, refTop, refRight, refBottom, width, height, screenWidth, screenHeight;
    int x, y;
};

TEST(PlaceCenteredDialog, CentresOnTheReferenceAndKeepsClearOfTheEdges) {
    const Placement cases[] = {
        // Centred on the desktop of a 1024 x 768 screen.
        {0, 0, 1024, 768, 500, 400, 1024, 768, 262, 184},
        // Odd differences truncate toward zero, also when negative: -101 / 2 is -50.
        {0, 0, 1025, 769, 500, 400, 1025, 769, 262, 184},
        {500, 400, 599, 499, 200, 200, 1024, 768, 450, 350},
        // Left of or above the screen: 2 pixels in.
        {-100, -300, 100, 100, 400, 500, 1024, 768, 2, 2},
        // Past the right edge: 2 pixels short of it.
        {800, 0, 1000, 200, 300, 100, 1024, 768, 722, 50},
        // Past the bottom edge.
        {0, 600, 200, 800, 100, 300, 1024, 768, 50, 466},
        // Taller than the screen: the top ends at screen height - h - 2, negative.
        {0, 0, 1024, 768, 500, 900, 1024, 768, 262, -134},
        // Wider than the screen: the left edge is not brought back to 2.
        {0, 0, 800, 600, 900, 300, 800, 600, -102, 150},
    };
    for (const Placement& c : cases) {
        const ScreenPoint p = PlaceCenteredDialog(c.refLeft, c.refTop, c.refRight, c.refBottom,
                                                  c.width, c.height, c.screenWidth, c.screenHeight);
        EXPECT_EQ(p.x, c.x) << "reference " << c.refLeft << "," << c.refTop << " dialog " << c.width;
        EXPECT_EQ(p.y, c.y) << "reference " << c.refLeft << "," << c.refTop << " dialog " << c.height;
    }
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

TEST(WithCrLf, EndsEveryLineWithCrLfOnce) {
    EXPECT_EQ(WithCrLf("Conversion report\nSERFIL  serfil\n"), "Conversion report\r\nSERFIL  serfil\r\n");
    EXPECT_EQ(WithCrLf("\n\na\r\nb"), "\r\n\r\na\r\nb");
    EXPECT_EQ(WithCrLf(""), "");
}

}  // namespace
