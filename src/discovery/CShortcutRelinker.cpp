#include "CShortcutRelinker.h"

#include "CError.h"
#include "SM_Shortcut.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <unistd.h>

void CShortcutRelinker::Relink(const QString& ShortcutPath, const QString& NewTarget) {
    static std::atomic<quint32> serial{0};
    const QFileInfo info(ShortcutPath);
    const QByteArray target = QFile::encodeName(NewTarget);
    const QByteArray shortcut = QFile::encodeName(ShortcutPath);
    QByteArray temporary;
    int error = EEXIST;
    // A hidden name without ".lnk": nothing that reads the folder takes it
    // for a shortcut, should the program stop between the two steps.
    for (int attempt = 0; attempt < 100 && error == EEXIST; ++attempt) {
        temporary = QFile::encodeName(
            info.path() +
            QStringLiteral("/.relink-%1-%2").arg(QCoreApplication::applicationPid()).arg(serial++));
        error = symlink(target.constData(), temporary.constData()) == 0 ? 0 : errno;
    }
    if (error == 0 && ::rename(temporary.constData(), shortcut.constData()) != 0) {
        error = errno;
        unlink(temporary.constData());
    }
    if (error != 0)
        throw CError(error, QStringLiteral("Cannot re-point the shortcut \"%1\": %2")
                                .arg(ShortcutPath, QString::fromLocal8Bit(strerror(error))));
    // The folder's remembered targets are stale now.
    SM_Shortcut::ForgetFolder(info.path());
}
