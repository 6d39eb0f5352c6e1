#include "chart/NumberFormat.h"

#include "platform/Errors.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <initializer_list>
#include <limits>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace {

// Every test starts from '.' and ',' and leaves them so.
class NumberFormatTest : public ::testing::Test
{
protected:
    void SetUp() override { SetNumberSeparators('.', ','); }
    void TearDown() override { SetNumberSeparators('.', ','); }
};

struct TCase
{
    const char* Pattern;
    double Value;
    const char* Expected;
};

void ExpectAll(std::initializer_list<TCase> cases)
{
    for (const TCase& c : cases) {
        EXPECT_EQ(FormatNumber(c.Pattern, c.Value), c.Expected)
            << "pattern \"" << c.Pattern << "\" value " << c.Value;
    }
}

TEST_F(NumberFormatTest, PatternsOfTheCharts)
{
    ExpectAll({
        {"##0.0%", 45, "45.0%"},
        {"##0.0%", 115, "115.0%"},
        {"##0.0%", 0, "0.0%"},
        {"##0.0%", -5, "-5.0%"},
        {"##0.0%", 99.95, "100.0%"},
        {"##0.0%", 7.25, "7.3%"},
        {"##0.0%", 1234.5, "1234.5%"},
        {"#,##0.###", 0, "0"},
        {"#,##0.###", 0.2, "0.2"},
        {"#,##0.###", 60, "60"},
        {"#,##0.###", 100.0001, "100"},
        {"#,##0.###", 0.0005, "0.001"},
        {"#,##0.###", 0.0004, "0"},
        {"#,##0.###", 1234567.891, "1,234,567.891"},
        {"#,##0.###", 999.9995, "1,000"},
        {".#####,#", 6000, "6,000"},
        {".#####,#", 6000.5, "6,000.5"},
        {".#####,#", 5999.123456789, "5,999.123457"},
        {".#####,#", 12.25, "12.25"},
        {".#####,#", 0.5, ".5"},
        {".#####,#", 0, ""},
        {".#####,#", -5.5, "-5.5"},
        {"##0.## %", 33.333, "33.33 %"},
        {"##0.## %", 50, "50 %"},
    });
}

TEST_F(NumberFormatTest, CommaDecimalLocale)
{
    SetNumberSeparators(',', '.');
    ExpectAll({
        {"#,##0.###", 1234.5, "1.234,5"},
        {".#####,#", 6000.5, "6.000,5"},
        {"0.00", -0.5, "-0,50"},
    });
}

TEST_F(NumberFormatTest, NullGroupingMarkWritesNoGrouping)
{
    SetNumberSeparators('.', '\0');
    ExpectAll({
        {"#,##0.###", 1234567.891, "1234567.891"},
        {".#####,#", 6000.5, "6000.5"},
    });
    EXPECT_EQ(GroupingMark(), '\0');
}

TEST_F(NumberFormatTest, ValuesThatRoundToZeroAreWrittenAsZero)
{
    ExpectAll({
        {"#,##0.###", -0.0004, "0"},
        {"#,##0.###", -0.0, "0"},
        {"0.0", -0.0, "0.0"},
        {"0.0", -0.04, "0.0"},
        {"0.0", std::numeric_limits<double>::denorm_min(), "0.0"},
        {"0.0", -std::numeric_limits<double>::denorm_min(), "0.0"},
        // The zero section is chosen again for a value that rounds to zero.
        {"0.0;(0.0);nil", -0.01, "nil"},
        {"0.0;(0.0);nil", 0.01, "nil"},
        {"0.0;(0.0)", -0.01, "0.0"},
    });
}

TEST_F(NumberFormatTest, HalvesRoundAwayFromZeroOnDecimalDigits)
{
    ExpectAll({
        {"0.0", 0.25, "0.3"},
        {"0.0", -0.25, "-0.3"},
        // The double nearest 1.005 lies below the half: 1.00499999999999989...
        {"0.00", 1.005, "1.00"},
        {"0", 0.5, "1"},
        {"0", 2.5, "3"},
        {"#", 0.4, ""},
        {"0.###", 9.9996, "10"},
        {"#,##0", 999999.5, "1,000,000"},
    });
}

