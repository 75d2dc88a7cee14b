// End-to-end cases: tests/fixtures/<case>/ holds the inputs (any of "serfil", "bfile", "gfile"),
// tests/golden/<case>.txt the output file expected byte for byte. Every case must convert with
// the success message.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "support/TestSupport.h"

namespace {

namespace fs = std::filesystem;

const fs::path kData = BB_TEST_DATA_DIR;

std::vector<std::string> Cases() {
    std::vector<std::string> names;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(kData / "fixtures", error)) {
        if (entry.is_directory()) names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

class Golden : public ::testing::TestWithParam<std::string> {};

TEST_P(Golden, OutputMatchesByteForByte) {
    const fs::path inputs = kData / "fixtures" / GetParam();
    const fs::path expected = kData / "golden" / (GetParam() + ".txt");
    ASSERT_TRUE(fs::exists(expected)) << expected;
    TempDir dir;
    FakePlatform platform;
    auto input = [&](const char* name) {
        return fs::exists(inputs / name) ? (inputs / name).string() : std::string();
    };
    platform.serfilPath = input("serfil");
    platform.bFilePath = input("bfile");
    platform.gFilePath = input("gfile");
    platform.outputPath = dir / "out.txt";
    BlueBookConverter converter(platform);
    converter.OnConvertData();
    ASSERT_EQ(platform.shown.size(), 1u);
    EXPECT_EQ(platform.shown[0].text, "Success - the results are in " + platform.outputPath);
    EXPECT_EQ(ReadFile(platform.outputPath), ReadFile(expected.string()));
}

INSTANTIATE_TEST_SUITE_P(Cases, Golden, ::testing::ValuesIn(Cases()),
                         [](const ::testing::TestParamInfo<std::string>& info) {
                             std::string name = info.param;
                             for (char& c : name)
                                 if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
                             return name;
                         });

}  // namespace
