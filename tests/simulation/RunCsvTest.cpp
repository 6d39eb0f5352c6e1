// The CSV of a run: the header, rows in physical units that read back to the engine's values to
// the last bit, and the worked values of the first sample at 400 V.
#include "simulation/RunCsv.h"

#include <gtest/gtest.h>

#include <charconv>
#include <string>
#include <vector>

namespace {

// The lines of a CSV text; every line must end in CRLF.
std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    std::size_t pos = 0;
    while (pos < text.size()) {
        const std::size_t end = text.find("\r\n", pos);
        EXPECT_NE(end, std::string::npos) << "unterminated line";
        if (end == std::string::npos) {
            break;
        }
        lines.push_back(text.substr(pos, end - pos));
        pos = end + 2;
    }
    return lines;
}

// The fields of a row read back as doubles (no other character allowed).
std::vector<double> Numbers(const std::string& row)
{
    std::vector<double> values;
    std::size_t pos = 0;
    while (pos <= row.size()) {
        std::size_t end = row.find(',', pos);
        end = end == std::string::npos ? row.size() : end;
        double value = 0.0;
        const auto [ptr, ec] = std::from_chars(row.data() + pos, row.data() + end, value);
        EXPECT_TRUE(ec == std::errc() && ptr == row.data() + end) << row;
        values.push_back(value);
        pos = end + 1;
    }
    return values;
}

TEST(RunCsvTest, RowsReadBackToTheEnginesSamplesInPhysicalUnits)
{
    // A run with rises and falls of the mains voltage, so that transients and the out-of-range
    // controller give values with long binary fractions.
    TLampSimulation engine;
    engine.Reset(400);
    std::vector<TLampSample> samples;
    for (int32_t volts : {400, 400, 412, 412, 380, 376, 420, 401, 400, 399, 390, 390}) {
        samples.push_back(engine.Tick(volts, 200));
    }
    std::string text(RunCsvHeader());
    for (const TLampSample& sample : samples) {
        AppendRunCsvRow(text, sample);
    }

    const std::vector<std::string> lines = Lines(text);
    ASSERT_EQ(lines.size(), samples.size() + 1);
    EXPECT_EQ(lines[0], "Time (s),Mains voltage (V),Current without control (A),"
                        "Lamp voltage without control (V),Power without control (W),"
                        "Current with control (A),Lamp voltage with control (V),"
                        "Power with control (W)");
    // The worked values of the first tick at 400 V. The lamp voltage keeps the last bit of its
    // stored percentage (64.4125 has no exact binary form), not the rounded 966.1875.
    EXPECT_EQ(lines[1], "0.2,400,6.80125,966.1874999999999,6002.625,6.9,970,6000");
    for (std::size_t i = 0; i < samples.size(); ++i) {
        const TLampSample& s = samples[i];
        const std::vector<double> expected = {
            s.Time,
            s.Mains * 400 / 100,
            s.Current * 10 / 100,
            s.Voltage * 1500 / 100,
            s.Power * 10000 / 100,
            s.CtrlCurrent * 10 / 100,
            s.CtrlVoltage * 1500 / 100,
            s.CtrlPower * 10000 / 100,
        };
        const std::vector<double> actual = Numbers(lines[i + 1]);
        ASSERT_EQ(actual.size(), expected.size()) << lines[i + 1];
        for (std::size_t j = 0; j < expected.size(); ++j) {
            EXPECT_EQ(actual[j], expected[j]) << "row " << i << " field " << j;
        }
    }
    // Times of repeated addition keep their last bits: 0.2 + 0.2 + 0.2 is not 0.6.
    EXPECT_EQ(lines[3].substr(0, lines[3].find(',')), "0.6000000000000001");
}

// Plain decimals only, also where the shortest text would take an exponent: a run of a long
// profile passes 1000000 s ("1e+06"), and a value can come close to zero.
TEST(RunCsvTest, NumbersAreWrittenWithoutAnExponent)
{
    std::string text;
    TLampSample sample;
    sample.Time = 100000.0;
    sample.Mains = 100.0;
    AppendRunCsvRow(text, sample);
    sample.Time = 1000000.0;
    sample.Power = 0.5;
    sample.CtrlCurrent = 0.0001;
    AppendRunCsvRow(text, sample);
    EXPECT_EQ(text, "100000,400,0,0,0,0,0,0\r\n1000000,400,0,0,50,0.00001,0,0\r\n");
}

} // namespace
