#include "simulation/LampSimulation.h"

#include <gtest/gtest.h>

namespace {

constexpr uint32_t kInterval = 200;

TEST(FilterTest, FourTapRingWritesSlotsInTurnAndFillKeepsTheIndex)
{
    TFilter2 filter;
    EXPECT_EQ(filter.Index(), 0);
    filter.Step(1.0);
    filter.Step(2.0);
    EXPECT_EQ(filter.Index(), 2);
    filter.Fill(5.0);
    EXPECT_EQ(filter.Index(), 2);
    EXPECT_EQ(filter.Tap(1), 5.0);
    EXPECT_EQ(filter.Tap(4), 5.0);

    filter.Step(9.0);
    filter.Step(9.0);
    EXPECT_EQ(filter.Index(), 4);
    EXPECT_EQ(filter.Tap(3), 9.0);
    // The fifth step wraps around to slot 1.
    EXPECT_EQ(filter.Step(1.0), (1.0 + 5.0 + 9.0 + 9.0) / 4.0);
    EXPECT_EQ(filter.Index(), 1);
}

TEST(FilterTest, FourTapSumRunsInSlotOrder)
{
    // After five steps slot 1 holds the newest value. Slot order sums
    // ((-1e16 + 1e16) + 1) + 1 = 2; age order would give ((1e16 + 1) + 1) - 1e16 = 0.
    TFilter2 filter;
    filter.Step(123.0);
    filter.Step(1e16);
    filter.Step(1.0);
    filter.Step(1.0);
    EXPECT_EQ(filter.Step(-1e16), 0.5);
}

TEST(LampSimulationTest, FirstTickAt400VoltsGivesTheRatedOperatingPoint)
{
    TLampSimulation sim;
    sim.Reset(400);
    const TLampSample s = sim.Tick(400, kInterval);
    EXPECT_EQ(s.Time, 0.2);
    EXPECT_EQ(s.Mains, 100.0);
    EXPECT_DOUBLE_EQ(s.Voltage, 64.4125);
    EXPECT_DOUBLE_EQ(s.Current, 68.0125);
    EXPECT_DOUBLE_EQ(s.Power, 60.02625);
    EXPECT_EQ(s.CtrlCurrent, 69.0);
    // Extended precision rounds 970 V to the double nearest 64.666...; plain double arithmetic
    // would land two steps lower.
    EXPECT_EQ(s.CtrlVoltage, 970.0 / 15.0);
    EXPECT_EQ(s.CtrlPower, 60.0);
}

TEST(LampSimulationTest, MainsAndUncontrolledPowerAtTheEndsOfTheSliderRange)
{
    TLampSimulation sim;
    sim.Reset(380);
    TLampSample low = sim.Tick(380, kInterval);
    EXPECT_EQ(low.Mains, 95.0);
    EXPECT_DOUBLE_EQ(low.Power, 50.70125);
    EXPECT_EQ(low.CtrlPower, 60.0);

    sim.Reset(420);
    TLampSample high = sim.Tick(420, kInterval);
    EXPECT_EQ(high.Mains, 105.0);
    EXPECT_DOUBLE_EQ(high.Power, 69.35125);
    EXPECT_EQ(high.CtrlPower, 60.0);
}

TEST(LampSimulationTest, SteadyMainsAndOneVoltStepsKeepTheSetPower)
{
    TLampSimulation sim;
    sim.Reset(400);
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(sim.Tick(400, kInterval).CtrlPower, 60.0);
    }
    for (int32_t m : {401, 400, 399, 400}) {
        EXPECT_EQ(sim.Tick(m, kInterval).CtrlPower, 60.0) << m;
    }
}

