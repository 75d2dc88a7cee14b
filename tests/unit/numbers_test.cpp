// Numbers in Blue Book fields, in both readings: the literal one against the C library's own
// conversions, the NGS one against its rules worked out by hand and written out as a reference.
#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <random>
#include <regex>
#include <string>

#include "bluebook/Fields.h"
#include "bluebook/Numbers.h"
#include "bluebook/RecordLine.h"

namespace {

// Each reading of a field, and what it found.
int Int(int column, int width, std::string_view line) {
    NumberNotes notes;
    return GetFieldInt(column, width, line, notes);
}
double Real(int column, int width, std::string_view line) {
    NumberNotes notes;
    return GetFieldReal(column, width, line, notes);
}

// --- The literal reading -----------------------------------------------------------------------

TEST(LiteralNumbers, IntegersAsAtoiReadsThem) {
    struct Case {
        const char* field;
        int expected;
    };
    const Case cases[] = {
        {"  12", 12},   {"1 2", 1},     {"    ", 0},      {"-42", -42},  {"+7", 7},
        {"\t\v 9", 9},  {"12ab", 12},   {"abc", 0},       {"- 5", 0},    {"+-5", 0},
        {"007", 7},     {"-0", 0},      {"1.9", 1},       {"3e2", 3},    {"\xC8" "5", 0},
        {"2147483647", INT_MAX},        {"-2147483648", INT_MIN},
        {"2147483648", INT_MAX},        {"-2147483649", INT_MIN},
        {"99999999999999999999", INT_MAX}, {"-99999999999999999999", INT_MIN},
        {" -123456789 ", -123456789},   {"1234567890", 1234567890},
        {"9999999999", INT_MAX},        {"-", 0},       {"  - 7", 0},
    };
    for (const Case& c : cases) {
        const std::string line = std::string("XX") + c.field;
        EXPECT_EQ(Int(3, static_cast<int>(line.size()) - 2, line), c.expected)
            << '"' << c.field << '"';
    }
    EXPECT_EQ(Int(4, 10, "X  123"), 123);  // runs past the end
    EXPECT_EQ(Int(7, 2, "X  123"), 0);     // beyond the end
    EXPECT_EQ(Int(1, 3, "12345"), 123);    // the width limits the digits
}

TEST(LiteralNumbers, RealsAsAtofReadsThem) {
    struct Case {
        const char* field;
        double expected;
    };
    const double inf = std::numeric_limits<double>::infinity();
    const Case cases[] = {
        {"-3.5", -3.5},   {"  1.25", 1.25}, {"0.3", 0.3},    {"12", 12.0},     {".5", 0.5},
        {"5.", 5.0},      {"-.5", -0.5},    {"+2.5", 2.5},   {"1.5e2", 150.0}, {"1E-3", 0.001},
        {"2e+1x", 20.0},  {"1e", 1.0},      {"1.5e+", 1.5},  {"1d5", 1.0},     {"1.2.3", 1.2},
        {"12.5abc", 12.5}, {"1 5", 1.0},    {"abc", 0.0},    {".", 0.0},       {"- 5", 0.0},
        {"--5", 0.0},     {"+-5", 0.0},     {"0x10", 16.0},  {"0x", 0.0},      {"inf", inf},
        {"-INFINITY", -inf}, {"1e999", inf}, {"-1e999", -inf}, {"1e-999", 0.0},
        // Correctly rounded, as the compiler converts the same text.
        {"4512345.6789", 4512345.6789}, {"-77.123456789012", -77.123456789012},
        {"1234567.8901234567", 1234567.8901234567},
        // Plain digit fields around the 15 digits that convert without rounding, and what may
        // follow them.
        {"123456789.012345", 123456789.012345}, {"1234567890.123456", 1234567890.123456},
        {"00000000000000001", 1.0}, {"  -12.50  ", -12.5}, {"1.5-", 1.5}, {"7\t8", 7.0},
    };
    for (const Case& c : cases) {
        const std::string line = std::string("XX") + c.field;
        EXPECT_EQ(Real(3, static_cast<int>(line.size()) - 2, line), c.expected)
            << '"' << c.field << '"';
    }
    EXPECT_TRUE(std::isnan(Real(1, 3, "nan")));
    EXPECT_TRUE(std::signbit(Real(1, 2, "-0")));
    EXPECT_TRUE(std::signbit(Real(1, 6, "  -0.0")));
    EXPECT_TRUE(std::signbit(Real(1, 4, "-0x.")));  // the "0" before the x
    // No number after a sign is a plain zero, never a negative one.
    for (const char* noNumber : {"-", " -x", "-.", "--5"})
        EXPECT_FALSE(std::signbit(Real(1, 4, noNumber))) << noNumber;
    EXPECT_EQ(Real(9, 4, "X  1.5"), 0.0);  // beyond the end
    EXPECT_EQ(Real(4, 9, "X  1.5"), 1.5);  // runs past the end
    EXPECT_EQ(Real(1, 3, "12.75"), 12.0);  // the width ends the number
}

TEST(LiteralNumbers, BlanksAfterDigitsAreFoundInsideTheFieldOnly) {
    struct Case {
        const char* line;
        int column, width;
        bool gap;
    };
    const Case cases[] = {
        // Fields the plain conversion takes in one pass.
        {"  4241 ", 1, 7, true},   {"  4241", 1, 7, false},  {"1 2", 1, 3, true},
        {"-12 ", 1, 4, true},      {"12.5 ", 1, 5, false},   {"12. ", 1, 4, false},
        {"    ", 1, 4, false},     {"- ", 1, 2, false},      {"12 34", 1, 2, false},
        {"x 12 ", 2, 3, false},    {"  12  ", 3, 3, true},   {"  12", 3, 9, false},
        // Fields the general conversion takes.
        {"- 12 ", 1, 5, true},     {"1234567890123456 ", 1, 17, true},
        {"1e5 ", 1, 4, true},      {"12A ", 1, 4, true},     {"+7 ", 1, 3, true},
        {"1.5e3 ", 1, 6, false},
    };
    for (const Case& c : cases) {
        const std::string_view field = GetFieldText(c.column, c.width, c.line);
        EXPECT_EQ(HasBlankAfterDigits(field), c.gap) << '"' << c.line << '"';
        NumberNotes real;
        NumberNotes integer;
        GetFieldReal(c.column, c.width, c.line, real);
        GetFieldInt(c.column, c.width, c.line, integer);
        EXPECT_EQ(real.digitsThenBlanks, c.gap) << '"' << c.line << '"';
        EXPECT_EQ(integer.digitsThenBlanks, c.gap) << '"' << c.line << '"';
    }
    // The flag is only ever set, never cleared.
    NumberNotes gap;
    gap.digitsThenBlanks = true;
    GetFieldReal(1, 4, "1234", gap);
    EXPECT_TRUE(gap.digitsThenBlanks);
}

// The literal reading's fast paths against the C library's own conversions, on random fields of
// the characters numbers are made of (atoi as strtol clamped to int).
TEST(LiteralNumbers, RandomFieldsReadAsTheCLibraryReadsThem) {
    std::mt19937 random(9122026);
    const std::string kinds[] = {"0123456789", "   ", " 0123456789.-+", " .eE+-xXaAfinI\t"};
    int mismatches = 0;
    for (int n = 0; n < 200000 && mismatches < 10; ++n) {
        std::string field;
        const std::size_t length = random() % 14;
        for (std::size_t k = 0; k < length; ++k) {
            const std::string& kind = kinds[random() % 8 == 0 ? 3 : random() % 3];
            field += kind[random() % kind.size()];
        }
        const double real = Real(1, 13, field);
        const double expected = std::strtod(field.c_str(), nullptr);
        const long integer = std::strtol(field.c_str(), nullptr, 10);
        const int expectedInt = integer > INT_MAX ? INT_MAX : integer < INT_MIN ? INT_MIN
                                                                                : static_cast<int>(integer);
        const bool same = (real == expected || (std::isnan(real) && std::isnan(expected))) &&
                          std::signbit(real) == std::signbit(expected) &&
                          Int(1, 13, field) == expectedInt;
        if (!same) {
            ++mismatches;
            ADD_FAILURE() << '"' << field << "\": " << real << " " << Int(1, 13, field)
                          << ", expected " << expected << " " << expectedInt;
        }
    }
}

// --- The NGS reading ---------------------------------------------------------------------------

TEST(NgsNumbers, BlanksAfterTheFirstCharacterAreZerosAndOnlyNumbersAreRead) {
    const struct {
        const char* text;
        int width;  // the field's columns; the text may end before them
        double value;
        bool blanksAsZeros, notANumber;
    } cases[] = {
        {"  4241 ", 7, 42410, true, false},   // a blank millimetre digit
        {"  4241", 7, 42410, true, false},    // the line ended inside the field
        {"   4241", 7, 4241, false, false},
        {"       ", 7, 0, false, false},
        {"", 7, 0, false, false},             // the whole field beyond the line
        {"-12 ", 4, -120, true, false},
        {"- 12", 4, -12, false, false},       // "-012"
        {"1 2", 3, 102, true, false},
        {"1\t2", 3, 102, true, false},        // a tab is a blank
        {"12\xC3", 3, 120, true, false},      // so is a byte from 128 on
        {"12.5 ", 5, 12.5, false, false},     // a zero after the decimals changes nothing
        {"  0   ", 6, 0, false, false},
        {"1.5E3", 5, 1500, false, false},
        {"1.5D2", 5, 150, false, false},
        {"1.5E 3", 6, 1500, false, false},   // a leading zero of the exponent
        {"1.5E3 ", 6, 1.5e30, true, false},   // as Fortran reads it
        {"12A ", 4, 12, false, true},
        {"0x10", 4, 0, false, true},
        {"nan", 3, 0, false, true},
        {"  +inf", 6, 0, false, true},
        {"--5", 3, 0, false, true},
        {"1.5E", 4, 1.5, false, true},        // an exponent without digits
        {"9E999", 5, 0, false, true},         // no finite number
        {".", 1, 0, false, false},
    };
    for (const auto& c : cases) {
        NumberNotes notes;
        EXPECT_EQ(GetFieldRealNgs(1, c.width, c.text, notes), c.value) << '"' << c.text << '"';
        EXPECT_EQ(notes.blanksAsZeros, c.blanksAsZeros) << '"' << c.text << '"';
        EXPECT_EQ(notes.notANumber, c.notANumber) << '"' << c.text << '"';
    }
}

TEST(NgsNumbers, AWrittenDecimalPointOverridesTheImpliedDecimals) {
    // Fortran's Fw.d: a point written in the field places it, and the d implied decimals no
    // longer apply; in the packed angles the point stands in the seconds (times 1e-4 packed).
    constexpr ScaledField kHeight{1, 7, 0.001};         // *86* heights, F7.3
    constexpr ScaledField kComponent{1, 11, 0.0001};    // C record DX
    constexpr ScaledField kLatitude{1, 11, 1e-9, kPackedAngle};
    constexpr ScaledField kLongitude{1, 12, 1e-9, kPackedAngle};
    constexpr ScaledField kDirection{1, 9, 1e-6, kPackedAngle};
    const struct {
        const char* text;
        ScaledField field;
        double value;
        bool point, exponent;
    } cases[] = {
        {"1234.56", kHeight, 1234.56, true, false},
        {"-23.45 ", kHeight, -23.45, true, false},      // the blank is a zero after the point
        {"   -.5 ", kHeight, -0.5, true, false},
        {"+12.   ", kHeight, 12.0, true, false},
        {" 1 2.5 ", kHeight, 102.5, true, false},       // a blank before the point is a zero
        {"  1.5E2", kHeight, 150.0, true, true},
        {"   15E2", kHeight, 1.5, false, true},         // no point: 0.015E2
        {"12AB.5 ", kHeight, 0.012, false, false},      // the number ended before the point
        {"1234560", kHeight, 1234.56, false, false},
        {"  2902.7391", kComponent, 2902.7391, true, false},
        {"-6881384804", kComponent, -688138.4804, false, false},
        {"391234.5678", kLatitude, 39.12345678, true, false},
        {"39123456789", kLatitude, 39.123456789, false, false},
        {"1121234.5678", kLongitude, 112.12345678, true, false},
        {"1234512.3", kDirection, 123.45123, true, false},
    };
    for (const auto& c : cases) {
        RecordFields ngs(c.text, Reading::kNgs);
        EXPECT_DOUBLE_EQ(ngs.Real(c.field), c.value) << '"' << c.text << '"';
        EXPECT_EQ(ngs.Found().Has(Finding::kPointWritten), c.point) << '"' << c.text << '"';
        EXPECT_EQ(ngs.Found().Has(Finding::kExponent), c.exponent) << '"' << c.text << '"';
    }
    // The literal reading keeps the implied decimals, point or not.
    RecordFields literal("1234.56", Reading::kClassic);
    EXPECT_DOUBLE_EQ(literal.Real(kHeight), 1.23456);
    EXPECT_FALSE(literal.Found().Has(Finding::kPointWritten));
}

/// The NGS reading of a field written out from its rules, as a reference: pad to the field's
/// columns, drop leading blanks, then read the longest number at the start of the text with its
/// blanks as zeros, and of the text without its blanks.
struct Reference {
    double value = 0.0;
    bool blanksAsZeros = false;
    bool notANumber = false;
};

double LongestNumber(std::string text, bool& whole) {
    static const std::regex kNumber(R"(^[+-]?(?:(?:[0-9]+\.?[0-9]*|\.[0-9]+)(?:[eEdD][+-]?[0-9]+)?|\.)?)");
    std::smatch match;
    std::regex_search(text, match, kNumber);
    std::string number = match.str();
    whole = number.size() == text.size();
    for (char& c : number) {
        if (c == 'd' || c == 'D') c = 'e';
    }
    return std::strtod(number.c_str(), nullptr);
}

Reference ReadByTheRules(std::string field, std::size_t width) {
    Reference r;
    if (field.size() < width) field.append(width - field.size(), ' ');
    std::size_t first = 0;
    while (first < field.size() && IsBlank(field[first])) ++first;
    if (first == field.size()) return r;
    std::string zeros = field.substr(first);
    std::string squeezed;
    for (char& c : zeros) {
        if (!IsBlank(c)) squeezed += c;
        if (IsBlank(c)) c = '0';
    }
    bool whole = false;
    bool unused = false;
    r.value = LongestNumber(zeros, whole);
    const double withoutBlanks = LongestNumber(squeezed, unused);
    r.notANumber = !whole || !std::isfinite(r.value);
    if (!std::isfinite(r.value)) {
        r.value = 0.0;
    } else if (r.value != withoutBlanks) {
        r.blanksAsZeros = true;
    }
    return r;
}

TEST(NgsNumbers, RandomFieldsReadAsTheRulesSay) {
    std::mt19937 random(20261209);
    const std::string kinds[] = {"0123456789", "          ", " 0123456789.-", " .eEdD+-Ax\t\xC3"};
    int mismatches = 0;
    for (int n = 0; n < 200000 && mismatches < 10; ++n) {
        const std::size_t width = 1 + random() % 13;
        std::string field;
        const std::size_t length = random() % (width + 1);  // lines may end inside the field
        for (std::size_t k = 0; k < length; ++k) {
            const std::string& kind = kinds[random() % 4 == 3 ? 3 : random() % 3];
            field += kind[random() % kind.size()];
        }
        NumberNotes notes;
        const double value = GetFieldRealNgs(1, static_cast<int>(width), field, notes);
        const Reference expected = ReadByTheRules(field, width);
        const bool same = value == expected.value && notes.notANumber == expected.notANumber &&
                          notes.blanksAsZeros == expected.blanksAsZeros;
        if (!same) {
            ++mismatches;
            ADD_FAILURE() << '"' << field << "\" width " << width << ": " << value << " "
                          << notes.blanksAsZeros << notes.notANumber << ", expected "
                          << expected.value << " " << expected.blanksAsZeros
                          << expected.notANumber;
        }
    }
}

}  // namespace
