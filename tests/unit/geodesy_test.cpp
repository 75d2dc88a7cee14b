// Geocentric coordinates and the local frame against a table computed with GeographicLib's
// CartConvert, and the cases that can be worked by hand.
#include "common/Geodesy.h"

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

namespace {

constexpr double kLength = 1e-4;  // 0.1 mm
constexpr double kAngle = 1e-9;   // degrees, under 0.1 mm on the ground
constexpr double kGrs80A = 6378137.0;
using Triple = std::tuple<double, double, double>;

/// One row of the table: its ellipsoid and the numbers after the ellipsoid's name.
struct Row {
    std::string line;
    Ellipsoid ellipsoid;
    std::vector<double> v;
};

std::vector<Row> ReadRows(const std::string& kind) {
    std::ifstream in(std::string(BB_TEST_DATA_DIR) + "/data/geodesy/cartconvert.txt");
    std::map<std::string, Ellipsoid> ellipsoids;
    std::vector<Row> rows;
    for (std::string line; std::getline(in, line);) {
        std::istringstream fields(line);
        std::string word, name;
        std::vector<double> v;
        fields >> word >> name;
        for (double x = 0.0; fields >> x;) v.push_back(x);
        if (word == "ellipsoid" && v.size() == 2) MakeEllipsoid(v[0], v[1], ellipsoids[name]);
        if (word == kind) rows.push_back({line, ellipsoids[name], v});
    }
    return rows;
}

TEST(Geodesy, GeocentricAndBackMatchTheTable) {
    const std::vector<Row> rows = ReadRows("geocentric");
    ASSERT_GE(rows.size(), 15U);
    for (const auto& [line, ellipsoid, v] : rows) {
        SCOPED_TRACE(line);
        ASSERT_EQ(v.size(), 6U);
        const GeocentricXyz xyz = GeodeticToGeocentric(ellipsoid, {v[0], v[1], v[2]});
        const double computed[] = {xyz.x, xyz.y, xyz.z};
        // Quarter turns are reduced exactly: a zero of the table is an exact zero.
        for (int i = 0; i < 3; ++i) {
            EXPECT_NEAR(computed[i], v[3 + i], v[3 + i] == 0.0 ? 0.0 : kLength);
        }
        const GeodeticPosition back = GeocentricToGeodetic(ellipsoid, {v[3], v[4], v[5]});
        EXPECT_NEAR(back.latitude, v[0], kAngle);
        EXPECT_NEAR(back.height, v[2], kLength);
        EXPECT_NEAR(std::remainder(back.longitude - v[1], 360.0), 0.0, kAngle);  // -180 is 180
    }
}

// The table gives the second point in the frame of the first, as east, north, up.
TEST(Geodesy, LocalFrameMatchesTheTable) {
    const std::vector<Row> rows = ReadRows("local");
    ASSERT_GE(rows.size(), 9U);
    for (const auto& [line, ellipsoid, v] : rows) {
        SCOPED_TRACE(line);
        ASSERT_EQ(v.size(), 9U);
        const GeocentricXyz d = GeodeticToGeocentric(ellipsoid, {v[3], v[4], v[5]}) -
                                GeodeticToGeocentric(ellipsoid, {v[0], v[1], v[2]});
        const LocalFrame frame(v[0], v[1]);
        const NorthEastUp neu = frame.ToNorthEastUp(d);
        EXPECT_NEAR(neu.east, v[6], kLength);
        EXPECT_NEAR(neu.north, v[7], kLength);
        EXPECT_NEAR(neu.up, v[8], kLength);
        const GeocentricXyz back = frame.FromNorthEastUp(neu);
        EXPECT_NEAR(std::hypot(back.x - d.x, back.y - d.y, back.z - d.z), 0.0, kLength);
    }
}

TEST(Geodesy, WorkedByHand) {
    Ellipsoid e, sphere;
    ASSERT_TRUE(MakeEllipsoid(kGrs80A, 298.257222101, e));
    ASSERT_TRUE(MakeEllipsoid(6371000.0, 0.0, sphere));
    const GeocentricXyz onEquator = GeodeticToGeocentric(e, {0.0, 0.0, 12.5});
    EXPECT_EQ(Triple(onEquator.x, onEquator.y, onEquator.z), Triple(kGrs80A + 12.5, 0.0, 0.0));
    const GeocentricXyz pole = GeodeticToGeocentric(sphere, {90.0, 30.0, 100.0});
    EXPECT_EQ(Triple(pole.x, pole.y, pole.z), Triple(0.0, 0.0, 6371100.0));
    const NorthEastUp up = LocalFrame(90.0, 0.0).ToNorthEastUp({0.0, 0.0, 2.5});
    EXPECT_EQ(Triple(up.north, up.east, up.up), Triple(0.0, 0.0, 2.5));
}

TEST(Geodesy, OutOfRangeArgumentsAreRefusedOrNaN) {
    Ellipsoid e;
    ASSERT_TRUE(MakeEllipsoid(kGrs80A, 298.257222101, e));
    const double refused[][2] = {{0.0, 298.0},      {-1.0, 298.0}, {NAN, 298.0}, {INFINITY, 0.0},
                                 {kGrs80A, -298.0}, {kGrs80A, 1.0}, {kGrs80A, NAN}};
    for (const auto& r : refused) EXPECT_FALSE(MakeEllipsoid(r[0], r[1], e)) << r[0] << " " << r[1];
    EXPECT_EQ(e.semiMajorAxis, kGrs80A);  // unchanged by the refusals
    EXPECT_TRUE(std::isnan(GeodeticToGeocentric(e, {90.5, 0.0, 0.0}).z));
    EXPECT_TRUE(std::isnan(LocalFrame(-91.0, 0.0).ToNorthEastUp({1.0, 1.0, 1.0}).east));
    // Near the centre the normals through a point cross; the position still stays in range, at
    // the centre itself and at the cusp of the evolute on the equator (x = a e^2) too.
    const GeocentricXyz deep[] = {{0.0, 0.0, 0.0}, {20e3, 0.0, 500.0}, {-30e3, 5e3, -1e3},
                                  {kGrs80A * e.eccentricitySquared, 0.0, 0.0}};
    for (const GeocentricXyz& xyz : deep) {
        const GeodeticPosition p = GeocentricToGeodetic(e, xyz);
        EXPECT_TRUE(std::fabs(p.latitude) <= 90.0 && std::isfinite(p.height)) << xyz.x;
    }
}

}  // namespace
