#include "chart/NumberFormat.h"

#include "platform/Errors.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <charconv>
#include <clocale>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string>
#include <system_error>

namespace {

char gDecimalMark = '.';
char gGroupingMark = ',';

// Digits kept of a value before it is rounded to the pattern's decimals.
constexpr int kSignificantDigits = 18;
// Digits of the general form.
constexpr int kGeneralDigits = 15;
// Values with more integer digits than this are written in the general form.
constexpr int kMaxIntegerDigits = 18;
// Exponent digits a scientific pattern can ask for.
constexpr int kMaxExponentDigits = 4;

bool IsQuote(char c)
{
    return c == '\'' || c == '"';
}

bool IsPlaceholder(char c)
{
    return c == '0' || c == '#';
}

// Index just after the quoted text that opens at pos (the pattern's end if unterminated).
std::size_t SkipQuoted(std::string_view pattern, std::size_t pos)
{
    const std::size_t close = pattern.find(pattern[pos], pos + 1);
    return close == std::string_view::npos ? pattern.size() : close + 1;
}

// An 'E+', 'E-', 'e+' or 'e-' at pos starts the exponent of a scientific pattern.
bool IsExponentAt(std::string_view pattern, std::size_t pos)
{
    return (pattern[pos] == 'E' || pattern[pos] == 'e') && pos + 1 < pattern.size() &&
           (pattern[pos + 1] == '+' || pattern[pos + 1] == '-');
}

// Index after the exponent's digit placeholders that follow the sign at pos + 1.
std::size_t SkipExponentDigits(std::string_view pattern, std::size_t pos)
{
    std::size_t end = pos + 2;
    while (end < pattern.size() && IsPlaceholder(pattern[end])) {
        ++end;
    }
    return end;
}

// Start of each of the three sections; npos for a section that does not exist.
struct TSections
{
    std::array<std::size_t, 3> Start{0, std::string_view::npos, std::string_view::npos};
};

TSections FindSections(std::string_view pattern)
{
    TSections sections;
    int count = 1;
    std::size_t pos = 0;
    while (pos < pattern.size() && count < 3) {
        if (IsQuote(pattern[pos])) {
            pos = SkipQuoted(pattern, pos);
        } else if (pattern[pos] == ';') {
            sections.Start[count++] = ++pos;
        } else {
            ++pos;
        }
    }
    return sections;
}

bool SectionUsable(std::string_view pattern, const TSections& sections, int index)
{
    const std::size_t start = sections.Start[index];
    return start != std::string_view::npos && start < pattern.size() && pattern[start] != ';';
}

// The section for a value of the given kind (0 positive, 1 negative, 2 zero), falling back to
// section 1.
int ChooseSection(std::string_view pattern, const TSections& sections, int kind)
{
    return SectionUsable(pattern, sections, kind) ? kind : 0;
}

// What the digit layout needs to know about a section.
struct TSectionLayout
{
    int Placeholders = 0;     // P
    int IntegerDigits = 0;    // I
    int RequiredInteger = 0;  // RI
    int RequiredDecimals = 0; // RD
    int Decimals = 0;         // D
    bool Grouping = false;
    bool Scientific = false;
};

TSectionLayout ScanSection(std::string_view pattern, std::size_t start)
{
    int placeholders = 0;
    int beforePoint = -1;
    int beforeFirstZero = -1;
    int throughLastZero = 0;
    TSectionLayout layout;
    std::size_t pos = start;
    while (pos < pattern.size() && pattern[pos] != ';') {
        const char c = pattern[pos];
        if (IsQuote(c)) {
            pos = SkipQuoted(pattern, pos);
            continue;
        }
        if (IsExponentAt(pattern, pos)) {
            layout.Scientific = true;
            pos = SkipExponentDigits(pattern, pos);
            continue;
        }
        if (IsPlaceholder(c)) {
            if (c == '0') {
                if (beforeFirstZero < 0) {
                    beforeFirstZero = placeholders;
                }
                throughLastZero = placeholders + 1;
            }
            ++placeholders;
        } else if (c == '.' && beforePoint < 0) {
            beforePoint = placeholders;
        } else if (c == ',') {
            layout.Grouping = true;
        }
        ++pos;
    }
    layout.Placeholders = placeholders;
    layout.IntegerDigits = beforePoint < 0 ? placeholders : beforePoint;
    if (beforeFirstZero >= 0 && layout.IntegerDigits > beforeFirstZero) {
        layout.RequiredInteger = layout.IntegerDigits - beforeFirstZero;
    }
    if (throughLastZero > layout.IntegerDigits) {
        layout.RequiredDecimals = throughLastZero - layout.IntegerDigits;
    }
    layout.Decimals = placeholders - layout.IntegerDigits;
    return layout;
}

// A finite value as 0.Digits x 10^Exponent; no trailing zeros, Count 0 and Exponent 0 for zero.
struct TDecimal
{
    std::array<char, kSignificantDigits> Digits{};
    int Count = 0;
    int Exponent = 0;
    bool Negative = false;

