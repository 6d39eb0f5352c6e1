#pragma once
// The CSV form of a run, as the program exports it and as the command-line run writes it: one
// header row, then one row per sample with the time in seconds, the mains voltage, and the lamp
// current, voltage and power without and then with control, in physical units (V, A, W).
//
// RFC 4180 with CRLF line ends; the text is plain ASCII and so UTF-8. Numbers carry a point as
// decimal mark and no grouping, whatever the locale: they are written by std::to_chars, which
// never looks at the locale, in the shortest fixed-point form that reads back to the very same
// double. No field needs quoting.
#include "simulation/LampSimulation.h"

#include <string>
#include <string_view>

// The header row, line end included.
std::string_view RunCsvHeader();

// One sample in physical units: each percentage times its rated value (400 V mains, 10 A,
// 1500 V, 10000 W) divided by 100, in double precision, from the stored values.
struct TPhysicalSample
{
    double Time = 0.0;        // s
    double Mains = 0.0;       // V
    double Current = 0.0;     // A, without control
    double Voltage = 0.0;     // V, without control
    double Power = 0.0;       // W, without control
    double CtrlCurrent = 0.0; // A, with control
    double CtrlVoltage = 0.0; // V, with control
    double CtrlPower = 0.0;   // W, with control
};
TPhysicalSample ToPhysical(const TLampSample& sample);

// Appends the row of one sample, line end included.
void AppendRunCsvRow(std::string& out, const TLampSample& sample);
