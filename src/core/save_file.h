#pragma once
// Writing a whole file so that a failure leaves nothing half-done.

#include <QByteArray>
#include <QString>

namespace kz {

// Replaces the file at path with bytes, only once all of them have reached the disk: on any failure
// (folder missing or read-only, disk full) an existing file is left untouched, no new file is left
// behind, and *why (if given) holds the system's reason.
bool SaveWholeFile(const QString &path, const QByteArray &bytes, QString *why = nullptr);

}  // namespace kz