    bool IsZero() const { return Count == 0; }
};

void DropTrailingZeros(TDecimal& number)
{
    while (number.Count > 0 && number.Digits[number.Count - 1] == '0') {
        --number.Count;
    }
    if (number.Count == 0) {
        number = TDecimal{};
    }
}

// The value's 18 significant digits, correctly rounded from its binary value.
TDecimal ToDecimal(double value)
{
    TDecimal result;
    if (value == 0.0) {
        return result;
    }
    // d.ddddddddddddddddde-xxx
    std::array<char, 32> text{};
    const std::to_chars_result written =
        std::to_chars(text.data(), text.data() + text.size(), std::fabs(value),
                      std::chars_format::scientific, kSignificantDigits - 1);
    const char* exponentText = std::find(text.data(), written.ptr, 'e') + 1;
    if (*exponentText == '+') {
        ++exponentText;
    }
    int exponent = 0;
    std::from_chars(exponentText, written.ptr, exponent);
    result.Digits[0] = text[0];
    std::memcpy(result.Digits.data() + 1, text.data() + 2, kSignificantDigits - 1);
    result.Count = kSignificantDigits;
    result.Exponent = exponent + 1;
    result.Negative = value < 0;
    // Trailing zeros are no digits of the value: a pattern with room for all 18 digits must not
    // write them as decimals.
    DropTrailingZeros(result);
    return result;
}

// Keeps the first `keep` significant digits, rounding half away from zero on the digit after
// them. keep <= 0 leaves at most a carry into a new leading digit.
void RoundToDigits(TDecimal& number, int keep)
{
    if (number.IsZero() || keep >= number.Count) {
        return;
    }
    if (keep < 0) {
        number = TDecimal{};
        return;
    }
    const bool up = number.Digits[keep] >= '5';
    number.Count = keep;
    if (up) {
        int pos = keep - 1;
        while (pos >= 0 && number.Digits[pos] == '9') {
            number.Digits[pos--] = '0';
        }
        if (pos >= 0) {
            ++number.Digits[pos];
        } else {
            // Every kept digit carried over (or none was kept): the value became 10^Exponent.
            number.Digits[0] = '1';
            number.Count = 1;
            ++number.Exponent;
        }
    }
    DropTrailingZeros(number);
}

// Collects the text in a fixed stack buffer; a text longer than the buffer continues in the
// result string, so no pattern can write past it.
class TTextBuffer
{
public:
    void Put(char c)
    {
        if (FLength == FBuffer.size()) {
            FSpill.append(FBuffer.data(), FLength);
            FLength = 0;
        }
        FBuffer[FLength++] = c;
    }
    void Put(std::string_view text)
    {
        for (char c : text) {
            Put(c);
        }
    }
    std::string Take()
    {
        FSpill.append(FBuffer.data(), FLength);
        FLength = 0;
        return std::move(FSpill);
    }

private:
    std::array<char, 256> FBuffer;
    std::size_t FLength = 0;
    std::string FSpill;
};

// Up to 15 significant digits, no trailing zeros, DecimalMark; NAN, INF and -INF otherwise.
std::string GeneralForm(double value)
{
    if (std::isnan(value)) {
        return "NAN";
    }
    if (std::isinf(value)) {
        return value < 0 ? "-INF" : "INF";
    }
    if (value == 0.0) {
        return "0";
    }
    std::array<char, 32> text{};
    const std::to_chars_result written = std::to_chars(
        text.data(), text.data() + text.size(), value, std::chars_format::general, kGeneralDigits);
    TTextBuffer out;
    for (const char* p = text.data(); p != written.ptr; ++p) {
        out.Put(*p == '.' ? gDecimalMark : *p == 'e' ? 'E' : *p);
    }
    return out.Take();
}

// Writes the exponent of a scientific pattern whose 'E'/'e' is at pos.
void WriteExponent(TTextBuffer& out, std::string_view pattern, std::size_t pos, int exponent)
{
    out.Put(pattern[pos]);
    if (exponent < 0) {
        out.Put('-');
    } else if (pattern[pos + 1] == '+') {
        out.Put('+');
    }
    const int minDigits =
        std::min(static_cast<int>(SkipExponentDigits(pattern, pos) - pos - 2), kMaxExponentDigits);
    std::array<char, 8> digits{};
    const std::to_chars_result written =
        std::to_chars(digits.data(), digits.data() + digits.size(), std::abs(exponent));
    for (int pad = static_cast<int>(written.ptr - digits.data()); pad < minDigits; ++pad) {
        out.Put('0');
    }
    out.Put(std::string_view(digits.data(), static_cast<std::size_t>(written.ptr - digits.data())));
}

// Walks one section and writes the rounded number under it. `number` holds the digits to place
// with Exponent counted as integer digits; `exponent` is the scientific exponent to print.
class TSectionWriter
{
public:
    TSectionWriter(TTextBuffer& out, const TSectionLayout& layout, const TDecimal& number)
        : FOut(out), FLayout(layout), FNumber(number),
          FPosition(std::max(number.Exponent, layout.IntegerDigits)),
          FExcess(number.Exponent - layout.IntegerDigits)
    {
    }

