#pragma once

#include <QString>
#include <QtGlobal>

struct stat;

// What the repository knows of one registered document apart from its
// shortcut: where it was, which file it was (device and inode), its size and
// modification time, and a fingerprint of its contents, so that a document
// that moved or was renamed can be recognised again.
struct CFileFacts {
    QString path;        // the document's path (the shortcut's target)
    quint64 device = 0;  // st_dev
    quint64 inode = 0;   // st_ino
    qint64 size = 0;     // bytes
    qint64 modified = 0; // st_mtim in nanoseconds since the epoch
    quint64 fingerprint = 0;
    // The document was not found when the facts were taken; only path is set.
    bool missing = false;

    // Takes the facts of the document at path (links followed). A document
    // that cannot be found or read comes back missing.
    static CFileFacts Read(const QString& path);
    // The same without the fingerprint (left 0): one stat, no reading.
    static CFileFacts Stat(const QString& path);
    // The same from a stat of path the caller already made.
    static CFileFacts Of(const QString& path, const struct stat& st);
    // XXH3-64 of the size (8 bytes, little-endian), the first 64 KiB and the
    // last 64 KiB of the open file fd (the two parts never overlap: a file up
    // to 128 KiB is hashed whole, once). False when the file cannot be read.
    static bool Fingerprint(int fd, qint64 size, quint64* result);
    // Whether other describes the same unchanged file: device, inode, size
    // and modification time agree (the fingerprint then agrees as well).
    bool SameFile(const CFileFacts& other) const;
};
