// The mains-profile reader and the run over a profile: what a profile may look like, the first
// fault of a bad one with its line and field, and a run that gives exactly the samples of the
// engine driven by hand with the same voltage at every tick.
#include "simulation/MainsProfile.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::vector<TProfilePoint> Read(std::string_view text)
{
    TMainsProfile profile;
    TProfileError error;
    EXPECT_TRUE(ReadMainsProfile(text, profile, error))
        << error.Line << ":" << error.Field << ": " << error.Message;
    return profile.Points;
}

TEST(MainsProfileTest, ReadsRowsInEveryAcceptedSpelling)
{
    // Byte-order mark, comment, header, blank lines, CRLF, CR and LF line ends, blanks, quotes,
    // semicolon and tab separators; times to the microsecond, volts rounded with halves up.
    const std::string text = "\xEF\xBB\xBF# recorded at the test bench\r\n"
                             "time (s),mains (V)\r\n"
                             "0,400\r\n"
                             "\r\n"
                             "  0.2 , 401.5\r"
                             "\"1.000001\";\"401.49\"\n"
                             "   \t  \n"
                             "2.5\t379.5\n"
                             "31622400.000000,420.4";
    const std::vector<TProfilePoint> expected = {{0, 400},
                                                 {200'000, 402},
                                                 {1'000'001, 401},
                                                 {2'500'000, 380},
                                                 {ProfileMaxSeconds * 1'000'000, 420}};
    EXPECT_EQ(Read(text), expected);
    EXPECT_EQ(Read("5,410"), (std::vector<TProfilePoint>{{5'000'000, 410}}));
    EXPECT_EQ(Read(".5,380.\n7.,420"),
              (std::vector<TProfilePoint>{{500'000, 380}, {7'000'000, 420}}));
}

TEST(MainsProfileTest, ABadProfileNamesItsFirstFaultyLineAndField)
{
    struct Case
    {
        std::string text;
        int64_t line;
        int32_t field;
        std::string message; // a part of the message
    };
    const std::vector<Case> cases = {
        {"", 0, 0, "no rows"},
        {"# only a comment\n\ntime,volts\n", 0, 0, "no rows"},
        {"0,400\n1,4x0\n", 2, 2, "'4x0' is not a plain decimal number of volts"},
        {"0,400\nabc,400\n", 2, 1, "'abc' is not a plain decimal number of seconds"},
        {"time,volts\nsecond header,400\n", 2, 1, "'second header'"},
        {"-1,400\n", 1, 1, "'-1'"},
        {"1e3,400\n", 1, 1, "'1e3'"},
        {"0,+400\n", 1, 2, "'+400'"},
        {"0,4 00\n", 1, 2, "'4 00'"},
        {"0,400\n.,400\n", 2, 1, "'.'"},
        {"0,400\n2,401\n1,402\n", 3, 1, "time goes backwards"},
        {"0,400\n2,401\n2,402\n", 3, 1, "time goes backwards"},
        {"0,379.49\n", 1, 2, "'379.49' is outside 380 to 420 V"},
        {"0,420.5\n", 1, 2, "outside 380 to 420 V"},
        {"0,0\n", 1, 2, "outside"},
        {"0,99999999999999999999999999\n", 1, 2, "outside"},
        {"0,400\n0.0000001,400\n", 2, 1, "more than six decimals"},
        {"31622400.000001,400\n", 1, 1, "beyond 31622400 s"},
        {"99999999999999999999999,400\n", 1, 1, "beyond"},
        {"0,400\n1\n", 2, 2, "missing"},
        {"0,400\n1,400,\n", 2, 3, "found 3"},
        {std::string("0\0,400\n", 7), 1, 1, "'0?'"},
        {"0,400\r\n\r\n\r1,\xff\xfe\n", 4, 2,
         "'?"
         "?'"},
    };
    for (const Case& c : cases) {
        TMainsProfile profile;
        profile.Points = {{0, 400}}; // a refusal leaves no points behind
        TProfileError error;
        EXPECT_FALSE(ReadMainsProfile(c.text, profile, error)) << c.message;
        EXPECT_EQ(error.Line, c.line) << c.message;
        EXPECT_EQ(error.Field, c.field) << c.message;
        EXPECT_NE(error.Message.find(c.message), std::string::npos) << error.Message;
        EXPECT_TRUE(profile.Points.empty()) << c.message;
    }
    // A long field is cut short in the message.
    TMainsProfile profile;
    TProfileError error;
    EXPECT_FALSE(ReadMainsProfile("0," + std::string(1000, 'x'), profile, error));
    EXPECT_LT(error.Message.size(), 150u) << error.Message;
}

// The samples of the engine reset at resetVolts and ticked at each of tickVolts.
std::vector<TLampSample> ByHand(int32_t resetVolts, const std::vector<int32_t>& tickVolts,
                                uint32_t intervalMs)
{
    TLampSimulation engine;
    engine.Reset(resetVolts);
    std::vector<TLampSample> samples;
    for (int32_t volts : tickVolts) {
        samples.push_back(engine.Tick(volts, intervalMs));
    }
    return samples;
}

std::vector<TLampSample> OverProfile(const std::string& text, uint32_t intervalMs)
{
    TMainsProfile profile;
    TProfileError error;
    EXPECT_TRUE(ReadMainsProfile(text, profile, error)) << error.Message;
    std::vector<TLampSample> samples;
    const int64_t count = RunMainsProfile(profile, intervalMs, [&](const TLampSample& sample) {
        samples.push_back(sample);
        return true;
    });
    EXPECT_EQ(count, static_cast<int64_t>(samples.size()));
    EXPECT_EQ(count, ProfileTickCount(profile, intervalMs));
    return samples;
}

void ExpectSameSamples(const std::vector<TLampSample>& actual,
                       const std::vector<TLampSample>& expected)
{
    ASSERT_EQ(actual.size(), expected.size());
    for (std::size_t i = 0; i < actual.size(); ++i) {
        const TLampSample& a = actual[i];
        const TLampSample& e = expected[i];
        EXPECT_EQ(a.Time, e.Time) << i;
        EXPECT_EQ(a.Mains, e.Mains) << i;
        EXPECT_EQ(a.Voltage, e.Voltage) << i;
        EXPECT_EQ(a.Current, e.Current) << i;
        EXPECT_EQ(a.Power, e.Power) << i;
        EXPECT_EQ(a.CtrlVoltage, e.CtrlVoltage) << i;
        EXPECT_EQ(a.CtrlCurrent, e.CtrlCurrent) << i;
        EXPECT_EQ(a.CtrlPower, e.CtrlPower) << i;
    }
}

TEST(MainsProfileTest, ARunTicksAtTheVoltageInForceUntilTheLastRowsTime)
{
    // A row at a tick's time is in force at that tick; the transients of the controlled power
    // come from the jumps.
    ExpectSameSamples(OverProfile("0,400\n0.4,405\n0.7,395\n1.2,395\n", 200),
                      ByHand(400, {400, 405, 405, 395, 395, 395}, 200));
    // The first row's voltage holds before its time, the engine starts with it.
    ExpectSameSamples(OverProfile("0.5,410\n1,412\n", 200),
                      ByHand(410, {410, 410, 410, 410, 412}, 200));
    // An interval that does not divide the times: ticks at 0.3, 0.6 and 0.9 s.
    ExpectSameSamples(OverProfile("0,380\n0.6,420\n1,400\n", 300),
                      ByHand(380, {380, 420, 420}, 300));
    // A profile that ends at time 0 has no ticks.
    EXPECT_TRUE(OverProfile("0,400\n", 200).empty());

    // A sink that stops the run.
    TMainsProfile profile;
    TProfileError error;
    ASSERT_TRUE(ReadMainsProfile("0,400\n10,400\n", profile, error));
    int delivered = 0;
    EXPECT_EQ(RunMainsProfile(profile, 200, [&](const TLampSample&) { return ++delivered < 3; }),
              3);
    EXPECT_EQ(delivered, 3);
}

} // namespace
