#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "output/CompactRecords.h"
#include "output/OutputFile.h"
#include "support/TestSupport.h"

namespace {

/// The bytes of one record: an empty line, the comment line and the data line.
std::string Record(const std::string& comment, const std::string& dataLine) {
    return "\r\n" + comment + "\r\n" + dataLine + "\r\n";
}

class CompactRecords : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(out.Open(path)); }

    /// Closes the output file and gives its bytes.
    std::string Written() {
        EXPECT_TRUE(out.Close());
        return ReadFile(path);
    }

    std::string comment;  // the record comment each writer puts out first
    TempDir dir;
    std::string path = dir / "out.txt";
    OutputFile out;
    int result = 0;
};

TEST_F(CompactRecords, HeightDifferenceIsNeverNoobs) {
    comment = "!B-File Record Type 45 (Distance Weighted)";
    WriteHgtDiffCompact(comment, "A", "B", 1.2345, 0.001, out, result);
    WriteHgtDiffCompact(comment, "A", "B", -0.5, -1.0, out, result);
    EXPECT_EQ(result, 0);
    EXPECT_EQ(Written(),
              Record("!B-File Record Type 45 (Distance Weighted)",
                     "$HGTDIFF_COMPACT; A; B; 1.23450; 0.00100") +
                  Record("!B-File Record Type 45 (Distance Weighted)",
                         "$HGTDIFF_COMPACT; A; B; -0.50000; -1.00000"));
}

TEST_F(CompactRecords, EmptyCommentIsOneBlankAndEmptyStationAnEmptyField) {
    comment = "";
    WriteHgtDiffCompact(comment, "", "B", 0.0, 0.0, out, result);
    EXPECT_EQ(Written(), "\r\n \r\n$HGTDIFF_COMPACT; ; B; 0.00000; 0.00000\r\n");
}

TEST_F(CompactRecords, CartesianInterleavesCoordinatesAndDeviations) {
    comment = "!G-File Record Type G";
    WriteCartCompact(comment, "A", 1.5, 2.5, 3.5, 0.01, 0.02, 0.03, out, result);
    EXPECT_EQ(result, 0);
    EXPECT_EQ(Written(),
              Record("!G-File Record Type G",
                     "$CART_COMPACT; A; 1.50000; 0.0100000; 2.50000; 0.0200000; 3.50000; "
                     "0.0300000"));
}

TEST_F(CompactRecords, GeographicHasTheFixedDeviationAfterEachPositionAndHeight) {
    comment = "!B-File Record Type 80";
    WriteGeoCompact(comment, "GS 1", -38.5312345678, -77.01122334449, 123.45678, -33.1,
                              90.35678, 1.25, 0.5, -2.125, 0.75, out, result);
    EXPECT_EQ(result, 0);
    EXPECT_EQ(Written(),
              Record("!B-File Record Type 80",
                     "$GEO_COMPACT; GS 1; -38.531234568; 0.0000001; -77.011223344; 0.0000001; "
                     "123.4568; 0.0000001; -33.1000; 0.0000001; 90.3568; 0.0000001; 1.2500; "
                     "0.5000; -2.1250; 0.7500"));
}

// An observation pair is "NOOBS; NOOBS" when its value is below 0; zero is observed, and the
// deviation's sign is not looked at.
TEST_F(CompactRecords, AzimuthPairsFollowTheNoobsRule) {
    comment = "!B-File Record Type 60";
    WriteAzCompact(comment, "A", "B", -1.0, -1.0, -1.0, -1.0, 100.25, 0.003, 1.5, 1.6, out,
                             result);
    WriteAzCompact(comment, "A", "B", 45.3, -1.0, 0.0, 2.5, -1e-12, 0.003, 0.0, -0.25, out,
                             result);
    WriteAzCompact(comment, "A", "B", 0.0, 0.5, 90.0, 1.2, 0.0, 0.0, -1.0, -1.0, out, result);
    EXPECT_EQ(result, 0);
    const std::string comment = "!B-File Record Type 60";
    EXPECT_EQ(Written(),
              Record(comment,
                     "$AZ_COMPACT; A; B; NOOBS; NOOBS; NOOBS; NOOBS; 100.25000; 0.00300; "
                     "1.50000; 1.60000") +
                  Record(comment,
                         "$AZ_COMPACT; A; B; 45.300000; -1.000; 0.000000; 2.500; NOOBS; NOOBS; "
                         "0.00000; -0.25000") +
                  Record(comment,
                         "$AZ_COMPACT; A; B; 0.000000; 0.500; 90.000000; 1.200; 0.00000; "
                         "0.00000; -1.00000; -1.00000"));
}

