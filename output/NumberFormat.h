// The one number formatter of the output file: exact, correctly rounded, independent of locale
// and C runtime, so every platform writes the same digits.
#pragma once

#include <string>

#include "output/TextBuffer.h"

/// Appends `value` in fixed-point notation with exactly `decimals` decimals (never an exponent,
/// at least one digit before the point, "-" when negative, as printf's "%1.<decimals>f").
void AppendFixed(std::string& out, double value, int decimals);
void AppendFixed(TextBuffer& out, double value, int decimals);
/// Appends `value` in decimal, "-" when negative (printf's "%d").
void AppendInt(std::string& out, int value);
void AppendInt(TextBuffer& out, int value);