TEST_F(NumberFormatTest, SurplusIntegerDigitsGoToTheFirstPlaceholder)
{
    ExpectAll({
        {"0", 12345, "12345"},
        {"x0y", 12345, "x12345y"},
        {"0,0", 1234567, "1,234,567"},
        {"#,#", 1000, "1,000"},
        {"000000", 42, "000042"},
        {"0,000,000", 42, "0,000,042"},
        {"0.000", 1.5, "1.500"},
        {"#.#0", 1.5, "1.50"},
    });
}

TEST_F(NumberFormatTest, OptionalDecimalsBeyondTheSignificantDigitsStayEmpty)
{
    // The rounding position lies at or past the 18th significant digit, so no rounding drops the
    // zeros that pad the digit string.
    ExpectAll({
        {"0.##################", 0.5, "0.5"},
        {"0.#################", 1.0, "1"},
        {"#,##0.###", 123456789012345.0, "123,456,789,012,345"},
        {"#,##0.###", 1e17, "100,000,000,000,000,000"},
        {"0.0#################", 2.0, "2.0"},
    });
}

TEST_F(NumberFormatTest, SectionChoice)
{
    ExpectAll({
        {"0;(0);zero", 5, "5"},
        {"0;(0);zero", -5, "(5)"},
        {";(0)", -5, "(5)"},
        {"0;(0);zero", 0, "zero"},
        {"0;(0);zero", -0.0, "zero"},
        {"0;;zero", -5, "-5"},
        {"0;(0)", 0, "0"},
        {"0;(0);", 0, "0"},
        {"0;(0);zero;ignored", 0, "zero"},
        {"pos 0;neg 0", -3, "neg 3"},
    });
}

TEST_F(NumberFormatTest, QuotedAndLiteralText)
{
    ExpectAll({
        {"'#0.;'0", 5, "#0.;5"},
        {"\"V\" 0.0", 2, "V 2.0"},
        {"0 'it''s'", 1, "1 its"},
        {"0 'abc", 1, "1 abc"},
        {"0 'a;b", -1, "-1 a;b"},
        {"0 \"x", 7, "7 x"},
        {"''0", 7, "7"},
        {"0 W", 6000, "6000 W"},
        {"0 kVAh", 2, "2 kVAh"},
        {"0E", 3, "3E"},
    });
}

TEST_F(NumberFormatTest, GeneralFormForValuesOutsideThePattern)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    ExpectAll({
        {"#,##0.###", nan, "NAN"},
        {"#,##0.###", inf, "INF"},
        {"#,##0.###", -inf, "-INF"},
        {"#,##0.###", 1e300, "1E+300"},
        {"#,##0.###", -1e300, "-1E+300"},
        {"#,##0.###", 1e18, "1E+18"},
        {"#,##0", 999999999999999872.0, "999,999,999,999,999,872"},
        {"", 1234.5, "1234.5"},
        {"", 0.1 + 0.2, "0.3"},
        {";0", 2, "2"},
        {";0", 0, "0"},
        {"", -0.0, "0"},
    });
    SetNumberSeparators(',', '.');
    EXPECT_EQ(FormatNumber("", 2.5), "2,5");
}

TEST_F(NumberFormatTest, ExtremeMagnitudes)
{
    const double denormal = std::numeric_limits<double>::denorm_min();
    EXPECT_EQ(FormatNumber("0.###", denormal), "0");
    EXPECT_EQ(FormatNumber("0.0E+000", denormal), "4.9E-324");
    EXPECT_EQ(FormatNumber("0.00E+00", 1e300), "1.00E+300");
    EXPECT_EQ(FormatNumber("0.00E-00", -12345.0), "-1.23E04");
    EXPECT_EQ(FormatNumber("#.##e+0", 0.000999), "9.99e-4");
    EXPECT_EQ(FormatNumber("#.##e+0", 0.0009999), "1e-3");
    EXPECT_EQ(FormatNumber("0.0E+0", 0.0), "0.0E+0");
    // 224 decimals: the decimals needed exceed every double's digits.
    const std::string longDecimals = "0." + std::string(222, '0');
    const std::string written = FormatNumber(longDecimals, 1.0 / 3.0);
    EXPECT_EQ(written.size(), 224u);
    EXPECT_EQ(written.substr(0, 20), "0.333333333333333315");
    EXPECT_EQ(written.back(), '0');
}

