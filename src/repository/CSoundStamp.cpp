#include "CSoundStamp.h"

#include <QFile>
#include <QSaveFile>

#include <sys/stat.h>

namespace {

bool Exists(const QString& path) {
    struct stat st;
    return lstat(QFile::encodeName(path).constData(), &st) == 0;
}

// The file's identity and times as one line; empty when it cannot be read
// or a journal lies beside it.
QByteArray Looks(const QString& repository) {
    for (const char* journal : {"-wal", "-journal"})
        if (Exists(repository + QLatin1String(journal)))
            return {};
    struct stat st;
    if (stat(QFile::encodeName(repository).constData(), &st) != 0 || !S_ISREG(st.st_mode))
        return {};
    return QByteArray("1 ") + QByteArray::number(quint64(st.st_dev)) + ' ' +
           QByteArray::number(quint64(st.st_ino)) + ' ' + QByteArray::number(qint64(st.st_size)) +
           ' ' + QByteArray::number(qint64(st.st_mtim.tv_sec)) + '.' +
           QByteArray::number(qint64(st.st_mtim.tv_nsec)) + ' ' +
           QByteArray::number(qint64(st.st_ctim.tv_sec)) + '.' +
           QByteArray::number(qint64(st.st_ctim.tv_nsec)) + '\n';
}

} // namespace

CSoundStamp::CSoundStamp(const QString& repository)
    : m_repository(repository), m_stamp(repository + QStringLiteral("-sound")) {}

bool CSoundStamp::Matches() const {
    QFile file(m_stamp);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray stamped = file.read(256);
    const QByteArray now = Looks(m_repository);
    return !now.isEmpty() && stamped == now;
}

void CSoundStamp::Record() const {
    const QByteArray now = Looks(m_repository);
    if (now.isEmpty()) {
        Forget();
        return;
    }
    QSaveFile file(m_stamp);
    if (!file.open(QIODevice::WriteOnly) || file.write(now) != now.size() ||
        !file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner) || !file.commit())
        Forget();
}

void CSoundStamp::Forget() const {
    QFile::remove(m_stamp);
}
