// The B-file reader: datum record, station table, failures of its three passes, and the real
// Blue Book samples. Record-by-record output is pinned by the bfile_* golden cases.
#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "bluebook/BFile.h"
#include "bluebook/InputFile.h"
#include "output/OutputFile.h"
#include "support/TestSupport.h"

namespace {

/// One B-file line: sequence number in columns 1-6, `type` in 7-10, each text at its column.
std::string Record(const char* type, std::initializer_list<std::pair<int, std::string>> fields) {
    std::string line(80, ' ');
    line.replace(0, 6, "000010");
    line.replace(6, 4, type);
    for (const auto& [column, text] : fields) line.replace(column - 1, text.size(), text);
    line.erase(line.find_last_not_of(' ') + 1);
    return line + "\n";
}


/// The lines that start with `prefix`.
std::vector<std::string> LinesStartingWith(const std::string& text, const std::string& prefix) {
    std::vector<std::string> found;
    for (const std::string& line : CrLfLines(text))
        if (line.compare(0, prefix.size(), prefix) == 0) found.push_back(line);
    return found;
}

struct Conversion {
    int result = -1;
    int lineCounter = -1;
    std::string output;
};

Conversion Convert(BlueBookConverter& converter, const std::string& bFile) {
    TempDir dir;
    WriteFile(dir / "bfile", bFile);
    InputFile in;
    OutputFile out;
    Conversion c;
    if (!in.Open(dir / "bfile") || !out.Open(dir / "out")) {
        ADD_FAILURE() << "cannot open the test files";
        return c;
    }
    converter.ConvertBFile(in, out, c.lineCounter, c.result);
    out.Close();
    c.output = ReadFile(dir / "out");
    return c;
}

Conversion Convert(const std::string& bFile) {
    FakePlatform platform;
    BlueBookConverter converter(platform);
    return Convert(converter, bFile);
}

// --- Datum record -------------------------------------------------------------------------------

TEST(BFileDatum, RecordVariantsSetTheHeader) {
    struct Case {
        const char* what;
        std::string record;
        const char* comment;  // header line 2
        const char* name;     // line 4
        const char* axis;     // line 5
        const char* inverse;  // line 6
    };
    const Case cases[] = {
        {"semi-minor axis instead of the inverse flattening",
         Record("*13*", {{11, "NAD 83"}, {51, "6378137000"}, {71, "6356752314"}}),
         "!B-File Record Type 13", "  NAD 83         ", "  6378137.0000", "  298.2572201"},
        {"sphere: semi-minor axis equal to the semi-major axis",
         Record("*13*", {{11, "SPHERE"}, {51, "6371000000"}, {71, "6371000000"}}),
         "!B-File Record Type 13", "  SPHERE         ", "  6371000.0000", "  0.0000000"},
        {"blank semi-major axis: inverse flattening and comment untouched",
         Record("*13*", {{11, "LOCAL GRID"}, {61, "2949786982"}}), " ", "  LOCAL GRID     ",
         "  0.0000", "  298.2572221"},
        {"axis of 1 mm is not greater than 0.001 m",
         Record("*13*", {{11, "TINY"}, {51, "         1"}, {61, "2949786982"}}), " ",
         "  TINY           ", "  0.0010", "  298.2572221"},
        {"Clarke 1866, name running into column 25",
         Record("*13*", {{11, "NORTH AMERICAN DATUM 1927"}, {51, "6378206400"},
                         {61, "2949786982"}}),
         "!B-File Record Type 13", "  NORTH AMERICAN ", "  6378206.4000", "  294.9786982"},
    };
    for (const Case& c : cases) {
        const Conversion conversion = Convert(c.record);
        EXPECT_EQ(conversion.result, 0) << c.what;
        const std::vector<std::string> lines = CrLfLines(conversion.output);
        ASSERT_EQ(lines.size(), 50u) << c.what;
        EXPECT_EQ(lines[1], c.comment) << c.what;
        EXPECT_EQ(lines[3], c.name) << c.what;
        EXPECT_EQ(lines[4], c.axis) << c.what;
        EXPECT_EQ(lines[5], c.inverse) << c.what;
    }
}

TEST(BFileDatum, OnlyTheFirstDatumRecordCounts) {
    const Conversion c =
        Convert(Record("*10*", {{11, "PROJECT"}}) +
                Record("*13*", {{11, "NAD 27"}, {51, "6378206400"}, {61, "2949786982"}}) +
                Record("*13*", {{11, "NAD 83"}, {51, "6378137000"}, {61, "2982572221"}}));
    const std::vector<std::string> lines = CrLfLines(c.output);
    ASSERT_GE(lines.size(), 6u);
    EXPECT_EQ(lines[3], "  NAD 27         ");
    EXPECT_EQ(lines[4], "  6378206.4000");
    EXPECT_EQ(lines[5], "  294.9786982");
}

TEST(BFileDatum, WithoutDatumRecordTheConverterKeepsItsValues) {
    FakePlatform platform;
    BlueBookConverter converter(platform);

    const Conversion empty = Convert(converter, "");
    EXPECT_EQ(empty.result, 0);
    EXPECT_EQ(empty.lineCounter, 1);  // the observation pass read once and found the end
    const std::vector<std::string> header = CrLfLines(empty.output);
    ASSERT_EQ(header.size(), 50u);
    EXPECT_EQ(header[1], " ");
    EXPECT_EQ(header[3], "  NAD 83");
    EXPECT_EQ(header[5], "  298.2572221");

    Convert(converter, Record("*13*", {{11, "NAD 27"}, {51, "6378206400"}, {61, "2949786982"}}));
    // A later B-file without a datum record is written with the datum read before.
    const Conversion later = Convert(converter, Record("*80*", {{11, "0001"}}));
    const std::vector<std::string> lines = CrLfLines(later.output);
    ASSERT_GE(lines.size(), 6u);
    EXPECT_EQ(lines[1], " ");
    EXPECT_EQ(lines[3], "  NAD 27         ");
    EXPECT_EQ(lines[4], "  6378206.4000");
    EXPECT_EQ(lines[5], "  294.9786982");
    EXPECT_EQ(converter.m_recordComment, "!B-File Record Type 80, 85, 86");
}

// --- Station table ------------------------------------------------------------------------------

TEST(BFileStations, FindStationGivesTheFirstExactMatchWithinCount) {
    BFileStationTable table;
    for (const char* name : {"A", "B", "A", "b", "A B"}) table.Append(name);
    const int count = table.Count();
    ASSERT_EQ(count, 5);
    EXPECT_EQ(FindStation("A", table, count), 0);
    EXPECT_EQ(FindStation("B", table, count), 1);
    EXPECT_EQ(FindStation("b", table, count), 3);
    EXPECT_EQ(FindStation("A B", table, count), 4);
    EXPECT_EQ(FindStation("a", table, count), -1);   // case counts
    EXPECT_EQ(FindStation("A ", table, count), -1);  // so does a trailing blank
    EXPECT_EQ(FindStation("", table, count), -1);
    EXPECT_EQ(FindStation("B", table, 1), -1);  // only the first `count` entries are searched
    EXPECT_EQ(FindStation("A", table, 0), -1);
    EXPECT_EQ(FindStation("A", table, -2), -1);
}

TEST(BFileStations, TableGrowsPastAThousandStationsAndKeepsFirstMatch) {
    constexpr int kStations = 2500;
    std::string bFile;
    char name[8];
    for (int i = 0; i < kStations; ++i) {
        std::snprintf(name, sizeof name, "%04d", i);
        bFile += Record("*80*", {{11, name}, {45, "10000000000N"}, {57, "020000000000E"}});
    }
    bFile += Record("*80*", {{11, "0000"}, {45, "11000000000N"}});  // a second entry of 0000
    bFile += Record("*86*", {{11, "2499"}, {17, "0012345"}, {36, "   -500"}, {46, "0011845"}});
    bFile += Record("*86*", {{11, "0000"}, {17, "0001000"}, {46, "0001000"}});
    const Conversion c = Convert(bFile);
    EXPECT_EQ(c.result, 0);
    const std::vector<std::string> stations = LinesStartingWith(c.output, "$GEO_COMPACT");
    ASSERT_EQ(stations.size(), kStations + 1u);
    EXPECT_EQ(stations[0],
              "$GEO_COMPACT; 0000; 10.000000000; 0.0000001; 20.000000000; 0.0000001; 1.0000; "
              "0.0000001; 0.0000; 0.0000001; 1.0000; 0.0000001; 0.0000; 0.0000; 0.0000; 0.0000");
    EXPECT_EQ(stations[kStations - 1],
              "$GEO_COMPACT; 2499; 10.000000000; 0.0000001; 20.000000000; 0.0000001; 12.3450; "
              "0.0000001; -0.5000; 0.0000001; 11.8450; 0.0000001; 0.0000; 0.0000; 0.0000; 0.0000");
    EXPECT_EQ(stations[kStations],
              "$GEO_COMPACT; 0000; 11.000000000; 0.0000001; 0.000000000; 0.0000001; 0.0000; "
              "0.0000001; 0.0000; 0.0000001; 0.0000; 0.0000001; 0.0000; 0.0000; 0.0000; 0.0000");
}

TEST(BFileStations, ShortLinesAndBlankFieldsReadAsZero) {
    // The line ends before the hemisphere and height columns: no letter, no height.
    const Conversion c = Convert(Record("*80*", {{11, "0001"}, {45, "01234567890"}}) +
                                 Record("*85*", {{11, "0001"}, {63, "00150"}}));
    EXPECT_EQ(LinesStartingWith(c.output, "$GEO_COMPACT"),
              std::vector<std::string>{
                  "$GEO_COMPACT; 0001; 1.234567890; 0.0000001; 0.000000000; 0.0000001; 0.0000; "
                  "0.0000001; 0.0000; 0.0000001; 0.0000; 0.0000001; 1.5000; 0.0000; 0.0000; "
                  "0.0000"});
}

// --- Failures -----------------------------------------------------------------------------------

// Two stations and, from line 5 of the file on, two observations.
const std::string kPassesFile =
    Record("*80*", {{11, "0001"}, {45, "10000000000N"}}) +
    Record("*80*", {{11, "0002"}, {45, "20000000000N"}}) + Record("*AA*", {}) +
    Record("*45*", {{11, "0001"}, {51, "0002"}, {64, "000010000"}, {73, "0100"}}) +
    Record("*45*", {{11, "0002"}, {51, "0001"}, {64, "000020000"}, {73, "0100"}});

#if defined(__GLIBC__)
// A stream over text in memory whose reads or rewinds fail on request, so that a failure can be
// placed in any pass of the reader.
struct ScriptedInput {
    std::string text;
    std::size_t position = 0;
    int rewinds = 0;             // seeks to the start that succeeded
    int rewindAttempts = 0;
    int failingRewind = 0;       // the rewind attempt (1, 2, ...) that fails; 0 for none
    int readsFailAfter = 1000;   // reads fail once this many rewinds have been made ...
    std::size_t failAtByte = 0;  // ... and this many bytes of the text have been delivered

