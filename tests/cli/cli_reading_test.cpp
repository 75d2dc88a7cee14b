// The two readings through the console program. --classic reads literally, as earlier releases
// did; on the hand-made golden cases both readings write the golden bytes, and on NGS's own
// samples the NGS reading changes exactly the lines listed here, each worked out from its
// records: names from "*25*" records, the millimetre digits of Ex4's heights, the geoid heights
// the training project leaves blank, its rejected vector.
#include <gtest/gtest.h>

#include <utility>

#include "support/CliSupport.h"

namespace {

const std::string kSamples = BB_TEST_DATA_DIR "/data/samples/";


TEST_F(Cli, BothReadingsWriteTheGoldenCasesByteForByte) {
    const std::string fixtures = BB_TEST_DATA_DIR "/fixtures/";
    for (const char* name : {"bfile_datum_and_stations", "bfile_all_observation_types",
                             "gfile_correlation_set_and_position",
                             "gfile_covariance_set_with_wide_vector", "gfile_without_vectors"}) {
        const std::string folder = fixtures + name + "/";
        std::vector<std::string> args;
        for (const char* input : {"serfil", "bfile", "gfile"}) {
            if (!std::filesystem::exists(folder + input)) continue;
            args.insert(args.end(), {std::string("--") + input, folder + input});
        }
        args.insert(args.end(), {"-o", dir / "out.txt", "-q"});
        const std::string golden = ReadFile(BB_TEST_DATA_DIR "/golden/" + std::string(name) + ".txt");
        EXPECT_EQ(Run(args).status, 0) << name;
        EXPECT_EQ(ReadFile(dir / "out.txt"), golden) << name;
        args.push_back("--classic");
        EXPECT_EQ(Run(args).status, 0) << name;
        EXPECT_EQ(ReadFile(dir / "out.txt"), golden) << name << " --classic";
    }
}

TEST_F(Cli, OnNgsSamplesTheNgsReadingChangesTheseLinesAndNoOthers) {
    struct Change {
        std::string literal, ngs;  // how the line starts in each reading
        std::string ngsHolds;      // what the NGS line holds besides
    };
    const auto renamed = [](const char* serial, const char* id) {
        return Change{std::string("$GEO_COMPACT; ") + serial + ";",
                      std::string("$GEO_COMPACT; ") + id + ";", ""};
    };
    // The training project's *86* records leave N blank: N = h - H, and h follows it.
    const auto geoid = [](const char* name, const char* id, const char* n, const char* h) {
        return Change{std::string("$GEO_COMPACT; ") + name + ";",
                      std::string("$GEO_COMPACT; ") + id + ";",
                      std::string("; 0.0000001; ") + n + "; 0.0000001; " + h + "; 0.0000001; "};
    };
    const std::string adjust = kSamples + "noaa-ngs-adjust/";
    const std::string htdp = kSamples + "noaa-ngs-HTDP/";
    const struct {
        std::vector<std::string> args;
        std::vector<Change> changes;  // in file order
    } cases[] = {
        // 0013 and 0014 are missing from the SERFIL file: their *25* IDs; every geoid height
        // is h - H of its *86* record (B490: 2112.757 - 2136.215 = -23.458); line 43 has "R"
        // in column 58.
        {{"-s", adjust + "serfil", "-b", adjust + "bfile", "-g", adjust + "gfile"},
         {geoid("B490", "B490", "-23.4580", "2112.7570"),
          geoid("B61_", "B61_", "-23.6140", "1826.4660"),
          geoid("V488", "V488", "-25.2350", "1572.1520"),
          geoid("0013", "DOBY", "-23.4080", "1801.3590"),
          geoid("APEX", "APEX", "-22.9510", "1965.6290"),
          geoid("C62_", "C62_", "-23.1240", "2178.1670"),
          geoid("6866", "6866", "-23.0980", "2068.9350"),
          geoid("0014", "DSVW", "-23.2270", "2263.3430"),
          geoid("ABYS", "ABYS", "-23.0790", "2054.4800"),
          geoid("SIGN", "SIGN", "-23.1870", "2042.3800"),
          geoid("AZPG", "AZPG", "-23.4950", "1302.7390"),
          geoid("FERN", "FERN", "-24.5280", "1768.7190"),
          geoid("FRED", "FRED", "-22.1510", "1530.5010"),
          geoid("FST5", "FST5", "-23.0270", "2137.1700"),
          {"!G-File Record Type B, C, D", "!G-File Record Type B, C, D (rejected: R in column 58)",
           ""},
          {"$GPS_COMPACT; ABYS; DSVW; 29027.40070;", "!$GPS_COMPACT; ABYS; DSVW; 29027.40070;",
           ""}}},
        // No SERFIL file: every station takes its *25* ID.
        {{"-b", adjust + "bfile.fnl"},
         {renamed("0008", "B490"), renamed("0009", "B61_"), renamed("0012", "V488"),
          renamed("0013", "DOBY"), renamed("0007", "APEX"), renamed("0010", "C62_"),
          renamed("0005", "6866"), renamed("0014", "DSVW"), renamed("0006", "ABYS"),
          renamed("0011", "SIGN"), renamed("0001", "AZPG"), renamed("0002", "FERN"),
          renamed("0003", "FRED"), renamed("0004", "FST5")}},
        // "  4241 " and "  5147 ": 42.410 m and 51.470 m.
        {{"-b", htdp + "Ex4_bfile", "-g", htdp + "Ex4_gfile"},
         {renamed("0002", "PNNL"),
          {"$GEO_COMPACT; 0001; 48.003820881; 0.0000001; -122.463305889; 0.0000001; 4.2410;",
           "$GEO_COMPACT; CHCM; 48.003820881; 0.0000001; -122.463305889; 0.0000001; 42.4100;",
           ""},
          renamed("0003", "PTAA"),
          {"$GEO_COMPACT; 0004; 48.311759211; 0.0000001; -122.132578964; 0.0000001; 5.1470;",
           "$GEO_COMPACT; SEDR; 48.311759211; 0.0000001; -122.132578964; 0.0000001; 51.4700;",
           ""},
          renamed("0005", "SSHO"), renamed("0006", "TSWY")}},
        {{"-b", htdp + "Ex4_bfile.out", "-g", htdp + "Ex4_gfile.out"},
         {renamed("0002", "PNNL"), renamed("0001", "CHCM"), renamed("0003", "PTAA"),
          renamed("0004", "SEDR"), renamed("0005", "SSHO"), renamed("0006", "TSWY")}},
        {{"-b", htdp + "wa.bfile.txt", "-g", htdp + "wa.gfile.txt"},
         {renamed("0002", "SEDR"), renamed("0004", "0209"), renamed("0005", "TXY3"),
          renamed("0006", "BVSA")}},
    };
    for (const auto& c : cases) {
        std::vector<std::string> args = c.args;
        args.insert(args.end(), {"-o", dir / "ngs.txt"});
        ASSERT_EQ(Run(args).status, 0) << c.args[1];
        args.back() = dir / "classic.txt";
        args.push_back("--classic");
        ASSERT_EQ(Run(args).status, 0) << c.args[1];
        const std::vector<std::string> ngs = CrLfLines(ReadFile(dir / "ngs.txt"));
        const std::vector<std::string> literal = CrLfLines(ReadFile(dir / "classic.txt"));
        ASSERT_EQ(ngs.size(), literal.size()) << c.args[1];
        std::vector<std::pair<std::string, std::string>> found;
        for (std::size_t i = 0; i < ngs.size(); ++i) {
            if (ngs[i] != literal[i]) found.push_back({literal[i], ngs[i]});
        }
        ASSERT_EQ(found.size(), c.changes.size()) << c.args[1];
        for (std::size_t k = 0; k < found.size(); ++k) {
            const Change& change = c.changes[k];
            EXPECT_EQ(found[k].first.substr(0, change.literal.size()), change.literal);
            EXPECT_EQ(found[k].second.substr(0, change.ngs.size()), change.ngs);
            EXPECT_NE(found[k].second.find(change.ngsHolds), std::string::npos) << found[k].second;
        }
    }
}

}  // namespace
