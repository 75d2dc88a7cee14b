// Packed degrees-minutes-seconds angles: one double whose integer part is the degrees, whose
// first two decimals are the minutes and whose further decimals are the seconds
// (45 deg 30' 12.5" is 45.30125; a negative angle is negated whole).
//
// Every routine follows a fixed order of IEEE double operations, each rounded to double: the
// written digits depend on the last bits, so the build must not reorder or fuse the arithmetic.
#pragma once

/// -1.0 when x < 0, otherwise +1.0 (0 and -0 give +1.0).
double SignOf(double x);
/// |x|.
double AbsOf(double x);
/// The square root of x (x >= 0; a negative x gives NaN).
double SquareRoot(double x);
/// x truncated toward zero to a 32-bit signed integer, as a double. Magnitudes at or beyond
/// 2^31 saturate at -2147483648 and 2147483647; NaN gives 0.
double WholePart(double x);
/// x - WholePart(x); it has the sign of x.
double FractionPart(double x);
/// Splits a packed angle x >= 0 into degrees, minutes and seconds (a tiny nudge is added first,
/// so that 45.3, stored slightly below, still splits into 45 deg 30').
void SplitDms(double x, double& degrees, double& minutes, double& seconds);
/// A packed angle in decimal degrees (45.30125 gives 45.503472...; the sign is kept).
double DmsToDegrees(double a);
/// A packed angle in radians.
double DmsToRadians(double a);
/// Radians as a packed angle.
double RadiansToDms(double r);
