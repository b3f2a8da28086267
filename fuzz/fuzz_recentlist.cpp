// Any bytes as the desktop's recently-used.xbel: every document listed is an
// absolute, clean local path, listed once.
#include "RM_RecentMirror.h"

#include <QDir>
#include <QSet>

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const QStringList documents = RM_RecentMirror::ParseBookmarks(bytes);
    QSet<QString> seen;
    for (const QString& path : documents) {
        if (!QDir::isAbsolutePath(path) || QDir::cleanPath(path) != path || seen.contains(path))
            std::abort();
        seen.insert(path);
    }
    return 0;
}
