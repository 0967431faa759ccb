#include "shell/dialog_fields.h"

#include <charconv>
#include <cmath>

namespace {

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f'; }
bool isDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

std::string limitDialogText(const std::string& text) {
  return text.size() > kDialogReadLimit ? text.substr(0, kDialogReadLimit) : text;
}

int32_t parseDialogInt(const std::string& text, size_t* consumed) {
  size_t i = 0;
  while (i < text.size() && isBlank(text[i])) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  const size_t firstDigit = i;
  uint32_t value = 0;  // unsigned, so that a long number wraps instead of overflowing
  while (i < text.size() && isDigit(text[i])) value = value * 10u + static_cast<uint32_t>(text[i++] - '0');
  if (consumed != nullptr) *consumed = i == firstDigit ? 0 : i;
  if (i == firstDigit) return 0;
  if (negative) value = 0u - value;
  return static_cast<int32_t>(value);
}

double parseDialogReal(const std::string& text) {
  size_t i = 0;
  while (i < text.size() && isBlank(text[i])) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  // Only a digit or a decimal point may start the number: no "inf" or "nan".
  if (i >= text.size() || !(isDigit(text[i]) || text[i] == '.')) return 0.0;
  double value = 0.0;
  const char* begin = text.data() + i;
  const auto result = std::from_chars(begin, text.data() + text.size(), value, std::chars_format::general);
  if (result.ec != std::errc() || !std::isfinite(value)) return 0.0;
  return negative ? -value : value;
}

std::string formatDialogReal(double value) {
  char buffer[64];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, 5);
  if (result.ec != std::errc()) return "0";
  return std::string(buffer, result.ptr);
}

std::string formatDialogList(const uint16_t* values, size_t count) {
  std::string text;
  for (size_t k = 0; k < count; ++k) {
    text += std::to_string(values[k]);
    text += ',';
  }
  if (!text.empty()) text.pop_back();
  return text;
}

void parseDialogList(const std::string& fullText, uint16_t* values, size_t count) {
  const std::string text = limitDialogText(fullText);
  size_t pos = 0;
  for (size_t k = 0; k < count; ++k) {
    if (pos >= text.size()) {
      values[k] = 0;
      continue;
    }
    size_t used = 0;
    values[k] = static_cast<uint16_t>(parseDialogInt(text.substr(pos), &used));
    if (used > 0) {
      pos += used;
    } else {
      while (pos < text.size() && isBlank(text[pos])) ++pos;
    }
    // Past the rest of the entry and its separator: a comma, blanks, or blanks and a
    // comma, so that "1, 2" and "1 2" both read 1 and 2.
    const size_t separator = text.find_first_of(", ", pos);
    pos = separator == std::string::npos ? text.size() : separator;
    while (pos < text.size() && isBlank(text[pos])) ++pos;
    if (pos < text.size() && text[pos] == ',') ++pos;
  }
}