    void Write(std::string_view pattern, std::size_t start, int exponent)
    {
        std::size_t pos = start;
        while (pos < pattern.size() && pattern[pos] != ';') {
            const char c = pattern[pos];
            if (IsQuote(c)) {
                const std::size_t close = pattern.find(c, pos + 1);
                const std::size_t textEnd =
                    close == std::string_view::npos ? pattern.size() : close;
                FOut.Put(pattern.substr(pos + 1, textEnd - pos - 1));
                pos = SkipQuoted(pattern, pos);
                continue;
            }
            if (FLayout.Scientific && IsExponentAt(pattern, pos)) {
                WriteExponent(FOut, pattern, pos, exponent);
                pos = SkipExponentDigits(pattern, pos);
                continue;
            }
            if (IsPlaceholder(c)) {
                Placeholder();
            } else if (c != '.' && c != ',') {
                FOut.Put(c);
            }
            ++pos;
        }
    }

private:
    void Placeholder()
    {
        if (FExcess > 0) {
            for (int i = FExcess; i >= 0; --i) {
                Position();
            }
            FExcess = 0;
        } else if (FExcess == 0) {
            Position();
        } else {
            ++FExcess;
            if (FPosition <= FLayout.RequiredInteger) {
                Digit('0');
            }
            --FPosition;
        }
    }

    // Writes the next digit of the number, a required '0' once the digits are used up, or
    // nothing.
    void Position()
    {
        if (FNext < FNumber.Count) {
            Digit(FNumber.Digits[FNext++]);
        } else if (FPosition > -FLayout.RequiredDecimals) {
            Digit('0');
        }
        --FPosition;
    }

    void Digit(char digit)
    {
        if (FPosition == 0) {
            FOut.Put(gDecimalMark);
        }
        FOut.Put(digit);
        if (FPosition > 1 && FLayout.Grouping && FPosition % 3 == 1 && gGroupingMark != '\0') {
            FOut.Put(gGroupingMark);
        }
    }

    TTextBuffer& FOut;
    const TSectionLayout& FLayout;
    const TDecimal& FNumber;
    int FPosition; // K: integer positions count down to 1, decimals from 0 downwards
    int FExcess;   // X: integer digits without a placeholder of their own
    int FNext = 0; // next digit of FNumber to write
};

} // namespace