TEST_F(NumberFormatTest, LongPatterns)
{
    EXPECT_THROW(FormatNumber(std::string(225, '0'), 1.0), EConvertError);
    try {
        FormatNumber(std::string(300, '#'), 1.0);
        FAIL() << "no error";
    } catch (const EConvertError& e) {
        EXPECT_STREQ(e.what(), "Format string too long");
    }
    // The longest pattern writes more than the 256-character buffer: 224 zeros and 74 marks.
    const std::string pattern = "," + std::string(223, '0');
    const std::string written = FormatNumber(pattern, 0.0);
    EXPECT_EQ(written.size(), 223u + 74u);
    EXPECT_EQ(written.substr(0, 4), "0,00");
    EXPECT_EQ(written.substr(written.size() - 4), ",000");
}

TEST_F(NumberFormatTest, SeparatorsAreValidated)
{
    EXPECT_THROW(SetNumberSeparators('\0', ','), EConvertError);
    EXPECT_THROW(SetNumberSeparators('5', ','), EConvertError);
    EXPECT_THROW(SetNumberSeparators(',', ','), EConvertError);
    EXPECT_EQ(DecimalMark(), '.');
    EXPECT_EQ(GroupingMark(), ',');
}

// Sets environment variables for its lifetime and puts back the values (or the absence) they
// had before.
class TScopedEnvironment
{
public:
    TScopedEnvironment(std::initializer_list<std::pair<const char*, std::string>> values)
    {
        for (const auto& [name, value] : values) {
            const char* old = std::getenv(name);
            FSaved.emplace_back(name,
                                old != nullptr ? std::optional<std::string>(old) : std::nullopt);
            ::setenv(name, value.c_str(), 1);
        }
    }
    ~TScopedEnvironment()
    {
        for (const auto& [name, value] : FSaved) {
            if (value)
                ::setenv(name, value->c_str(), 1);
            else
                ::unsetenv(name);
        }
    }
    TScopedEnvironment(const TScopedEnvironment&) = delete;
    TScopedEnvironment& operator=(const TScopedEnvironment&) = delete;

private:
    std::vector<std::pair<const char*, std::optional<std::string>>> FSaved;
};

// The separators of the user's locale, read as the program reads them at start: the C locale,
// and a German one that writes a decimal comma and groups with points (compiled for the test
// from the system's locale sources into a folder of its own, so that no installed locale is
// needed). The process's own numeric locale and environment are left as they were.
TEST_F(NumberFormatTest, SystemSeparatorsComeFromTheUsersLocaleAndLeaveTheLocaleAlone)
{
    const std::string before = std::setlocale(LC_NUMERIC, nullptr);
    const char* lcAll = std::getenv("LC_ALL");
    const std::string lcAllBefore = lcAll != nullptr ? lcAll : "(unset)";
    {
        // The C locale gives '.' and no grouping symbol, so grouping falls back to ','.
        TScopedEnvironment c({{"LC_ALL", "C"}});
        SetNumberSeparators(',', '.');
        ReadNumberSeparatorsFromSystem();
        EXPECT_EQ(DecimalMark(), '.');
        EXPECT_EQ(GroupingMark(), ',');
        EXPECT_EQ(FormatNumber(".#####,#", 6000.5), "6,000.5");
    }

    char folder[] = "/tmp/orvex-locale-XXXXXX";
    ASSERT_NE(::mkdtemp(folder), nullptr);
    const std::string command = std::string("localedef -i de_DE -f ISO-8859-1 ") + folder +
                                "/de_DE.ISO-8859-1 >/dev/null 2>&1";
    const int built = std::system(command.c_str());
    if (built == 0) {
        TScopedEnvironment german({{"LOCPATH", folder}, {"LC_ALL", "de_DE.ISO-8859-1"}});
        ReadNumberSeparatorsFromSystem();
        EXPECT_EQ(DecimalMark(), ',');
        EXPECT_EQ(GroupingMark(), '.');
        EXPECT_EQ(FormatNumber(".#####,#", 6000.5), "6.000,5");
        EXPECT_EQ(FormatNumber("#,##0.###", 1234567.891), "1.234.567,891");
        EXPECT_EQ(TextToFloat("6.000,5"), 6000.5);
    }
    std::filesystem::remove_all(folder);
    ASSERT_EQ(built, 0) << "localedef could not build de_DE (package locales)";

    EXPECT_EQ(std::setlocale(LC_NUMERIC, nullptr), before);
    lcAll = std::getenv("LC_ALL");
    EXPECT_EQ(lcAll != nullptr ? lcAll : "(unset)", lcAllBefore);
}

