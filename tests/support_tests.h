#pragma once

#include "CError.h"

#include <QtTest>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

// One program runs a folder's test classes in turn: less to build and to check.
template <typename Test> int Run(int argc, char** argv) {
    Test test;
    return QTest::qExec(&test, argc, argv);
}
template <typename... Tests> int RunAll(int argc, char** argv) {
    int failed = 0;
    ((failed += Run<Tests>(argc, argv)), ...);
    return failed;
}

// The error a call raises; code -1 when it raised none.
template <typename Call> CError Raised(Call call) {
    try {
        call();
    } catch (const CError& e) {
        return e;
    }
    return CError(-1, QStringLiteral("no error"));
}

// Writes a file (folders made as needed) and returns its absolute path.
inline QString WriteFile(const QString& path, const QByteArray& content = "x") {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(content) != content.size())
        qFatal("cannot write %s", qPrintable(path));
    return QFileInfo(path).absoluteFilePath();
}
// The same for a path given as raw bytes (names that are not valid text).
inline void WriteRaw(const QByteArray& path) {
    const QByteArray folder = path.left(path.lastIndexOf('/'));
    QDir().mkpath(QFileInfo(QFile::decodeName(folder)).absolutePath());
    ::mkdir(folder.constData(), 0755);
    const int fd = ::open(path.constData(), O_CREAT | O_WRONLY, 0644);
    if (fd < 0 || ::write(fd, "x", 1) != 1 || ::close(fd) != 0)
        qFatal("cannot write %s", path.constData());
}
// Makes a symbolic link at link holding target as it stands.
inline void MakeLink(const QString& target, const QString& link) {
    QDir().mkpath(QFileInfo(link).absolutePath());
    if (::symlink(QFile::encodeName(target).constData(), QFile::encodeName(link).constData()) != 0)
        qFatal("cannot link %s", qPrintable(link));
}