std::string FormatNumber(std::string_view pattern, double value)
{
    if (pattern.size() > kMaxFormatPatternLength) {
        throw EConvertError("Format string too long");
    }
    const TSections sections = FindSections(pattern);
    const int kind = value == 0.0 ? 2 : value < 0 ? 1 : 0;
    int section = ChooseSection(pattern, sections, kind);
    if (!SectionUsable(pattern, sections, section) || !std::isfinite(value)) {
        return GeneralForm(value);
    }
    TSectionLayout layout = ScanSection(pattern, sections.Start[section]);

    TDecimal number = ToDecimal(value);
    int exponent = 0;
    if (layout.Scientific) {
        RoundToDigits(number, std::max(layout.Placeholders, 1));
        if (!number.IsZero()) {
            // Shown with IntegerDigits digits before the point; the rest goes into the exponent.
            exponent = number.Exponent - layout.IntegerDigits;
            number.Exponent = layout.IntegerDigits;
        }
    } else {
        RoundToDigits(number, number.Exponent + layout.Decimals);
        if (number.Exponent > kMaxIntegerDigits) {
            return GeneralForm(value);
        }
    }

    if (number.IsZero() && value != 0.0) {
        const int zeroSection = ChooseSection(pattern, sections, 2);
        if (zeroSection != section) {
            section = zeroSection;
            layout = ScanSection(pattern, sections.Start[section]);
        }
    }

    TTextBuffer out;
    if (number.Negative && section == 0) {
        out.Put('-');
    }
    TSectionWriter(out, layout, number).Write(pattern, sections.Start[section], exponent);
    return out.Take();
}

char DecimalMark()
{
    return gDecimalMark;
}

char GroupingMark()
{
    return gGroupingMark;
}

void SetNumberSeparators(char decimalMark, char groupingMark)
{
    if (decimalMark == '\0' || (decimalMark >= '0' && decimalMark <= '9') ||
        decimalMark == groupingMark) {
        throw EConvertError("Invalid number separators");
    }
    gDecimalMark = decimalMark;
    gGroupingMark = groupingMark;
}

namespace {

// A locale separator as one ASCII character; fallback when the locale gives none, substitute
// when it gives a multi-byte or non-ASCII one (such as a no-break space).
char SeparatorFromLocale(const char* text, char fallback, char substitute)
{
    if (text == nullptr || text[0] == '\0') {
        return fallback;
    }
    const auto first = static_cast<unsigned char>(text[0]);
    if (text[1] != '\0' || first >= 0x80) {
        return substitute;
    }
    return text[0];
}

} // namespace

void ReadNumberSeparatorsFromSystem()
{
    // Read the user's numeric conventions, then put the previous numeric locale back so that
    // the rest of the program keeps its number parsing unchanged.
    const char* current = std::setlocale(LC_NUMERIC, nullptr);
    const std::string previous = current != nullptr ? current : "C";
    char decimalMark = '.';
    char groupingMark = ',';
    if (std::setlocale(LC_NUMERIC, "") != nullptr) {
        const std::lconv* conventions = std::localeconv();
        decimalMark = SeparatorFromLocale(conventions->decimal_point, '.', '.');
        groupingMark = SeparatorFromLocale(conventions->thousands_sep, ',', ' ');
    }
    std::setlocale(LC_NUMERIC, previous.c_str());
    if (decimalMark >= '0' && decimalMark <= '9') {
        decimalMark = '.';
    }
    if (groupingMark == decimalMark) {
        // Grouping that looks like the decimal mark would make the texts ambiguous.
        groupingMark = decimalMark == ',' ? '.' : ',';
    }
    SetNumberSeparators(decimalMark, groupingMark);
}

double TextToFloat(std::string_view text)
{
    const auto invalid = [text]() {
        // Built by appending: GCC 12 warns falsely (-Wrestrict) about "'" + std::string(...).
        std::string message(1, '\'');
        message.append(text).append("' is not a valid floating point value");
        return EConvertError(message);
    };
    std::size_t first = text.find_first_not_of(" \t");
    std::size_t last = text.find_last_not_of(" \t");
    if (first == std::string_view::npos) {
        throw invalid();
    }
    // The standard conversion takes '.' as the decimal point and no leading '+'.
    std::string normalized;
    normalized.reserve(last - first + 1);
    if (text[first] == '+' && first < last && text[first + 1] != '-' && text[first + 1] != '+') {
        ++first;
    }
    for (std::size_t i = first; i <= last; ++i) {
        const char c = text[i];
        if (gGroupingMark != '\0' && c == gGroupingMark) {
            continue;
        }
        if (c == gDecimalMark) {
            normalized += '.';
        } else if (c == '.') {
            throw invalid();
        } else {
            normalized += c;
        }
    }
    double value = 0.0;
    const char* begin = normalized.data();
    const char* end = begin + normalized.size();
    const std::from_chars_result parsed = std::from_chars(begin, end, value);
    // Out-of-range texts are rejected as well; they have no double value.
    if (parsed.ec != std::errc() || parsed.ptr != end) {
        throw invalid();
    }
    return value;
}

