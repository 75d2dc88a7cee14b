// The name index behind the station look-ups of a conversion: it must find what a scan of the
// lists in file order finds, the first of equal names included, built at once or name by name.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "bluebook/InputFile.h"
#include "bluebook/NameIndex.h"
#include "output/OutputFile.h"
#include "support/TestSupport.h"

namespace {

using Strings = std::vector<std::string>;

TEST(NameIndex, FindsTheFirstEqualNumberByteForByte) {
    const Strings numbers = {"0001", "0002", "0001", "", "A", "0002 ", "a"};
    NameIndex index;
    EXPECT_FALSE(index.IsBuilt());
    index.Build(numbers, numbers.size());
    ASSERT_TRUE(index.IsBuilt());
    EXPECT_EQ(index.Find("0001", numbers), 0);
    EXPECT_EQ(index.Find("0002", numbers), 1);
    EXPECT_EQ(index.Find("", numbers), 3);
    EXPECT_EQ(index.Find("A", numbers), 4);
    EXPECT_EQ(index.Find("0002 ", numbers), 5);  // a trailing blank is part of the number
    EXPECT_EQ(index.Find("a", numbers), 6);      // case counts
    EXPECT_EQ(index.Find("0003", numbers), -1);
    EXPECT_EQ(index.Find("000", numbers), -1);
    EXPECT_EQ(index.Find(" 0001", numbers), -1);
}

TEST(NameIndex, IndexesOnlyTheFirstCountEntries) {
    const Strings numbers = {"0001", "0002", "0003"};
    NameIndex index;
    index.Build(numbers, 2);
    EXPECT_EQ(index.Find("0002", numbers), 1);
    EXPECT_EQ(index.Find("0003", numbers), -1);
    index.Build(numbers, 0);  // nothing to index: not built, finds nothing
    EXPECT_FALSE(index.IsBuilt());
    EXPECT_EQ(index.Find("0001", numbers), -1);
}

TEST(NameIndex, ManyNumbersWithRepeatsAgreeWithTheFirstMatch) {
    // 5,000 numbers; every number k that is a multiple of 7 appears a second time further on.
    Strings numbers;
    std::vector<int> first;
    for (int k = 0; k < 5000; ++k) {
        numbers.push_back(std::to_string(k));
        first.push_back(k);
        if (k % 7 == 0 && k > 0) numbers.push_back(std::to_string(k / 7 * 7 - 7));
    }
    // Built at once, and name by name as a table grows (rehashing as it fills).
    NameIndex index;
    index.Build(numbers, numbers.size());
    NameIndex grown;
    Strings growing;
    for (const std::string& number : numbers) {
        growing.push_back(number);
        grown.Add(growing);
    }
    // Number k stands at position k + (k - 1) / 7 for k > 0: one repeat after each multiple
    // of 7 below it.
    for (int k = 1; k < 5000; ++k) {
        const int expected = k + (k - 1) / 7;
        ASSERT_EQ(numbers[static_cast<std::size_t>(expected)], std::to_string(k));
        EXPECT_EQ(index.Find(std::to_string(k), numbers), expected) << k;
        EXPECT_EQ(grown.Find(std::to_string(k), growing), expected) << k;
    }
    EXPECT_EQ(index.Find("0", numbers), 0);
    EXPECT_EQ(grown.Find("0", growing), 0);
    EXPECT_EQ(index.Find("5000", numbers), -1);
    index.Clear();
    EXPECT_FALSE(index.IsBuilt());
    EXPECT_EQ(index.Find("1", numbers), -1);
}

/// Converts a G-file of one G record (station field 0001, zero position) and returns the name
/// written into its "$CART_COMPACT" line.
std::string CartStation(BlueBookConverter& converter) {
    TempDir dir;
    WriteFile(dir / "gfile", "G    0001\n");
    InputFile in;
    OutputFile out;
    EXPECT_TRUE(in.Open(dir / "gfile"));
    EXPECT_TRUE(out.Open(dir / "out"));
    int counter = 0;
    int result = -1;
    converter.ConvertGFile(in, out, counter, result);
    EXPECT_EQ(result, 0);
    out.Close();
    const std::string text = ReadFile(dir / "out");
    const std::string keyword = "$CART_COMPACT; ";
    const std::size_t at = text.find(keyword);
    if (at == std::string::npos) return "(no record)";
    return text.substr(at + keyword.size(), text.find(';', at + keyword.size()) - at -
                                                 keyword.size());
}

TEST(NameIndex, ConversionUsesTheFirstNameAndListsChangedAfterwardsAreSeen) {
    FakePlatform platform;
    BlueBookConverter converter{platform};
    converter.m_serfilNumbers = {"0002", "0001", "0001"};
    converter.m_serfilNames = {"TWO ", "FRST", "SCND"};
    EXPECT_EQ(CartStation(converter), "FRST");

    // The same list sizes with other contents, set directly after a conversion.
    converter.m_serfilNumbers = {"0001", "0002", "0003"};
    converter.m_serfilNames = {"NEW1", "NEW2", "NEW3"};
    EXPECT_EQ(converter.GetFieldStation(6, 4, "G    0001"), "NEW1");
    EXPECT_EQ(CartStation(converter), "NEW1");

    // More numbers than names: the numbers without a name are not looked up.
    converter.m_serfilNumbers = {"0002", "0001"};
    converter.m_serfilNames = {"TWO "};
    EXPECT_EQ(CartStation(converter), "0001");
}

}  // namespace
