#pragma once
// Lamp and ballast model: one UV lamp on magnetic control gear, simulated without control and
// with a real-power controller that holds it at 6000 W. Every tick yields one sample in percent
// of the rated values (400 V mains, 10 A, 1500 V, 10000 W).
#include <array>
#include <cstddef>
#include <cstdint>

// Moving average over the last N values, kept in a ring of N taps (slots 1..N). The sum runs in
// slot order, not age order, each partial sum rounded to double.
template <int N> class TMovingAverage
{
    static_assert(N > 0, "a moving average needs at least one tap");

public:
    // Pushes one value into the oldest slot and returns the mean of all taps.
    double Step(double value)
    {
        ++FIndex;
        if (FIndex > N) {
            FIndex = 1;
        }
        FTaps[FIndex - 1] = value;
        double sum = 0.0;
        for (double tap : FTaps) {
            sum = sum + tap;
        }
        return sum / static_cast<double>(N);
    }

    // Sets every tap to the value. The slot index stays where it is: the ring always overwrites
    // the oldest tap, so the outputs do not depend on it.
    void Fill(double value) { FTaps.fill(value); }

    // The slot written last (1..N), 0 before the first step.
    int32_t Index() const { return FIndex; }
    // Tap in slot 1..N.
    double Tap(int32_t slot) const { return FTaps.at(static_cast<std::size_t>(slot - 1)); }

private:
    std::array<double, N> FTaps{};
    int32_t FIndex = 0;
};

// The pass-through filter of the instantaneous values.
using TFilter = TMovingAverage<1>;
// The four-tap average that smooths the controlled power.
using TFilter2 = TMovingAverage<4>;

// One tick's result: time in seconds, everything else in percent of its rated value.
struct TLampSample
{
    double Time = 0.0;
    double Mains = 0.0;
    double Voltage = 0.0;
    double Current = 0.0;
    double Power = 0.0;
    double CtrlVoltage = 0.0;
    double CtrlCurrent = 0.0;
    double CtrlPower = 0.0;
};

class TLampSimulation
{
public:
    // Starts a new run at the given mains voltage: time 0, the controlled power at 6000 W.
    void Reset(int32_t mainsVolts);
    // Advances the time by one interval and computes the sample at the given mains voltage.
    TLampSample Tick(int32_t mainsVolts, uint32_t intervalMs);

    double Time() const { return FTime; }
    double LastMains() const { return FLastMains; }
    const TFilter2& CtrlPowerFilter() const { return FCtrlPower; }

private:
    TFilter FMains;
    TFilter FVoltage;
    TFilter FCurrent;
    TFilter FPower;
    TFilter FCtrlVoltage;
    TFilter FCtrlCurrent;
    TFilter2 FCtrlPower;
    double FTime = 0.0;
    double FLastMains = 0.0;
};