TEST_F(NumberFormatTest, TextToFloatReadsWhatFormatNumberWrites)
{
    EXPECT_EQ(TextToFloat("6,000.5"), 6000.5);
    EXPECT_EQ(TextToFloat(" -12.25 "), -12.25);
    EXPECT_EQ(TextToFloat("+.5"), 0.5);
    EXPECT_EQ(TextToFloat("1E+300"), 1e300);
    EXPECT_TRUE(std::isnan(TextToFloat(FormatNumber("", std::nan("")))));
    // Values of up to 15 significant digits survive the general form exactly.
    for (double v : {0.1, -1234567.891, 5999.123457, 1e-300, 4.94065645841247e-324, 1e308}) {
        EXPECT_EQ(TextToFloat(FormatNumber("", v)), v) << v;
    }
    EXPECT_EQ(TextToFloat(FormatNumber("#,##0.###", 1234567.891)), 1234567.891);

    SetNumberSeparators(',', '.');
    EXPECT_EQ(TextToFloat("6.000,5"), 6000.5);
    EXPECT_EQ(TextToFloat(FormatNumber(".#####,#", 5999.123456789)), 5999.123457);

    SetNumberSeparators(',', ' ');
    EXPECT_THROW(TextToFloat("1.5"), EConvertError);
}

TEST_F(NumberFormatTest, TextToFloatRejectsWhatIsNoNumber)
{
    for (const char* text :
         {"", "  ", "abc", "1.2.3", "12x", "--1", "+-1", "1e999", "0x10", "1 2"}) {
        EXPECT_THROW(TextToFloat(text), EConvertError) << text;
    }
    try {
        TextToFloat("12 W");
        FAIL() << "no error";
    } catch (const EConvertError& e) {
        EXPECT_STREQ(e.what(), "'12 W' is not a valid floating point value");
    }
}

} // namespace

// ---------------------------------------------------------------------------------------------
// Date-time texts

namespace {

struct DateTimeCase
{
    double Step;
    const char* Text;
};

} // namespace

TEST(DateTimeText, PatternFieldsAutomaticPatternsAndValuesWithoutAText)
{
    // 15 March 2023, 12:34:56.789 (day 45000 after 30 December 1899).
    const double t = 45000 + (12 * 3600 + 34 * 60 + 56.789) / 86400;
    EXPECT_EQ(FormatDateTime("yyyy-mm-dd hh:mm:ss.zzz 'at' d/m/yy", t),
              "2023-03-15 12:34:56.789 at 15/3/23")
        << "mm right after an hour is the minute";
    EXPECT_EQ(FormatDateTime("dd.mm.yyyy", 2958465), "31.12.9999");
    const DateTimeCase automatic[] = {{DateTimeSecond / 10, "12:34:56.789"},
                                      {30 * DateTimeSecond, "12:34:56"},
                                      {0.5, "12:34"},
                                      {7, "15/03/2023"},
                                      {30, "03/2023"},
                                      {400, "2023"}};
    for (const DateTimeCase& c : automatic) {
        EXPECT_EQ(DateTimeLabelText("", c.Step, t), c.Text) << "labels " << c.Step << " days apart";
    }
    EXPECT_EQ(DateTimeLabelText("yy", 7, t), "23") << "a given pattern, whatever the step";
    EXPECT_EQ(DateOfDay(45000).Year * 10000 + DateOfDay(45000).Month * 100 + DateOfDay(45000).Day,
              20230315);
    EXPECT_EQ(FirstDayOfMonth(2023, 3), 44986);
    // No text (and no undefined conversion) for values before day 0, beyond the year 9999 or
    // not a number.
    for (double v : {-0.5, MaxDateTimeText, 1e300, -1e300, std::numeric_limits<double>::infinity(),
                     std::numeric_limits<double>::quiet_NaN()}) {
        EXPECT_EQ(FormatDateTime("yyyy-mm-dd", v), "") << v;
    }
}