TEST(LampSimulationTest, RiseOfTwoVoltsRaisesThePowerForFourTicks)
{
    TLampSimulation sim;
    sim.Reset(400);
    for (int i = 0; i < 4; ++i) {
        EXPECT_DOUBLE_EQ(sim.Tick(402, kInterval).CtrlPower, 60.05) << i;
    }
    EXPECT_EQ(sim.Tick(402, kInterval).CtrlPower, 60.0);
    // The transient enters the average as the double nearest 60.2.
    TLampSimulation exact;
    exact.Reset(400);
    EXPECT_EQ(exact.Tick(402, kInterval).CtrlPower, (60.2 + 60.0 + 60.0 + 60.0) / 4.0);
}

TEST(LampSimulationTest, FallOfTenVoltsLowersThePowerForFourTicksAndBack)
{
    TLampSimulation sim;
    sim.Reset(400);
    sim.Tick(400, kInterval);
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(sim.Tick(390, kInterval).CtrlPower, 59.75) << i;
    }
    EXPECT_EQ(sim.Tick(390, kInterval).CtrlPower, 60.0);
    // Back up by ten volts: 61.0 enters the average.
    EXPECT_EQ(sim.Tick(400, kInterval).CtrlPower, 60.25);
    EXPECT_EQ(sim.LastMains(), 400.0);
}

TEST(LampSimulationTest, ThresholdIsRegulatedAt377AndNotAt376)
{
    TLampSimulation sim;
    sim.Reset(377);
    const TLampSample regulated = sim.Tick(377, kInterval);
    EXPECT_EQ(regulated.CtrlPower, 60.0);
    EXPECT_EQ(regulated.CtrlCurrent, 67.85);
    // Rounded from extended precision; plain double arithmetic gives 58.525000000000006.
    EXPECT_EQ(regulated.Current, 58.525);

    sim.Reset(376);
    const TLampSample open = sim.Tick(376, kInterval);
    // Out of range: the uncontrolled characteristic at the full 376 V, 5956 W into the average.
    EXPECT_DOUBLE_EQ(open.CtrlPower, (59.56 + 3 * 60.0) / 4.0);
    EXPECT_DOUBLE_EQ(open.CtrlCurrent, 67.6);
    EXPECT_DOUBLE_EQ(open.CtrlVoltage, (376 * 1.1875 + 518.5) / 15.0);
    // The uncontrolled lamp at 376 V sees 353 V.
    EXPECT_DOUBLE_EQ(open.Power, (353 * 46.625 - 11575) / 100.0);
    for (int i = 0; i < 3; ++i) {
        sim.Tick(376, kInterval);
    }
    EXPECT_DOUBLE_EQ(sim.Tick(376, kInterval).CtrlPower, 59.56);
}

TEST(LampSimulationTest, TimeAccumulatesByRepeatedAddition)
{
    TLampSimulation sim;
    sim.Reset(400);
    double expected = 0.0;
    double previous = 0.0;
    for (int i = 0; i < 50; ++i) {
        expected += 0.2;
        const double t = sim.Tick(400, kInterval).Time;
        EXPECT_EQ(t, expected) << i;
        EXPECT_GT(t, previous);
        previous = t;
    }

    sim.Reset(400);
    sim.Tick(400, kInterval);
    sim.Tick(400, kInterval);
    const double third = sim.Tick(400, kInterval).Time;
    EXPECT_EQ(third, 0.2 + 0.2 + 0.2);
    EXPECT_NE(third, 0.6);
}

TEST(LampSimulationTest, NewResetRestartsTheRun)
{
    TLampSimulation sim;
    sim.Reset(400);
    for (int i = 0; i < 7; ++i) {
        sim.Tick(410, kInterval);
    }
    // A transient still in the average is dropped by the reset.
    sim.Tick(380, kInterval);
    sim.Reset(380);
    EXPECT_EQ(sim.Time(), 0.0);
    const TLampSample s = sim.Tick(380, kInterval);
    EXPECT_EQ(s.Time, 0.2);
    EXPECT_EQ(s.CtrlPower, 60.0);
    EXPECT_EQ(s.Mains, 95.0);
}

} // namespace
