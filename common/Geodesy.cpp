// Geodetic and geocentric coordinates and the local frame. Angles in degrees are reduced by exact
// quarter turns (remquo is exact) before they become radians, and angles come back from atan2
// within [-45, 45] degrees before the quarter turns are added, so the cardinal directions are
// exact. The sines, cosines and arc tangents are the C library's, whose last bit may differ from
// one C runtime to another.
#include "common/Geodesy.h"

#include <cmath>
#include <limits>
#include <utility>

namespace {

constexpr double kQuarterTurn = 90.0;
constexpr double kHalfTurn = 180.0;
constexpr double kRadiansPerDegree = 0.017453292519943295;  // pi / 180
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

/// Bowring's iteration for the latitude gains about three times the digits on each pass; from
/// its starting value two passes reach the rounding of doubles near the surface, the third
/// covers points far inside or far above it.
constexpr int kLatitudePasses = 3;

/// The sine and cosine of x degrees. The quarter turns are taken out exactly first, so whole
/// multiples of 90 give exact zeros and ones; sin(-0) is -0, cos never -0.
void SinCosDegrees(double x, double& sine, double& cosine) {
    int quarters = 0;
    const double reduced = std::remquo(x, kQuarterTurn, &quarters);  // |reduced| <= 45
    const double radians = reduced * kRadiansPerDegree;
    const double s = std::sin(radians);
    const double c = std::cos(radians);
    switch (static_cast<unsigned>(quarters) & 3U) {
    case 0U: sine = s; cosine = c; break;
    case 1U: sine = c; cosine = -s; break;
    case 2U: sine = -s; cosine = -c; break;
    default: sine = -c; cosine = s; break;
    }
    cosine += 0.0;
    if (sine == 0.0) sine = std::copysign(sine, x);
}

/// The angle in degrees of the direction (x, y), in [-180, 180]: atan2 sees only arguments
/// within 45 degrees of the x axis, and the quarter turns are added in degrees.
double Atan2Degrees(double y, double x) {
    int quarters = 0;
    if (std::fabs(y) > std::fabs(x)) {
        std::swap(x, y);
        quarters = 2;
    }
    if (std::signbit(x)) {
        x = -x;
        ++quarters;
    }
    const double angle = std::atan2(y, x) / kRadiansPerDegree;  // in [-45, 45]
    switch (quarters) {
    case 1: return std::copysign(kHalfTurn, y) - angle;
    case 2: return kQuarterTurn - angle;
    case 3: return angle - kQuarterTurn;
    default: return angle;
    }
}

/// (y, x) scaled to a unit vector; (0, 0), which only the centre and the cusp of the evolute on
/// the equatorial plane give, becomes (0, 1): a latitude of 0.
void Normalize(double& y, double& x) {
    const double length = std::hypot(y, x);
    if (length == 0.0) {
        y = 0.0;
        x = 1.0;
        return;
    }
    y /= length;
    x /= length;
}

}  // namespace

bool MakeEllipsoid(double semiMajorAxis, double inverseFlattening, Ellipsoid& ellipsoid) {
    const bool axisOk = std::isfinite(semiMajorAxis) && semiMajorAxis > 0.0;
    const bool flatteningOk =
        inverseFlattening == 0.0 || (std::isfinite(inverseFlattening) && inverseFlattening > 1.0);
    if (!axisOk || !flatteningOk) return false;
    const double f = inverseFlattening == 0.0 ? 0.0 : 1.0 / inverseFlattening;
    ellipsoid.semiMajorAxis = semiMajorAxis;
    ellipsoid.flattening = f;
    ellipsoid.eccentricitySquared = f * (2.0 - f);
    return true;
}

GeocentricXyz GeodeticToGeocentric(const Ellipsoid& ellipsoid, const GeodeticPosition& position) {
    if (!(std::fabs(position.latitude) <= kQuarterTurn)) return {kNaN, kNaN, kNaN};
    double sinLat = 0.0, cosLat = 0.0, sinLon = 0.0, cosLon = 0.0;
    SinCosDegrees(position.latitude, sinLat, cosLat);
    SinCosDegrees(position.longitude, sinLon, cosLon);
    const double e2 = ellipsoid.eccentricitySquared;
    // The radius of curvature in the prime vertical.
    const double n = ellipsoid.semiMajorAxis / std::sqrt(1.0 - e2 * sinLat * sinLat);
    const double fromAxis = (n + position.height) * cosLat;
    return {fromAxis * cosLon, fromAxis * sinLon, ((1.0 - e2) * n + position.height) * sinLat};
}

GeodeticPosition GeocentricToGeodetic(const Ellipsoid& ellipsoid, const GeocentricXyz& point) {
    const double a = ellipsoid.semiMajorAxis;
    const double e2 = ellipsoid.eccentricitySquared;
    const double oneMinusF = 1.0 - ellipsoid.flattening;
    const double b = a * oneMinusF;
    const double fromAxis = std::hypot(point.x, point.y);
    // On the Z axis the longitude is 0 (atan2 would make it 180 for X = -0).
    const double longitude = fromAxis == 0.0 ? 0.0 : Atan2Degrees(point.y, point.x);

    // Bowring: the reduced latitude beta locates the foot of the normal on the ellipse, the
    // latitude is the direction from it to the point, and beta is refined from that latitude.
    const double secondE2 = e2 / (1.0 - e2);
    double sinBeta = point.z * a, cosBeta = fromAxis * b;
    Normalize(sinBeta, cosBeta);
    double sinLat = 0.0, cosLat = 0.0;
    for (int pass = 0; pass < kLatitudePasses; ++pass) {
        sinLat = point.z + secondE2 * b * sinBeta * sinBeta * sinBeta;
        // Negative only within some 100 km of the centre, where the normals through a point
        // cross: reflecting it keeps the latitude within [-90, 90] there.
        cosLat = std::fabs(fromAxis - e2 * a * cosBeta * cosBeta * cosBeta);
        Normalize(sinLat, cosLat);
        sinBeta = oneMinusF * sinLat;
        cosBeta = cosLat;
        Normalize(sinBeta, cosBeta);
    }
    const double height =
        fromAxis * cosLat + point.z * sinLat - a * std::sqrt(1.0 - e2 * sinLat * sinLat);
    return {Atan2Degrees(sinLat, cosLat), longitude, height};
}

LocalFrame::LocalFrame(double latitude, double longitude) {
    // Outside [-90, 90] every axis, and so every result, is NaN.
    if (!(std::fabs(latitude) <= kQuarterTurn)) latitude = longitude = kNaN;
    double sinLat = 0.0, cosLat = 0.0, sinLon = 0.0, cosLon = 0.0;
    SinCosDegrees(latitude, sinLat, cosLat);
    SinCosDegrees(longitude, sinLon, cosLon);
    m_north = {-sinLat * cosLon, -sinLat * sinLon, cosLat};
    m_east = {-sinLon, cosLon, 0.0};
    m_up = {cosLat * cosLon, cosLat * sinLon, sinLat};
}

NorthEastUp LocalFrame::ToNorthEastUp(const GeocentricXyz& d) const {
    const auto along = [&d](const GeocentricXyz& axis) {
        return axis.x * d.x + axis.y * d.y + axis.z * d.z;
    };
    return {along(m_north), along(m_east), along(m_up)};
}

GeocentricXyz LocalFrame::FromNorthEastUp(const NorthEastUp& d) const {
    return {m_north.x * d.north + m_east.x * d.east + m_up.x * d.up,
            m_north.y * d.north + m_east.y * d.east + m_up.y * d.up,
            m_north.z * d.north + m_east.z * d.east + m_up.z * d.up};
}
