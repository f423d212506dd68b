// The text form of numbers: every number shown goes through FormatValue and
// every number read through ParseValue.
#pragma once

#include <cstddef>

// Rounds the fraction to hundredths, half away from zero; the integer part is
// carried over exactly.
double RoundValue(double x);

// The display text of x: rounded to hundredths, then at most eight
// significant digits (%.8g, two-digit exponent). A negative value that rounds
// to zero reads "-0"; every other zero reads "0". out holds TEXT_SIZE bytes.
char* FormatValue(char* out, double x);

// The number at the start of text, by the decimal strtod rule with d or D
// also taken as the exponent letter; 0 when there is none. Only the first 127
// characters are looked at, as no box holds more.
double ParseValue(const char* text);