    static ssize_t Read(void* cookie, char* buffer, std::size_t size) {
        auto* s = static_cast<ScriptedInput*>(cookie);
        std::size_t end = s->text.size();
        if (s->rewinds >= s->readsFailAfter) {
            if (s->position >= s->failAtByte) {
                errno = EIO;
                return -1;
            }
            end = s->failAtByte;
        }
        const std::size_t n = std::min(size, end - s->position);
        std::memcpy(buffer, s->text.data() + s->position, n);
        s->position += n;
        return static_cast<ssize_t>(n);
    }

    static int Seek(void* cookie, off64_t* offset, int whence) {
        auto* s = static_cast<ScriptedInput*>(cookie);
        if (whence == SEEK_SET && *offset == 0) {
            if (++s->rewindAttempts == s->failingRewind) return -1;
            ++s->rewinds;
            s->position = 0;
        }
        *offset = static_cast<off64_t>(s->position);
        return 0;
    }

    /// Hands the stream to `in`, unbuffered so that every read and seek reaches this object.
    void Attach(InputFile& in) {
        std::FILE* stream = fopencookie(this, "r", {Read, nullptr, Seek, nullptr});
        ASSERT_NE(stream, nullptr);
        std::setvbuf(stream, nullptr, _IONBF, 0);
        in.Adopt(stream);
    }
};

/// An output stream that accepts `limit` bytes and fails every write beyond them.
struct LimitedOutput {
    std::string accepted;
    std::size_t limit = 0;

