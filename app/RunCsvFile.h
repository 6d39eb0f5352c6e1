#pragma once
// Writes the CSV of a run (simulation/RunCsv.h) to a device in blocks, so that a long run needs
// no more memory than one block: the header first, then one row per sample.
#include "simulation/LampSimulation.h"

#include <QString>

#include <string>

class QIODevice;

class TRunCsvFile
{
public:
    explicit TRunCsvFile(QIODevice& device);

    // Adds one sample's row; false once the device has refused a block.
    bool Add(const TLampSample& sample);
    // Writes what is left; returns an empty string, or the device's error.
    QString Finish();

private:
    bool Flush();

    QIODevice& FDevice;
    std::string FBuffer;
    bool FFailed = false;
};
