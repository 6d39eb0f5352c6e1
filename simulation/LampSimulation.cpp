#include "simulation/LampSimulation.h"

// The formulas are evaluated left to right in extended precision and rounded to double only when
// the result enters its filter, so the samples carry the rounding of that order of operations.
namespace {

using Extended = long double;

// The controller keeps the lamp regulated down to this mains voltage; below it the controlled
// lamp follows the uncontrolled characteristic at the full mains voltage.
constexpr int32_t kLowestRegulatedMains = 377;
// The uncontrolled lamp sees the mains voltage reduced by this much.
constexpr int32_t kUncontrolledDrop = 23;
// The controller's set value, in percent of 10000 W.
constexpr double kSetPowerPercent = 60.0;

double MainsPercent(Extended m)
{
    return static_cast<double>(m / 400 * 100);
}

// Lamp characteristic on the uncontrolled gear at the effective voltage u.
double GearVoltagePercent(Extended u)
{
    return static_cast<double>((u * 1.1875L + 518.5L) / 1500 * 100);
}

double GearCurrentPercent(Extended u)
{
    return static_cast<double>((u * 0.04125L - 8.75L) / 10 * 100);
}

double GearPowerPercent(Extended u)
{
    return static_cast<double>((u * 46.625L - 11575) / 10000 * 100);
}

// Lamp characteristic while the controller holds the power.
double RegulatedCurrentPercent(Extended m)
{
    return static_cast<double>((m * 0.005L + 4.9L) / 10 * 100);
}

double RegulatedVoltagePercent(Extended m)
{
    return static_cast<double>((m * (-0.2L) + 1050) / 1500 * 100);
}

// A mains step of more than 1 V moves the power by 10 W per volt in the direction of the step
// until the controller catches up; smaller steps are regulated away at once.
double RegulatedPowerPercent(double lastMains, int32_t mains)
{
    const double delta = lastMains - static_cast<double>(mains);
    if (delta > 1 || delta < -1) {
        return static_cast<double>((6000 - static_cast<Extended>(delta) * 10) / 10000 * 100);
    }
    return kSetPowerPercent;
}

} // namespace

void TLampSimulation::Reset(int32_t mainsVolts)
{
    const Extended m = mainsVolts;
    FTime = 0.0;
    FMains.Fill(MainsPercent(m));
    FVoltage.Fill(GearVoltagePercent(m));
    FCurrent.Fill(GearCurrentPercent(m));
    FPower.Fill(GearPowerPercent(m));
    FCtrlCurrent.Fill(RegulatedCurrentPercent(m));
    FCtrlVoltage.Fill(RegulatedVoltagePercent(m));
    FCtrlPower.Fill(kSetPowerPercent);
    FLastMains = mainsVolts;
}

TLampSample TLampSimulation::Tick(int32_t mainsVolts, uint32_t intervalMs)
{
    // Accumulated by addition so that the time carries the rounding of repeated sums.
    FTime = FTime + static_cast<double>(intervalMs) / 1000.0;

    const Extended m = mainsVolts;
    const Extended d = static_cast<Extended>(mainsVolts) - kUncontrolledDrop;

    TLampSample sample;
    sample.Time = FTime;
    sample.Mains = FMains.Step(MainsPercent(m));
    sample.Voltage = FVoltage.Step(GearVoltagePercent(d));
    sample.Current = FCurrent.Step(GearCurrentPercent(d));
    sample.Power = FPower.Step(GearPowerPercent(d));
    if (mainsVolts >= kLowestRegulatedMains) {
        sample.CtrlCurrent = FCtrlCurrent.Step(RegulatedCurrentPercent(m));
        sample.CtrlVoltage = FCtrlVoltage.Step(RegulatedVoltagePercent(m));
        sample.CtrlPower = FCtrlPower.Step(RegulatedPowerPercent(FLastMains, mainsVolts));
    } else {
        sample.CtrlCurrent = FCtrlCurrent.Step(GearCurrentPercent(m));
        sample.CtrlVoltage = FCtrlVoltage.Step(GearVoltagePercent(m));
        sample.CtrlPower = FCtrlPower.Step(GearPowerPercent(m));
    }
    FLastMains = mainsVolts;
    return sample;
}
