#include "app/RunCsvFile.h"

#include "simulation/RunCsv.h"

#include <QIODevice>

namespace {
constexpr std::size_t BlockSize = 1 << 20;
}

TRunCsvFile::TRunCsvFile(QIODevice& device) : FDevice(device)
{
    FBuffer.reserve(BlockSize + 1024);
    FBuffer.append(RunCsvHeader());
}

bool TRunCsvFile::Add(const TLampSample& sample)
{
    if (FFailed) {
        return false;
    }
    AppendRunCsvRow(FBuffer, sample);
    return FBuffer.size() < BlockSize || Flush();
}

bool TRunCsvFile::Flush()
{
    const qint64 size = static_cast<qint64>(FBuffer.size());
    if (!FFailed && FDevice.write(FBuffer.data(), size) != size) {
        FFailed = true;
    }
    FBuffer.clear();
    return !FFailed;
}

QString TRunCsvFile::Finish()
{
    if (!Flush()) {
        const QString cause = FDevice.errorString();
        return cause.isEmpty() ? QStringLiteral("the data could not be written.") : cause;
    }
    return {};
}
