#include "simulation/RunCsv.h"

#include <array>
#include <charconv>

namespace {
constexpr double RatedMains = 400.0;
constexpr double RatedCurrent = 10.0;
constexpr double RatedVoltage = 1500.0;
constexpr double RatedPower = 10000.0;

double FromPercent(double percent, double rated)
{
    return percent * rated / 100.0;
}

void AppendNumber(std::string& out, double value)
{
    // Wide enough for any double in fixed notation (309 integer digits, sign, 767 decimals).
    std::array<char, 1100> buffer{};
    const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value,
                                      std::chars_format::fixed);
    out.append(buffer.data(), result.ptr);
}
} // namespace

std::string_view RunCsvHeader()
{
    return "Time (s),Mains voltage (V),"
           "Current without control (A),Lamp voltage without control (V),"
           "Power without control (W),"
           "Current with control (A),Lamp voltage with control (V),Power with control (W)\r\n";
}

TPhysicalSample ToPhysical(const TLampSample& sample)
{
    TPhysicalSample physical;
    physical.Time = sample.Time;
    physical.Mains = FromPercent(sample.Mains, RatedMains);
    physical.Current = FromPercent(sample.Current, RatedCurrent);
    physical.Voltage = FromPercent(sample.Voltage, RatedVoltage);
    physical.Power = FromPercent(sample.Power, RatedPower);
    physical.CtrlCurrent = FromPercent(sample.CtrlCurrent, RatedCurrent);
    physical.CtrlVoltage = FromPercent(sample.CtrlVoltage, RatedVoltage);
    physical.CtrlPower = FromPercent(sample.CtrlPower, RatedPower);
    return physical;
}

void AppendRunCsvRow(std::string& out, const TLampSample& sample)
{
    const TPhysicalSample p = ToPhysical(sample);
    const double row[] = {p.Time,  p.Mains,       p.Current,     p.Voltage,
                          p.Power, p.CtrlCurrent, p.CtrlVoltage, p.CtrlPower};
    bool first = true;
    for (double value : row) {
        if (!first) {
            out += ',';
        }
        first = false;
        AppendNumber(out, value);
    }
    out += "\r\n";
}
