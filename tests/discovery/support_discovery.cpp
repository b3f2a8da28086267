#include "support_discovery.h"

#include <QDir>
#include <QFile>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

bool Touch(const QString& path) {
    QDir().mkpath(QFileInfo(path).path());
    QFile f(path);
    return f.open(QIODevice::WriteOnly);
}

bool TouchRaw(const QByteArray& path) {
    const QByteArray folder = path.left(path.lastIndexOf('/'));
    QDir().mkpath(QFileInfo(QFile::decodeName(folder)).path());
    mkdir(folder.constData(), 0755);
    const int fd = open(path.constData(), O_CREAT | O_WRONLY, 0644);
    return fd >= 0 && close(fd) == 0;
}

bool Link(const QString& target, const QString& link) {
    return symlink(QFile::encodeName(target).constData(), QFile::encodeName(link).constData()) == 0;
}

QString RawLink(const QString& link) {
    char buffer[4096];
    const ssize_t n = readlink(QFile::encodeName(link).constData(), buffer, sizeof buffer);
    return n < 0 ? QString() : QFile::decodeName(QByteArray(buffer, int(n)));
}

qint64 OwnTime(const QString& path) {
    struct stat st;
    return lstat(QFile::encodeName(path).constData(), &st) == 0 ? qint64(st.st_mtim.tv_sec) : -1;
}

QStringList Entries(const QString& folder) {
    return QDir(folder).entryList(
        QDir::AllEntries | QDir::System | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
}

QStringList Column(CRecordset rs, int column) {
    QStringList values;
    for (; !rs.IsEOF(); rs.MoveNext())
        values << rs.Field(column).toString();
    values.sort();
    return values;
}
