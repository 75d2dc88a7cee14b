// SERFIL station names: loading the file and replacing serial numbers in station fields.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/TestSupport.h"

namespace {

class Serfil : public ::testing::Test {
protected:
    /// Saves `bytes` as the SERFIL file and reads it; returns the result code.
    int Load(const std::string& bytes) {
        converter.m_serfilPath = dir / "serfil";
        WriteFile(converter.m_serfilPath, bytes);
        int result = -1;
        converter.ReadSerfil(counter, result);
        return result;
    }
    std::string Station(int column, int width, const std::string& line) const {
        return std::string(converter.GetFieldStation(column, width, line));
    }
    using Strings = std::vector<std::string>;

    TempDir dir;
    FakePlatform platform;
    BlueBookConverter converter{platform};
    int counter = -1;
};

TEST_F(Serfil, ShortLineMapsItsFourCharacterSerialNumber) {
    ASSERT_EQ(Load("AZPG   0001\n"), 0);
    EXPECT_EQ(converter.m_serfilNames, Strings{"AZPG"});
    EXPECT_EQ(converter.m_serfilNumbers, Strings{"0001"});
    EXPECT_EQ(Station(11, 4, "000020*80*0001"), "AZPG");
    EXPECT_EQ(Station(11, 4, "000020*80*0002"), "0002");  // unmatched: kept as cut
}

TEST_F(Serfil, SerialNumberEndsAtTheBlankAfterIt) {
    // Real files carry the full station name from column 13 on.
    ASSERT_EQ(Load("AZPG   0001 CITY OF PAGE CORS ARP\n"
                   "FST5   0004 FLAGSTAFF 5\n"
                   "LEAD     07 LEADING BLANKS\n"
                   "LONG   12345678901234\n"),
              0);
    EXPECT_EQ(converter.m_serfilNumbers, (Strings{"0001", "0004", "  07", "12345678901"}));
    EXPECT_EQ(converter.m_serfilNames, (Strings{"AZPG", "FST5", "LEAD", "LONG"}));
    EXPECT_EQ(Station(1, 4, "0004"), "FST5");
    EXPECT_EQ(Station(1, 4, "X  07"), "X  0");  // "  07" needs its leading blanks
    EXPECT_EQ(Station(2, 4, "X  07"), "LEAD");
}

TEST_F(Serfil, CommentsBlankLinesAndIndentationAddNoEntries) {
    ASSERT_EQ(Load("! station list\r\n\r\n   \r\n   ! indented\r\n  \tABCD   0002   \r\n"), 0);
    EXPECT_EQ(converter.m_serfilNames, Strings{"ABCD"});
    EXPECT_EQ(converter.m_serfilNumbers, Strings{"0002"});
    EXPECT_EQ(counter, 6);  // five lines and the read that found the end
}

TEST_F(Serfil, LinesShorterThanColumn8HaveAnEmptySerialNumber) {
    ASSERT_EQ(Load("ABCD  X\nXY\n"), 0);
    EXPECT_EQ(converter.m_serfilNames, (Strings{"ABCD", "XY"}));
    EXPECT_EQ(converter.m_serfilNumbers, (Strings{"", ""}));
    // A station field beyond the end of its record line is empty and takes the first name.
    EXPECT_EQ(Station(51, 4, "000030*20*0001"), "ABCD");
    EXPECT_EQ(Station(1, 4, "0001"), "0001");
}

TEST_F(Serfil, FirstOfDuplicateSerialNumbersWins) {
    ASSERT_EQ(Load("FRST   0003\nSCND   0003\n"), 0);
    EXPECT_EQ(converter.m_serfilNumbers.size(), 2u);
    EXPECT_EQ(Station(1, 4, "0003"), "FRST");
}

TEST_F(Serfil, NamesKeepTheirBlanks) {
    ASSERT_EQ(Load("AB     0005\nA B    0006\n"), 0);
    EXPECT_EQ(converter.m_serfilNames, (Strings{"AB  ", "A B "}));
    EXPECT_EQ(Station(1, 4, "0005"), "AB  ");
    EXPECT_EQ(Station(1, 4, "0006"), "A B ");
}

TEST_F(Serfil, ComparisonIsExactInCaseAndBlanks) {
    ASSERT_EQ(Load("NAME   A001\n"), 0);
    EXPECT_EQ(Station(1, 4, "a001"), "a001");
    EXPECT_EQ(Station(1, 5, "A001 X"), "A001 ");  // a trailing blank in the field
    EXPECT_EQ(Station(1, 3, "A001"), "A00");      // a shorter field
    EXPECT_EQ(Station(1, 4, "A001"), "NAME");
}

TEST_F(Serfil, NameIsCutToTheFieldWidth) {
    ASSERT_EQ(Load("NAME   01\n"), 0);
    EXPECT_EQ(Station(1, 2, "01xx"), "NA");
    EXPECT_EQ(Station(3, 2, "xx01"), "NA");
}

TEST_F(Serfil, LastLineWithoutTerminatorIsStored) {
    ASSERT_EQ(Load("AAAA   0001\r\nBBBB   0002"), 0);
    EXPECT_EQ(converter.m_serfilNames, (Strings{"AAAA", "BBBB"}));
    EXPECT_EQ(Station(1, 4, "0002"), "BBBB");
}

TEST_F(Serfil, FileThatCannotBeOpenedGives1516AndEmptyLists) {
    converter.m_serfilNumbers = {"0001"};
    converter.m_serfilNames = {"OLD "};
    for (const std::string& path : {dir / "missing", dir.path().string()}) {
        converter.m_serfilPath = path;
        int result = 0;
        converter.ReadSerfil(counter, result);
        EXPECT_EQ(result, 1516) << path;
        EXPECT_EQ(counter, 0) << path;
        EXPECT_TRUE(converter.m_serfilNumbers.empty());
        EXPECT_TRUE(converter.m_serfilNames.empty());
    }
    EXPECT_EQ(Station(1, 4, "0001"), "0001");
}

TEST_F(Serfil, EveryReadStartsWithEmptyLists) {
    ASSERT_EQ(Load("AAAA   0001\n"), 0);
    ASSERT_EQ(Load("BBBB   0002\n"), 0);
    EXPECT_EQ(converter.m_serfilNames, Strings{"BBBB"});
    EXPECT_EQ(counter, 2);
}

TEST_F(Serfil, RealSampleLoadsOneEntryPerStationLine) {
    converter.m_serfilPath = std::string(BB_TEST_DATA_DIR) + "/data/samples/noaa-ngs-adjust/serfil";
    int result = -1;
    converter.ReadSerfil(counter, result);
    ASSERT_EQ(result, 0);
    EXPECT_EQ(counter, 13);
    const Strings names = {"AZPG", "FERN", "FRED", "FST5", "6866", "ABYS",
                           "APEX", "B490", "B61_", "C62_", "SIGN", "V488"};
    EXPECT_EQ(converter.m_serfilNames, names);
    Strings numbers;
    for (const char* n : {"0001", "0002", "0003", "0004", "0005", "0006", "0007", "0008",
                          "0009", "0010", "0011", "0012"})
        numbers.push_back(n);
    EXPECT_EQ(converter.m_serfilNumbers, numbers);
    // Station fields as a B-file "*80*" record carries them, columns 11 to 14.
    EXPECT_EQ(Station(11, 4, "000100*80*0009B 61"), "B61_");
    EXPECT_EQ(Station(11, 4, "000100*80*0005"), "6866");
    EXPECT_EQ(Station(11, 4, "000100*80*0013"), "0013");
}

}  // namespace
