// The number formats of the shape text: the C library's "%g", "%u", "%d" and "%08x", written
// without the C library so that they do not depend on the locale and run fast.
#pragma once

#include <cstddef>
#include <cstdint>

#include "shape_tokens.h"

namespace ffedit {

// Longest text a Format* function writes (no terminator is written).
constexpr size_t kMaxNumberText = 14;

// C "%g" of the float widened to double, with exact ties rounded away from zero and at least
// three exponent digits: 2.6, -0.02002, 1.5e-005, 1e+006, -0 for negative zero; inf, -inf, nan.
size_t FormatFloat(float value, char* out);
// The same by way of a 21-digit decimal expansion; slower, used for magnitudes the exact
// integer path does not cover.
size_t FormatFloatByDigits(float value, char* out);
size_t FormatUint(uint32_t value, char* out);   // %u
size_t FormatSint(uint32_t bits, char* out);    // %d of the two's complement value
size_t FormatDword(uint32_t value, char* out);  // %08x

// A value of the given type, stored as its 32 bits, in UTF-16 straight into the text; 0 for
// kString, which is not a number.
size_t FormatValue(ValueType type, uint32_t bits, char16_t* out);

}  // namespace ffedit
