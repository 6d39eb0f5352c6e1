#pragma once
// Number-to-text conversion under a format pattern, and the locale's decimal and grouping
// characters that it and the text-to-number conversion use. No toolkit dependency.
//
// Pattern language: placeholders '0' (required digit) and '#' (optional digit), '.' (decimal
// point), ',' anywhere (grouping on), quoted literals ('...' or "..."), 'E+', 'E-', 'e+', 'e-'
// (scientific form), any other character copied, and up to three sections separated by ';'
// for positive, negative and zero values.
#include <cstddef>
#include <string>
#include <string_view>

// Longest pattern FormatNumber accepts.
inline constexpr std::size_t kMaxFormatPatternLength = 224;

// Writes value under pattern. Throws EConvertError("Format string too long") for a pattern of
// more than kMaxFormatPatternLength characters.
std::string FormatNumber(std::string_view pattern, double value);

// Process-wide separators: '.' and ',' until set.
char DecimalMark();
// '\0' means that no grouping character is written.
char GroupingMark();
// Throws EConvertError when the decimal mark is '\0' or a digit, or equals the grouping mark.
void SetNumberSeparators(char decimalMark, char groupingMark);
// Reads the separators of the user's locale once at program start (the process's numeric locale
// is restored afterwards). '.' and ',' where the locale gives none; a separator that is not a
// single ASCII character becomes '.' (decimal) or ' ' (grouping, usually a no-break space).
void ReadNumberSeparatorsFromSystem();

// Converts text written with DecimalMark back to a double, ignoring GroupingMark characters and
// surrounding blanks. Throws EConvertError("'<text>' is not a valid floating point value").
double TextToFloat(std::string_view text);