    static ssize_t Write(void* cookie, const char* buffer, std::size_t size) {
        auto* s = static_cast<LimitedOutput*>(cookie);
        if (s->accepted.size() + size > s->limit) {
            errno = ENOSPC;
            return -1;
        }
        s->accepted.append(buffer, size);
        return static_cast<ssize_t>(size);
    }

    void Attach(OutputFile& out) {
        std::FILE* stream = fopencookie(this, "w", {nullptr, Write, nullptr, nullptr});
        ASSERT_NE(stream, nullptr);
        std::setvbuf(stream, nullptr, _IONBF, 0);
        out.Adopt(stream);
    }
};

std::string StationLine(const char* name, const char* latitude) {
    return std::string("\r\n!B-File Record Type 80, 85, 86\r\n$GEO_COMPACT; ") + name + "; " +
           latitude +
           "; 0.0000001; 0.000000000; 0.0000001; 0.0000; 0.0000001; 0.0000; 0.0000001; 0.0000; "
           "0.0000001; 0.0000; 0.0000; 0.0000; 0.0000\r\n";
}

const std::string kFirstObservation =
    "\r\n!B-File Record Type 45 (Stand Dev Weighted)\r\n"
    "$HGTDIFF_COMPACT; 0001; 0002; 1.00000; 0.00100\r\n";

/// The number of bytes of `text` up to and including its `n`-th line feed.
std::size_t OffsetAfterLine(const std::string& text, int n) {
    std::size_t offset = 0;
    for (int i = 0; i < n; ++i) offset = text.find('\n', offset) + 1;
    return offset;
}

Conversion RunScripted(ScriptedInput& input) {
    TempDir dir;
    InputFile in;
    input.Attach(in);
    OutputFile out;
    EXPECT_TRUE(out.Open(dir / "out"));
    FakePlatform platform;
    BlueBookConverter converter(platform);
    Conversion run;
    converter.ConvertBFile(in, out, run.lineCounter, run.result);
    out.Close();
    run.output = ReadFile(dir / "out");
    return run;
}

TEST(BFileFailures, ReadErrorInTheObservationPassCountsThatPassOnly) {
    ScriptedInput input;
    input.text = kPassesFile;
    input.readsFailAfter = 1;  // the observation pass, after the one rewind
    input.failAtByte = OffsetAfterLine(kPassesFile, 4);
    const Conversion run = RunScripted(input);
    EXPECT_EQ(run.result, 1518);
    EXPECT_EQ(run.lineCounter, 5);  // four lines delivered, the fifth read failed
    const std::vector<std::string> lines = CrLfLines(run.output);
    ASSERT_GT(lines.size(), 50u);
    EXPECT_EQ(run.output.substr(run.output.size() - kFirstObservation.size()), kFirstObservation);
    EXPECT_EQ(LinesStartingWith(run.output, "$GEO_COMPACT").size(), 2u);
}

TEST(BFileFailures, RewindFailureIsAReadError) {
    // The file is read twice: the datum and the stations, then the observations.
    ScriptedInput second;
    second.text = kPassesFile;
    second.failingRewind = 1;
    const Conversion afterStations = RunScripted(second);
    EXPECT_EQ(afterStations.result, 1518);
    const std::vector<std::string> lines = CrLfLines(afterStations.output);
    ASSERT_EQ(lines.size(), 56u);  // the header and two stations, no observation
    const std::string stations =
        StationLine("0001", "10.000000000") + StationLine("0002", "20.000000000");
    EXPECT_EQ(afterStations.output.substr(afterStations.output.size() - stations.size()),
              stations);
}

TEST(BFileFailures, WriteErrorStopsAtTheFailingRecord) {
    FakePlatform platform;
    // Room for the header and the two stations: the first observation fails.
    std::string header;
    {
        BlueBookConverter converter(platform);
        header = Convert(converter, "").output;
    }
    const std::string stations =
        StationLine("0001", "10.000000000") + StationLine("0002", "20.000000000");

    TempDir dir;
    WriteFile(dir / "bfile", kPassesFile);
    InputFile in;
    ASSERT_TRUE(in.Open(dir / "bfile"));
    LimitedOutput sink;
    sink.limit = header.size() + stations.size();
    OutputFile out;
    sink.Attach(out);
    BlueBookConverter converter(platform);
    int lineCounter = -1;
    int result = -1;
    converter.ConvertBFile(in, out, lineCounter, result);
    EXPECT_EQ(result, 1517);
    EXPECT_EQ(sink.accepted, header + stations);
    EXPECT_EQ(lineCounter, 4);  // the pass ended at the failing record on line 4
    EXPECT_EQ(converter.m_recordComment, "!B-File Record Type 45 (Stand Dev Weighted)");
    out.Close();
}
#endif  // __GLIBC__

#ifndef _WIN32
TEST(BFileFailures, ReadErrorOnTheFirstLine) {
    TempDir dir;
    InputFile in;
    in.Adopt(std::fopen(dir.path().string().c_str(), "rb"));  // a folder fails on reading
    OutputFile out;
    ASSERT_TRUE(out.Open(dir / "out"));
    FakePlatform platform;
    BlueBookConverter converter(platform);
    int lineCounter = -1;
    int result = -1;
    converter.ConvertBFile(in, out, lineCounter, result);
    EXPECT_EQ(result, 1518);
    EXPECT_EQ(lineCounter, 1);
    out.Close();
    EXPECT_EQ(ReadFile(dir / "out"), "");
}

TEST(BFileFailures, FullDeviceIsAWriteError) {
    TempDir dir;
    WriteFile(dir / "bfile", kPassesFile);
    InputFile in;
    ASSERT_TRUE(in.Open(dir / "bfile"));
    OutputFile out;
    if (!out.Open("/dev/full", 0)) GTEST_SKIP() << "no /dev/full";
    FakePlatform platform;
    BlueBookConverter converter(platform);
    int lineCounter = -1;
    int result = -1;
    converter.ConvertBFile(in, out, lineCounter, result);
    EXPECT_EQ(result, 1517);
    out.Close();
}
#endif

// --- Real Blue Book files -----------------------------------------------------------------------

/// A station line without deflections, as "$GEO_COMPACT" writes it.
std::string GeoLine(const char* name, const char* latitude, const char* longitude,
                    const char* ortho, const char* geoid, const char* ellipsoid) {
    return std::string("$GEO_COMPACT; ") + name + "; " + latitude + "; 0.0000001; " + longitude +
           "; 0.0000001; " + ortho + "; 0.0000001; " + geoid + "; 0.0000001; " + ellipsoid +
           "; 0.0000001; 0.0000; 0.0000; 0.0000; 0.0000";
}

TEST(BFileSamples, RealFilesConvertWithTheirStations) {
    struct Sample {
        const char* bFile;
        const char* serfil;
        Reading reading;
        const char* comment;  // header line 2
        const char* datum;    // header line 4
        std::size_t stations;
        std::vector<std::string> someStations;  // worked out from their *80* and *86* records
    };
    const Sample samples[] = {
        // GPS project; 0013 and 0014 are not in its SERFIL file. Read literally they keep
        // their serial numbers; NGS's reading names them by the IDs of their *25* records.
        {"noaa-ngs-adjust/bfile", "noaa-ngs-adjust/serfil", Reading::kClassic,
         "!B-File Record Type 13", "  NORTH AMERICAN ", 14,
         {GeoLine("0013", "35.374636720", "-112.083481100", "1824.7670", "0.0000", "1801.3590"),
          GeoLine("0014", "36.022677490", "-111.494892331", "2286.5700", "0.0000",
                  "2263.3430")}},
        // Its *86* records leave the geoid height blank: NGS's reading derives N = h - H,
        // 1801.359 - 1824.767 = -23.408 and 2263.343 - 2286.570 = -23.227.
        {"noaa-ngs-adjust/bfile", "noaa-ngs-adjust/serfil", Reading::kNgs,
         "!B-File Record Type 13", "  NORTH AMERICAN ", 14,
         {GeoLine("DOBY", "35.374636720", "-112.083481100", "1824.7670", "-23.4080", "1801.3590"),
          GeoLine("DSVW", "36.022677490", "-111.494892331", "2286.5700", "-23.2270",
                  "2263.3430")}},
        // Adjusted positions; its last *93* line has blank columns 1 to 6.
        {"noaa-ngs-adjust/bfile.fnl", "", Reading::kClassic, "!B-File Record Type 13",
         "  NORTH AMERICAN ", 14,
         {GeoLine("0013", "35.374636733", "-112.083481088", "1824.7540", "-23.4080",
                  "1801.3610")}},
        {"noaa-ngs-adjust/bfile.fnl", "", Reading::kNgs, "!B-File Record Type 13",
         "  NORTH AMERICAN ", 14,
         {GeoLine("DOBY", "35.374636733", "-112.083481088", "1824.7540", "-23.4080",
                  "1801.3610")}},
        // Some *86* records hold only an ellipsoidal height; two orthometric heights have
        // their millimetre digit blank ("  4241 ", "  5147 "): 4.241 m and 5.147 m read
        // literally, 42.410 m and 51.470 m read as NGS does, which their own H + N - h
        // confirms (42.410 - 21.725 - 20.688 = -0.003).
        {"noaa-ngs-HTDP/Ex4_bfile", "", Reading::kClassic, "!B-File Record Type 13",
         "  NAD 83(2011)   ", 6,
         {GeoLine("0002", "48.044539318", "-123.024234985", "0.0000", "0.0000", "-15.5050"),
          GeoLine("0001", "48.003820881", "-122.463305889", "4.2410", "-21.7250", "20.6880"),
          GeoLine("0005", "47.405626370", "-122.185453171", "98.1690", "-23.7210", "74.4550")}},
        {"noaa-ngs-HTDP/Ex4_bfile", "", Reading::kNgs, "!B-File Record Type 13",
         "  NAD 83(2011)   ", 6,
         {GeoLine("PNNL", "48.044539318", "-123.024234985", "0.0000", "0.0000", "-15.5050"),
          GeoLine("CHCM", "48.003820881", "-122.463305889", "42.4100", "-21.7250", "20.6880"),
          GeoLine("SEDR", "48.311759211", "-122.132578964", "51.4700", "-21.3340", "30.1630")}},
        // No *13* record: the header keeps the converter's datum.
        {"noaa-ngs-HTDP/wa.bfile.txt", "", Reading::kClassic, " ", "  NAD 83", 4,
         {GeoLine("0002", "48.311759215", "-122.132578964", "51.5650", "-21.3230", "30.2420"),
          GeoLine("0006", "48.274570456", "-122.253386127", "25.0350", "-21.9110",
                  "3.1240")}},
        {"noaa-ngs-HTDP/wa.bfile.txt", "", Reading::kNgs, " ", "  NAD 83", 4,
         {GeoLine("SEDR", "48.311759215", "-122.132578964", "51.5650", "-21.3230", "30.2420"),
          GeoLine("BVSA", "48.274570456", "-122.253386127", "25.0350", "-21.9110",
                  "3.1240")}},
    };
    const std::string folder = std::string(BB_TEST_DATA_DIR) + "/data/samples/";
    for (const Sample& sample : samples) {
        TempDir dir;
        FakePlatform platform;
        platform.bFilePath = folder + sample.bFile;
        if (*sample.serfil != '\0') platform.serfilPath = folder + sample.serfil;
        platform.outputPath = dir / "out.txt";
        BlueBookConverter converter(platform);
        converter.m_reading = sample.reading;
        converter.OnConvertData();
        ASSERT_EQ(platform.shown.size(), 1u) << sample.bFile;
        EXPECT_EQ(platform.shown[0].number, 1601) << sample.bFile;

        const std::string output = ReadFile(platform.outputPath);
        const std::vector<std::string> lines = CrLfLines(output);
        // No conventional observations: the header and one record per station.
        ASSERT_EQ(lines.size(), 50 + 3 * sample.stations) << sample.bFile;
        EXPECT_EQ(lines[1], sample.comment) << sample.bFile;
        EXPECT_EQ(lines[3], sample.datum) << sample.bFile;
        const std::vector<std::string> stations = LinesStartingWith(output, "$GEO_COMPACT");
        for (const std::string& station : sample.someStations) {
            EXPECT_NE(std::find(stations.begin(), stations.end(), station), stations.end())
                << sample.bFile << ": " << station;
        }
    }
}

}  // namespace
