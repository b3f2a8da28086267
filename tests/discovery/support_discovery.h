#pragma once

#include "CRecordset.h"

#include <QString>
#include <QStringList>

// Makes an empty file (and its folders); returns false when it cannot.
bool Touch(const QString& path);
// The same for a path given as raw bytes (names that are not valid text).
bool TouchRaw(const QByteArray& path);
// Makes a symbolic link holding target as it stands.
bool Link(const QString& target, const QString& link);
// What a symbolic link holds, unresolved.
QString RawLink(const QString& link);
// The modification time of a path itself (a link's own), in seconds.
qint64 OwnTime(const QString& path);
// Entry names of a folder, hidden ones included, sorted.
QStringList Entries(const QString& folder);
// The values of one column of every row, as text, sorted.
QStringList Column(CRecordset rs, int column);
