#include "app/AtomicSave.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>

namespace {
QString Failure(const QString& path, const QString& cause)
{
    return QStringLiteral("Could not write \"%1\": %2").arg(QDir::toNativeSeparators(path), cause);
}
} // namespace

QString SaveFileAtomically(const QString& path, const TContentWriter& write)
{
    if (path.isEmpty()) {
        return QStringLiteral("Could not write the file: no file name given.");
    }
    if (QFileInfo(path).isDir()) {
        return Failure(path, QStringLiteral("it is a folder."));
    }
    QSaveFile file(path);
    // Never write into the target itself, not even where no temporary file can be made beside it.
    file.setDirectWriteFallback(false);
    if (!file.open(QIODevice::WriteOnly)) {
        return Failure(path, file.errorString());
    }
    const QString writeError = write(file);
    if (!writeError.isEmpty() || file.error() != QFileDevice::NoError) {
        const QString cause = !writeError.isEmpty() ? writeError : file.errorString();
        file.cancelWriting();
        return Failure(path, cause);
    }
    if (!file.commit()) {
        return Failure(path, file.errorString());
    }
    return {};
}
