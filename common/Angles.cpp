// Packed degrees-minutes-seconds angles. Each step below is one double operation stored in its
// own variable, in the order that fixes the last bits of the written angles; the build turns off
// contraction into fused multiply-add and fast-math, and the checks below refuse a target whose
// double arithmetic runs in a wider format.
#include "common/Angles.h"

#include <cfloat>
#include <cmath>
#include <cstdint>

#if defined(__FAST_MATH__)
#error "the angle routines need IEEE arithmetic: build without -ffast-math"
#endif
#if FLT_EVAL_METHOD != 0
#error "the angle routines need double expressions evaluated in double (SSE2, not x87)"
#endif

namespace {

constexpr double kNudge = 4.848e-13;                    // added before a packed angle is split
constexpr double kOneSixtieth = 0.016666666666666666;   // minutes to degrees
constexpr double kOne3600th = 0.0002777777777777778;    // seconds to degrees
constexpr double kDegreesPerRadian = 57.29577951308232; // 180 / pi
constexpr double kMinutesToPacked = 0.01;               // whole minutes to their packed place
constexpr double kFractionToPacked = 0.006;             // a fraction of a minute to packed seconds

constexpr double kInt32Max = 2147483647.0;
constexpr double kInt32Min = -2147483648.0;

}  // namespace

double SignOf(double x) { return x < 0.0 ? -1.0 : 1.0; }

double AbsOf(double x) { return std::fabs(x); }

double SquareRoot(double x) { return std::sqrt(x); }

double WholePart(double x) {
    if (std::isnan(x)) return 0.0;
    // The conversion below is defined only inside the int32 range; saturate outside it.
    if (x >= kInt32Max + 1.0) return kInt32Max;
    if (x <= kInt32Min) return kInt32Min;
    return static_cast<double>(static_cast<std::int32_t>(x));
}

double FractionPart(double x) {
    const double whole = WholePart(x);
    return x - whole;
}

void SplitDms(double x, double& degrees, double& minutes, double& seconds) {
    const double nudged = x + kNudge;
    degrees = WholePart(nudged);
    const double fraction = nudged - degrees;
    const double minutesAndSeconds = fraction * 100.0;
    minutes = WholePart(minutesAndSeconds);
    // The seconds come from x' * 100, not from the remainder after the minutes.
    const double hundredfold = nudged * 100.0;
    const double secondsFraction = FractionPart(hundredfold);
    seconds = secondsFraction * 100.0;
}

double DmsToDegrees(double a) {
    double d = 0.0;
    double m = 0.0;
    double s = 0.0;
    SplitDms(AbsOf(a), d, m, s);
    const double secondsInDegrees = s * kOne3600th;
    const double minutesInDegrees = m * kOneSixtieth;
    const double partial = secondsInDegrees + minutesInDegrees;
    const double decimal = partial + d;
    return SignOf(a) * decimal;
}

double DmsToRadians(double a) {
    // The sign is applied before the division: a division rounds -x to exactly -(x rounded),
    // so the bits are those of dividing the magnitude and signing the quotient.
    const double degrees = DmsToDegrees(a);
    return degrees / kDegreesPerRadian;
}

double RadiansToDms(double r) {
    const double degrees = kDegreesPerRadian * r;
    const double degreesFraction = FractionPart(degrees);
    const double minutes = degreesFraction * 60.0;
    const double minutesFraction = FractionPart(minutes);
    const double packedSeconds = minutesFraction * kFractionToPacked;
    const double minutesWhole = WholePart(minutes);
    const double packedMinutes = minutesWhole * kMinutesToPacked;
    const double packed = packedSeconds + packedMinutes;
    const double degreesWhole = WholePart(degrees);
    return degreesWhole + packed;
}
