#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

// Longest text read back from a dialog control: 99 characters (and a terminator).
constexpr size_t kDialogReadLimit = 99;

// The text of a control as the dialogs read it: cut to its first 99 characters.
std::string limitDialogText(const std::string& text);

// Decimal integer of a text: leading blanks skipped, an optional sign, then digits up to
// the first other character; 0 for text without digits. A number too large for 32 bits
// keeps its low-order bits. `consumed`, when given, receives the characters used (0 when
// no number was found).
int32_t parseDialogInt(const std::string& text, size_t* consumed = nullptr);

// Decimal real of a text (optional sign, digits, decimal point, exponent), independent
// of the process locale; 0 for text that is not a finite number.
double parseDialogReal(const std::string& text);

// A real with at most 5 significant digits, as the chart dialogs show the upper bound.
std::string formatDialogReal(double value);

// A list field: every value followed by ",", the final comma removed.
std::string formatDialogList(const uint16_t* values, size_t count);

// Reads `count` values of a list field (after the 99-character limit). Numbers are
// separated by commas or blanks; entries beyond the end of the text read as 0.
void parseDialogList(const std::string& text, uint16_t* values, size_t count);
