// The fixed head of the TELLURAX input file: record comment, datum and ellipsoid, units,
// network type and the eight default standard deviations (zero, so disabled).
#include "output/Header.h"

#include <string>

#include "common/ResultCodes.h"
#include "output/NumberFormat.h"

namespace {

constexpr const char* kEol = "\r\n";

struct DefaultSd {
    const char* comment;
    const char* keyword;
};

constexpr DefaultSd kDefaultSds[] = {
    {"!Default Azimuth Standard Deviation (SS.sss)", "$G_AZ_SD"},
    {"!Default Direction Standard Deviation (SS.sss)", "$G_DIR_SD"},
    {"!Default Horizontal Angle Standard Deviation (SS.sss)", "$G_HOR_SD"},
    {"!Default Zenith Angle Standard Deviation (SS.sss)", "$G_ZEN_SD"},
    {"!Default Chord (Slope) Distance Standard Deviation (M.mmmmm)", "$G_CRD_SD"},
    {"!Default Horizontal Distance Standard Deviation (M.mmmmm)", "$G_HD_SD"},
    {"!Default Geodesic Distance Standard Deviation (M.mmmmm)", "$G_GEODESIC_SD"},
    {"!Default Height Difference Standard Deviation (M.mmmmm)", "$G_HGTDIFF_SD"},
};

/// A text field of minimum width one: an empty text is written as one blank.
void AppendText(std::string& out, std::string_view text) {
    if (text.empty()) {
        out += ' ';
    } else {
        out += text;
    }
}

}  // namespace

void WriteHeader(std::string_view comment, std::string_view datumName, double semiMajorAxis,
                 double inverseFlattening, OutputFile& out, int& result) {
    result = 0;

    // Lines 1 to 6: record comment and datum.
    std::string group;
    group += kEol;
    AppendText(group, comment);
    group += kEol;
    group += "$DATUM";
    group += kEol;
    group += "  ";
    AppendText(group, datumName);
    group += kEol;
    group += "  ";
    AppendFixed(group, semiMajorAxis, 4);
    group += kEol;
    group += "  ";
    AppendFixed(group, inverseFlattening, 7);
    group += kEol;
    out.Write(group);
    if (out.HasError()) {
        result = kMsgWriteError;
        return;
    }

    // Lines 7 to 12: units (metres, degrees, ...).
    out.Write("\r\n$UNITS\r\nM\r\nD\r\n1\r\n\r\n");
    if (out.HasError()) {
        result = kMsgWriteError;
        return;
    }

    // Lines 13 to 50: network type and the default standard deviations.
    group = "$NETTYP\r\n3\r\n\r\n";
    group += "!Default observation SD's are provided next. They are disabled when set to zero";
    group += kEol;
    group += "!Change the values below to alter SD of each observation type which follows";
    group += kEol;
    group += kEol;
    for (const DefaultSd& sd : kDefaultSds) {
        group += sd.comment;
        group += kEol;
        group += sd.keyword;
        group += kEol;
        group += "0.0";
        group += kEol;
        group += kEol;
    }
    out.Write(group);
    if (out.HasError()) result = kMsgWriteError;
}