// ---------------------------------------------------------------------------------------------
// Date-times

namespace {

constexpr int64_t UnixEpochDay = 25569; // 1 January 1970 as a date-time day

// Days since 1 January 1970 of a proleptic Gregorian date, and back.
int64_t DaysFromCivil(int64_t y, int32_t m, int32_t d)
{
    y -= m <= 2;
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const int64_t yoe = y - era * 400;
    const int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

TCivilDate CivilFromDays(int64_t z)
{
    z += 719468;
    const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const int64_t doe = z - era * 146097;
    const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const int64_t mp = (5 * doy + 2) / 153;
    const int32_t d = static_cast<int32_t>(doy - (153 * mp + 2) / 5 + 1);
    const int32_t m = static_cast<int32_t>(mp < 10 ? mp + 3 : mp - 9);
    return {yoe + era * 400 + (m <= 2), m, d};
}

} // namespace

TCivilDate DateOfDay(int64_t day)
{
    return CivilFromDays(day - UnixEpochDay);
}

double FirstDayOfMonth(int64_t year, int32_t month)
{
    return static_cast<double>(DaysFromCivil(year, month, 1) + UnixEpochDay);
}

std::string FormatDateTime(std::string_view pattern, double value)
{
    if (!(value >= 0 && value < MaxDateTimeText)) {
        return {};
    }
    const double dayPart = std::floor(value);
    int64_t ms = static_cast<int64_t>(std::llround((value - dayPart) * 86400000.0));
    int64_t day = static_cast<int64_t>(dayPart);
    if (ms >= 86400000) {
        ms -= 86400000;
        ++day;
    }
    const TCivilDate date = CivilFromDays(day - UnixEpochDay);
    const int64_t hour = ms / 3600000;
    const int64_t minute = ms / 60000 % 60;
    const int64_t second = ms / 1000 % 60;
    const int64_t milli = ms % 1000;

    auto number = [](int64_t v, int width) {
        std::string s = std::to_string(v);
        if (static_cast<int>(s.size()) < width) {
            s.insert(0, static_cast<size_t>(width) - s.size(), '0');
        }
        return s;
    };
    std::string out;
    bool afterHour = false;
    size_t i = 0;
    while (i < pattern.size()) {
        const char c = pattern[i];
        size_t run = 1;
        while (i + run < pattern.size() && std::tolower(pattern[i + run]) == std::tolower(c)) {
            ++run;
        }
        switch (std::tolower(c)) {
        case 'y':
            out += run >= 3 ? number(date.Year, 4) : number(date.Year % 100, 2);
            break;
        case 'm':
            if (afterHour) {
                out += number(minute, run >= 2 ? 2 : 1);
            } else {
                out += number(date.Month, run >= 2 ? 2 : 1);
            }
            afterHour = false;
            break;
        case 'd':
            out += number(date.Day, run >= 2 ? 2 : 1);
            break;
        case 'h':
            out += number(hour, run >= 2 ? 2 : 1);
            afterHour = true;
            i += run;
            continue;
        case 'n':
            out += number(minute, run >= 2 ? 2 : 1);
            break;
        case 's':
            out += number(second, run >= 2 ? 2 : 1);
            break;
        case 'z':
            out += number(milli, run >= 3 ? 3 : 1);
            break;
        case '\'':
        case '"': {
            const size_t close = pattern.find(c, i + 1);
            const size_t end = close == std::string_view::npos ? pattern.size() : close;
            out += std::string(pattern.substr(i + 1, end - i - 1));
            i = close == std::string_view::npos ? pattern.size() : close + 1;
            continue;
        }
        default:
            out.append(run, c);
            i += run;
            continue;
        }
        i += run;
    }
    return out;
}

std::string DateTimeLabelText(std::string_view pattern, double step, double value)
{
    if (!pattern.empty()) {
        return FormatDateTime(pattern, value);
    }
    const char* automatic = step < DateTimeSecond        ? "hh:nn:ss.zzz"
                            : step < 60 * DateTimeSecond ? "hh:nn:ss"
                            : step < 1                   ? "hh:nn"
                            : step < 28                  ? "dd/mm/yyyy"
                            : step < 365                 ? "mm/yyyy"
                                                         : "yyyy";
    return FormatDateTime(automatic, value);
}
