#pragma once
// Writes a file all at once or not at all: the content goes to a temporary file beside the
// target, which replaces the target only when everything was written (QSaveFile). On any failure
// (a folder as target, no permission, a full disk, a write refused) the temporary file is removed
// and an earlier file of that name stays as it was.
#include <QString>

#include <functional>

class QIODevice;

// Writes the content into the device; returns an empty string, or what went wrong.
using TContentWriter = std::function<QString(QIODevice& device)>;

// Saves the file; returns an empty string, or a message that names the file and the cause.
QString SaveFileAtomically(const QString& path, const TContentWriter& write);