TEST_F(CompactRecords, HorizontalAngleHasThreeStationsAndElevenFields) {
    comment = "!B-File Record Type 30";
    WriteHorCompact(comment, "AT", "BS", "FS", 123.453, 1.5, -1.0, -1.0, 250.1, 0.004, 1.55,
                              1.6, out, result);
    EXPECT_EQ(result, 0);
    EXPECT_EQ(Written(),
              Record("!B-File Record Type 30",
                     "$HOR_COMPACT; AT; BS; FS; 123.453000; 1.500; NOOBS; NOOBS; 250.10000; "
                     "0.00400; 1.55000; 1.60000"));
}

TEST_F(CompactRecords, DirectionEndsWithThePlainSetNumber) {
    comment = "!B-File Record Type 20";
    WriteDirCompact(comment, "A", "B", 10.203, 0.8, 89.5959, 2.0, -1.0, -1.0, 0.0, 1.234567,
                              3, out, result);
    WriteDirCompact(comment, "A", "B", -1.0, -1.0, -1.0, -1.0, 12.5, 0.002, 1.0, 2.0, -12,
                              out, result);
    EXPECT_EQ(result, 0);
    EXPECT_EQ(Written(),
              Record("!B-File Record Type 20",
                     "$DIR_COMPACT; A; B; 10.203000; 0.800; 89.595900; 2.000; NOOBS; NOOBS; "
                     "0.00000; 1.23457; 3") +
                  Record("!B-File Record Type 20",
                         "$DIR_COMPACT; A; B; NOOBS; NOOBS; NOOBS; NOOBS; 12.50000; 0.00200; "
                         "1.00000; 2.00000; -12"));
}

TEST_F(CompactRecords, BearingAlwaysCarriesTheNorthWestQuadrant) {
    comment = "!B-File Record Type 42";
    WriteBearCompact(comment, "A", "B", -1.0, -1.0, 50.5, 0.01, out, result);
    WriteBearCompact(comment, "A", "B", 12.3456, 3.25, -1.0, -1.0, out, result);
    EXPECT_EQ(result, 0);
    EXPECT_EQ(Written(),
              Record("!B-File Record Type 42",
                     "$BEAR_COMPACT; A; B; NOOBS; NOOBS; NW; 50.50000; 0.01000") +
                  Record("!B-File Record Type 42",
                         "$BEAR_COMPACT; A; B; 12.345600; 3.250; NW; NOOBS; NOOBS"));
}

TEST_F(CompactRecords, SurfaceHasTwoPairsAndNoQuadrant) {
    comment = "!B-File Record Type 40";
    WriteSurfCompact(comment, "A", "B", 0.0, 0.0, 12.5, 0.002, out, result);
    WriteSurfCompact(comment, "A", "B", -1.0, -1.0, -1.0, -1.0, out, result);
    EXPECT_EQ(result, 0);
    EXPECT_EQ(Written(),
              Record("!B-File Record Type 40",
                     "$SURF_COMPACT; A; B; 0.000000; 0.000; 12.50000; 0.00200") +
                  Record("!B-File Record Type 40",
                         "$SURF_COMPACT; A; B; NOOBS; NOOBS; NOOBS; NOOBS"));
}

// --- GPS vector sets ----------------------------------------------------------------------

