#pragma once
// Number-to-text conversion under a format pattern, and the locale's decimal and grouping
// characters that it and the text-to-number conversion use; date-times and their texts under a
// date-time pattern. No toolkit dependency.
//
// Pattern language: placeholders '0' (required digit) and '#' (optional digit), '.' (decimal
// point), ',' anywhere (grouping on), quoted literals ('...' or "..."), 'E+', 'E-', 'e+', 'e-'
// (scientific form), any other character copied, and up to three sections separated by ';'
// for positive, negative and zero values.
#include <cstddef>
#include <cstdint>
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

// ---- Date-times: days since 30 December 1899, the fraction is the time of day ----

inline constexpr double DateTimeSecond = 1.0 / 86400.0;
// Date-times written as texts: from 0 up to this day (beyond the year 9999).
inline constexpr double MaxDateTimeText = 3e6;

struct TCivilDate
{
    int64_t Year;
    int32_t Month; // 1..12
    int32_t Day;   // 1..31
};

// The proleptic Gregorian date of date-time day `day`, and the date-time of the first day of a
// month.
TCivilDate DateOfDay(int64_t day);
double FirstDayOfMonth(int64_t year, int32_t month);

// Writes a date-time under a pattern: yyyy yy (year), mm m (month; minutes right after an hour),
// dd d (day), hh h (hour), nn n (minute), ss s (second), zzz z (millisecond), quoted literals;
// every other character is copied. A value outside 0 .. MaxDateTimeText (or not a number) gives
// an empty text.
std::string FormatDateTime(std::string_view pattern, double value);
// The text of a date-time label: under pattern, or, when it is empty, under the pattern that
// suits labels step days apart (the time with milliseconds, seconds or minutes, the date, the
// month or the year).
std::string DateTimeLabelText(std::string_view pattern, double step, double value);
