#include "app/length_text.h"

#include <charconv>
#include <cmath>
#include <limits>

std::string FormatLength(float length) {
  char text[32];
  auto [end, ec] = std::to_chars(text, text + sizeof text, static_cast<double>(length),
                                 std::chars_format::general, 6);
  if (ec != std::errc()) return "0";
  return std::string(text, end);
}

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

}  // namespace

bool ParseLengthField(std::string_view text, float& length) {
  size_t at = 0;
  while (at < text.size() && IsBlank(text[at])) ++at;
  if (at == text.size()) return false;
  const char first = text[at];
  // from_chars takes a leading '-' but not a '+'.
  size_t number = first == '+' ? at + 1 : at;
  if (number < text.size() && (text[number] == '+' || text[number] == '-') && first == '+')
    return false;
  double value = 0;
  auto [stop, ec] = std::from_chars(text.data() + number, text.data() + text.size(), value,
                                    std::chars_format::general);
  if (ec != std::errc()) return false;
  if (value == 0.0 && first != '0') return false;
  if (!std::isfinite(value) || std::fabs(value) > std::numeric_limits<float>::max()) return false;
  size_t rest = static_cast<size_t>(stop - text.data());
  while (rest < text.size() && IsBlank(text[rest])) ++rest;
  if (rest != text.size()) return false;
  length = static_cast<float>(value);
  return true;
}
