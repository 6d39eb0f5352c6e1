#include "app/ProfileRun.h"

#include "app/AtomicSave.h"
#include "app/RunCsvFile.h"
#include "simulation/MainsProfile.h"

#include <QFile>
#include <QFileInfo>

#include <string_view>

namespace {
const char* const FieldNames[] = {"", "time", "mains voltage", "extra field"};

TProfileRunOutcome Failed(int code, std::string message)
{
    TProfileRunOutcome outcome;
    outcome.ExitCode = code;
    outcome.Err = "OrvexDemo: ";
    outcome.Err += message;
    outcome.Err += '\n';
    return outcome;
}
} // namespace

TProfileRunOutcome RunProfileFile(const std::string& profilePath, const std::string& outPath,
                                  uint32_t intervalMs)
{
    const QString profileName = QString::fromLocal8Bit(profilePath);
    if (QFileInfo(profileName).isDir()) {
        return Failed(2, profilePath + ": cannot read the profile: it is a folder");
    }
    QFile file(profileName);
    if (!file.open(QIODevice::ReadOnly)) {
        return Failed(2, profilePath + ": cannot read the profile: " +
                             file.errorString().toLocal8Bit().toStdString());
    }
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        return Failed(2, profilePath + ": cannot read the profile: " +
                             file.errorString().toLocal8Bit().toStdString());
    }
    file.close();

    TMainsProfile profile;
    TProfileError error;
    if (!ReadMainsProfile(
            std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())), profile,
            error)) {
        std::string where = profilePath;
        if (error.Line > 0) {
            where += ':';
            where += std::to_string(error.Line);
        }
        if (error.Field > 0) {
            where +=
                ": field " + std::to_string(error.Field) + " (" + FieldNames[error.Field] + ")";
        }
        return Failed(2, where + ": " + error.Message);
    }

    int64_t samples = 0;
    const QString saveError =
        SaveFileAtomically(QString::fromLocal8Bit(outPath), [&](QIODevice& device) {
            TRunCsvFile csv(device);
            samples = RunMainsProfile(profile, intervalMs,
                                      [&](const TLampSample& sample) { return csv.Add(sample); });
            return csv.Finish();
        });
    if (!saveError.isEmpty()) {
        return Failed(1, saveError.toLocal8Bit().toStdString());
    }
    TProfileRunOutcome outcome;
    outcome.Samples = samples;
    return outcome;
}
