#pragma once
#include <cstdint>
#include <string>

// printf-style formatting into a string (the texts of the views use C formats such as
// " %5d " and "%.3g").
std::string formatText(const char* format, ...) __attribute__((format(printf, 1, 2)));

// The letter that stands for an etalon number on screen: code number + 96 ('a' for 1),
// kept to a single byte.
char etalonLetter(int32_t number);
