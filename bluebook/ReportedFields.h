// Numeric field cuts that, when a conversion account is kept, also note a field whose digits
// are followed by blanks (such blanks are not read as zeros, so the value may be short by
// powers of ten). Without an account they are the plain cuts.
#pragma once

#include <string_view>

#include "bluebook/RecordLine.h"
#include "convert/ConversionReport.h"

inline double ReportedReal(ConversionReport* report, std::string_view line, int column,
                           int width) {
    if (!report) return GetFieldReal(column, width, line);
    bool gap = false;
    const double value = GetFieldReal(column, width, line, gap);
    if (gap) report->NoteFieldGap();
    return value;
}

inline int ReportedInt(ConversionReport* report, std::string_view line, int column, int width) {
    if (!report) return GetFieldInt(column, width, line);
    bool gap = false;
    const int value = GetFieldInt(column, width, line, gap);
    if (gap) report->NoteFieldGap();
    return value;
}