class GpsRecords : public CompactRecords {
protected:
    GpsRecords() : matrix(static_cast<std::size_t>(kMatrixRowLength) * kMatrixRowLength, 7.0) {
        // Every element the writer must not read holds 7, so a wrong index shows in the digits.
        // Vector 0: diagonal 0.01, 0.02, 0.03; above it 0.5, 0, 0.
        Set(0, 0, 0.01);
        Set(1, 1, 0.02);
        Set(2, 2, 0.03);
        Set(0, 1, 0.5);
        Set(0, 2, 0.0);
        Set(1, 2, 0.0);
        // Vector 1: diagonal 0.1, 0.2, 0.3; above it 0.25, -0.5, 1.0.
        Set(3, 3, 0.1);
        Set(4, 4, 0.2);
        Set(5, 5, 0.3);
        Set(3, 4, 0.25);
        Set(3, 5, -0.5);
        Set(4, 5, 1.0);
        comment = "!G-File Record Type F";
    }

    void Set(int row, int column, double value) {
        matrix[static_cast<std::size_t>(row) * kMatrixRowLength + column] = value;
    }

    VectorSetMatrix matrix;
    std::vector<GpsVector> vectors{{"P1", "P2", 1234.5678, -2345.6789, 345.6},
                                   {"P2", "", -0.000004, 0.0, 1e-6}};
};

TEST_F(GpsRecords, CorrelationsBecomeCovariances) {
    WriteGpsCompact(comment, 2, vectors.data(), matrix.data(), false, out, result);
    EXPECT_EQ(result, 0);
    // Vector 0: 0.01^2; 0.5*0.02*0.01; 0.02^2; 0; 0; 0.03^2.
    // Vector 1: 0.1^2; 0.25*0.2*0.1; 0.2^2; -0.5*0.3*0.1; 1.0*0.3*0.2; 0.3^2.
    EXPECT_EQ(Written(),
              Record("!G-File Record Type F",
                     "$GPS_COMPACT; P1; P2; 1234.56780; -2345.67890; 345.60000; 0.000100000000; "
                     "0.000100000000; 0.000400000000; 0.000000000000; 0.000000000000; "
                     "0.000900000000") +
                  Record("!G-File Record Type F",
                         "$GPS_COMPACT; P2; ; -0.00000; 0.00000; 0.00000; 0.010000000000; "
                         "0.005000000000; 0.040000000000; -0.015000000000; 0.060000000000; "
                         "0.090000000000"));
}

TEST_F(GpsRecords, CovariancesAreWrittenAsGiven) {
    WriteGpsCompact(comment, 2, vectors.data(), matrix.data(), true, out, result);
    EXPECT_EQ(result, 0);
    EXPECT_EQ(Written(),
              Record("!G-File Record Type F",
                     "$GPS_COMPACT; P1; P2; 1234.56780; -2345.67890; 345.60000; 0.000100000000; "
                     "0.500000000000; 0.000400000000; 0.000000000000; 0.000000000000; "
                     "0.000900000000") +
                  Record("!G-File Record Type F",
                         "$GPS_COMPACT; P2; ; -0.00000; 0.00000; 0.00000; 0.010000000000; "
                         "0.250000000000; 0.040000000000; -0.500000000000; 1.000000000000; "
                         "0.090000000000"));
}

TEST_F(GpsRecords, NoVectorsWriteNothing) {
    WriteGpsCompact(comment, 0, vectors.data(), matrix.data(), false, out, result);
    WriteGpsCompact(comment, -1, vectors.data(), matrix.data(), false, out, result);
    EXPECT_EQ(result, 0);
    EXPECT_EQ(Written(), "");
}

TEST_F(GpsRecords, CountBeyondTheMatrixIsCutAtItsLastVector) {
    std::vector<GpsVector> many(kMaxVectors + 1, GpsVector{"A", "B", 1.0, 2.0, 3.0});
    WriteGpsCompact(comment, kMaxVectors + 1, many.data(), matrix.data(), true, out, result);
    EXPECT_EQ(result, 0);
    const std::string text = Written();
    std::size_t records = 0;
    for (auto at = text.find("$GPS_COMPACT"); at != std::string::npos;
         at = text.find("$GPS_COMPACT", at + 1))
        ++records;
    EXPECT_EQ(records, static_cast<std::size_t>(kMaxVectors));
}

