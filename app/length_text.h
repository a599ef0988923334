// The text exchange of the Length field, as the dialog framework exchanges a float: shown
// like "%g" with 6 significant digits, read back as a plain decimal number; always with "."
// as the decimal point, whatever the locale.
#pragma once

#include <string>
#include <string_view>

// "%g" of length with 6 significant digits: 20.5, 0, 1e-05.
std::string FormatLength(float length);

// Reads text as the framework does: blanks and tabs around one decimal number, nothing else.
// As there, a number that comes out as zero counts only when its text starts with '0' ("0",
// "0.0"; not "-0" or ".0"). Also not a number: text beyond the float range, infinities and
// NaN. Returns false and leaves length alone when the text is not a number.
bool ParseLengthField(std::string_view text, float& length);
