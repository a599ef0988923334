// Number reading and printing with the C library's rules, independent of the locale.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

// The leading whole number of text, as the C library's text-to-integer conversion reads it:
// white space skipped, an optional sign, decimal digits up to the first other character; 0
// when there are none. A value beyond 32 bits is clamped to the 32-bit range.
int32_t ReadLeadingInt(std::string_view text);

// The leading decimal number of text, as the C library's text-to-double conversion reads it
// (sign, digits, fraction, exponent). Decimal only: "inf", "nan" and hexadecimal read as 0.
double ReadLeadingDouble(std::string_view text);
// Where that conversion stops: the length of the white space, sign and number it takes; 0
// when there is no number. An exponent counts only with a digit after its "e" and sign.
size_t LeadingDoubleLength(std::string_view text);

// A unit written directly after the number, as Open Rails-era files do: "98t", "15.4ft".
struct GluedUnit {
  std::string_view unit;
  double factor;  // to the unit the model file means
};

// Lengths, in metres.
inline constexpr GluedUnit kLengthUnits[] = {
    {"m", 1}, {"ft", 0.3048}, {"in", 0.0254}, {"cm", 0.01}, {"mm", 0.001}};

// The text directly after the leading number of value, up to a blank, ")", a quote or "#".
std::string_view GluedUnitText(std::string_view value);
// The unit directly after the number, when it is one of units.
const GluedUnit* FindGluedUnit(std::string_view value, std::span<const GluedUnit> units);

// A double rounded to the nearest 32-bit float (the range's ends become infinities).
float RoundToFloat(double value);

// "%.0f": rounded to a whole number, exact halves away from zero; "-0" for a negative value
// that rounds to zero.
void AppendWhole(std::string& out, double value);
// "%.0f/%.0f/%.0f": a position or placement in whole millimetres.
void AppendWholeTriple(std::string& out, double a, double b, double c);
// "%f": six decimals, exact halves away from zero.
void AppendFixed6(std::string& out, double value);
// "%d".
void AppendInt(std::string& out, int64_t value);

// The longest text of one number above ("%f" of the largest double, with sign and point).
inline constexpr size_t kMaxNumberText = 400;
// The same texts written at `at`, which has room for kMaxNumberText characters (three times
// that for a triple), for a writer that gathers a line before appending it; each returns the
// end of what it wrote.
char* PutWhole(char* at, double value);
char* PutWholeTriple(char* at, double a, double b, double c);
char* PutFixed6(char* at, double value);
char* PutInt(char* at, int64_t value);

// How many numbers the functions above have written on this thread that readers of a model
// file refuse: "inf" or "nan", or a whole-number triple's part beyond kMaxModelMillimetres. A
// run compares the count before and after.
uint64_t RefusedNumbersWritten();

// A double cut toward zero to 32 bits; NaN and values outside the 32-bit range give
// -2147483648 (the processor's "integer indefinite"), where a plain cast would be undefined,
// so that such a value is written the same everywhere.
int32_t TruncateToInt32(double value);
// The low 32 bits of a 64-bit product, in two's complement.
int32_t LowBits32(int64_t value);