// --- Write errors ---------------------------------------------------------------------------

#ifndef _WIN32
TEST(CompactRecordErrors, EveryWriterReportsAFullDevice) {
    if (!std::filesystem::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
    const std::string comment = "!C";
    OutputFile out;
    ASSERT_TRUE(out.Open("/dev/full", 0));

    const auto expectFailure = [&](const char* writer, auto write) {
        int result = 0;
        write(result);
        EXPECT_EQ(result, 1517) << writer;
    };
    expectFailure("cart", [&](int& r) {
        WriteCartCompact(comment, "A", 1, 2, 3, 4, 5, 6, out, r);
    });
    expectFailure("geo", [&](int& r) {
        WriteGeoCompact(comment, "A", 1, 2, 3, 4, 5, 6, 7, 8, 9, out, r);
    });
    expectFailure("hgtdiff", [&](int& r) { WriteHgtDiffCompact(comment, "A", "B", 1, 2, out, r); });
    expectFailure("az", [&](int& r) {
        WriteAzCompact(comment, "A", "B", 1, 2, 3, 4, 5, 6, 7, 8, out, r);
    });
    expectFailure("hor", [&](int& r) {
        WriteHorCompact(comment, "A", "B", "C", 1, 2, 3, 4, 5, 6, 7, 8, out, r);
    });
    expectFailure("dir", [&](int& r) {
        WriteDirCompact(comment, "A", "B", 1, 2, 3, 4, 5, 6, 7, 8, 9, out, r);
    });
    expectFailure("bear", [&](int& r) {
        WriteBearCompact(comment, "A", "B", 1, 2, 3, 4, out, r);
    });
    expectFailure("surf", [&](int& r) {
        WriteSurfCompact(comment, "A", "B", 1, 2, 3, 4, out, r);
    });
    const GpsVector vectors[2] = {{"A", "B", 1, 2, 3}, {"B", "C", 4, 5, 6}};
    const VectorSetMatrix matrix(static_cast<std::size_t>(kMatrixRowLength) * kMatrixRowLength,
                                 0.0);
    expectFailure("gps", [&](int& r) {
        WriteGpsCompact(comment, 2, vectors, matrix.data(), false, out, r);
    });
}
#endif

// A stream whose error indicator is already set still takes the bytes, so the file shows how
// far the writer went: the first vector's record, and nothing after it.
TEST(CompactRecordErrors, GpsStopsAfterTheVectorThatSawTheError) {
    const std::string comment = "!G";
    TempDir dir;
    const std::string path = dir / "out.txt";
    std::FILE* stream = std::fopen(path.c_str(), "wb");
    ASSERT_NE(stream, nullptr);
    std::setvbuf(stream, nullptr, _IONBF, 0);
    (void)std::fgetc(stream);  // reading a write-only stream sets its error indicator
    ASSERT_TRUE(std::ferror(stream));

    OutputFile out;
    out.Adopt(stream);
    const GpsVector vectors[2] = {{"A", "B", 1.0, 2.0, 3.0}, {"B", "C", 4.0, 5.0, 6.0}};
    const VectorSetMatrix matrix(static_cast<std::size_t>(kMatrixRowLength) * kMatrixRowLength,
                                 0.0);
    int result = 0;
    WriteGpsCompact(comment, 2, vectors, matrix.data(), true, out, result);
    EXPECT_EQ(result, 1517);
    EXPECT_FALSE(out.Close());
    EXPECT_EQ(ReadFile(path),
              Record("!G",
                     "$GPS_COMPACT; A; B; 1.00000; 2.00000; 3.00000; 0.000000000000; "
                     "0.000000000000; 0.000000000000; 0.000000000000; 0.000000000000; "
                     "0.000000000000"));
}

}  // namespace
