// Positions on an ellipsoid of revolution: geodetic latitude, longitude and height to geocentric
// X, Y, Z and back, and the local north/east/up frame at a point, for comparing GPS vectors with
// station positions and with each other.
//
// Angles are decimal degrees, north and east positive; lengths are metres. Angles are reduced
// by exact quarter turns before any trigonometry, so 0, 90 and 180 degrees give exact zeros and
// ones (a point on the equator at longitude 0 has Y = Z = 0 exactly). Nothing here throws or
// allocates; an argument outside its range gives NaN results, never a crash.
#pragma once

/// An ellipsoid of revolution about the Z axis. Make it with MakeEllipsoid.
struct Ellipsoid {
    double semiMajorAxis = 0.0;        ///< a, metres
    double flattening = 0.0;           ///< f = (a - b) / a, in [0, 1); 0 for a sphere
    double eccentricitySquared = 0.0;  ///< e^2 = f (2 - f)
};

/// Geocentric cartesian coordinates, or a difference of them (a GPS vector), metres: X toward
/// latitude 0 longitude 0, Y toward latitude 0 longitude 90 E, Z toward the north pole.
struct GeocentricXyz {
    double x = 0.0, y = 0.0, z = 0.0;
};

/// A geodetic position: latitude in degrees [-90, 90], longitude in degrees, ellipsoidal height
/// in metres.
struct GeodeticPosition {
    double latitude = 0.0, longitude = 0.0, height = 0.0;
};

/// A difference in a local frame, metres.
struct NorthEastUp {
    double north = 0.0, east = 0.0, up = 0.0;
};

/// to - from, component by component.
inline GeocentricXyz operator-(const GeocentricXyz& to, const GeocentricXyz& from) {
    return {to.x - from.x, to.y - from.y, to.z - from.z};
}

/// Sets `ellipsoid` from its semi-major axis (metres, finite and positive) and its inverse
/// flattening 1/f (0 for a sphere, otherwise finite and above 1), as a datum record gives them.
/// Returns false and leaves `ellipsoid` unchanged when either is outside its range (a negative
/// inverse flattening, a prolate ellipsoid, is refused).
bool MakeEllipsoid(double semiMajorAxis, double inverseFlattening, Ellipsoid& ellipsoid);

/// The geocentric coordinates of `position` on `ellipsoid`. Any finite longitude and height;
/// a latitude outside [-90, 90] gives NaN coordinates. Exact to the rounding of a few double
/// operations (nanometres at the earth's surface).
GeocentricXyz GeodeticToGeocentric(const Ellipsoid& ellipsoid, const GeodeticPosition& position);

/// The geodetic position of geocentric coordinates on `ellipsoid`: latitude in [-90, 90],
/// longitude in [-180, 180] (0 on the Z axis), height along the ellipsoid normal. Within 1e-11
/// degrees and 1 micrometre of the exact values for points from 1,000 km below the surface of an
/// earth-sized ellipsoid (1/f of 100 or more, or a sphere) out to 10 times its radius. Deeper
/// inside, the results lose accuracy (within some 100 km of the centre, where several normals
/// pass through a point, they are any of them or none), but the latitude stays within
/// [-90, 90] and the height finite. The centre gives latitude 0 and height -a.
GeodeticPosition GeocentricToGeodetic(const Ellipsoid& ellipsoid, const GeocentricXyz& point);

/// The local frame at a point: up along the ellipsoid normal, north along the meridian toward
/// the north pole, east along the parallel. It depends on the latitude and longitude only.
class LocalFrame {
public:
    /// The frame at `latitude` (degrees, [-90, 90]; outside it every result is NaN) and
    /// `longitude` (degrees, any finite value). At the north pole, north points toward the
    /// meridian of `longitude` + 180 degrees, at the south pole toward that of `longitude`;
    /// east points toward `longitude` + 90 degrees at both.
    LocalFrame(double latitude, double longitude);

    /// A geocentric difference (dX, dY, dZ) as north, east and up in this frame.
    NorthEastUp ToNorthEastUp(const GeocentricXyz& difference) const;
    /// The inverse rotation: north, east and up in this frame as (dX, dY, dZ).
    GeocentricXyz FromNorthEastUp(const NorthEastUp& difference) const;

private:
    // The frame's unit vectors in geocentric axes.
    GeocentricXyz m_north, m_east, m_up;
};
