#include "core/save_file.h"

#include <QSaveFile>

namespace kz {

bool SaveWholeFile(const QString &path, const QByteArray &bytes, QString *why)
{
    QSaveFile file(path);
    QString reason;
    if (!file.open(QIODevice::WriteOnly)) {
        reason = file.errorString();
    } else if (file.write(bytes) != bytes.size() || !file.flush()) {
        // The write lands in a buffer and only the flush reaches the disk; commit() would put a
        // short file in place even after a failed flush. Cancelled, no file is left behind.
        reason = file.errorString();
        file.cancelWriting();
    } else if (!file.commit()) {
        reason = file.errorString();
    } else {
        return true;
    }
    if (why)
        *why = reason;
    return false;
}

}  // namespace kz
