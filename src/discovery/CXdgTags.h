#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <functional>

// The desktop's tags of a document: the extended attribute user.xdg.tags,
// read and written by file managers and desktop search as a comma-separated
// list (written without blanks). Only the document itself carries it; a
// shortcut's own attributes are never touched.
class CXdgTags {
public:
    static const char* const AttributeName;

    // A value read back: the tags as text, in order, without repeats, and
    // the parts that are no valid UTF-8, kept as bytes.
    struct Parsed {
        QStringList names;
        QList<QByteArray> refused;
    };
    // Split on ",", empty parts dropped and blanks trimmed, as file managers
    // read it.
    static Parsed Parse(const QByteArray& value);
    // The parts of a value as they stand (only empty parts dropped), so that
    // tags written by others can be written back byte for byte.
    static QList<QByteArray> RawParts(const QByteArray& value);
    // A tag as its part of a value: trimmed text, or empty when the part is
    // no valid UTF-8.
    static QString TagOf(const QByteArray& part);
    // The names joined by "," without blanks.
    static QByteArray Compose(const QList<QByteArray>& parts);
    // A name a value can hold: not empty and without a comma.
    static bool Writable(const QString& name);

    // 0 and the value (empty without attribute), or the errno of the failure.
    static int Read(const QString& path, QByteArray* value);
    // 0, or the errno of the failure. An empty value removes the attribute.
    static int Write(const QString& path, const QByteArray& value);
    // The same on a document open for reading (Fd); Path names it for the
    // fault hook. An open document is found once, not once per call.
    static int Read(int Fd, const QString& Path, QByteArray* value);
    static int Write(int Fd, const QString& Path, const QByteArray& value);
    // Writes a value only where the document carries none yet, in one call:
    // 0, EEXIST when it carries one, or the errno of the failure.
    static int Create(const QString& Path, const QByteArray& value);
    // Failures that only mean the document cannot carry tags: a filesystem
    // without user attributes, a read-only file, a full disk or quota.
    static bool IsUnwritable(int error);

    // Tests stand in for a filesystem that fails: the hook is asked before
    // every read and write and a non-zero answer is taken as its errno.
    using FaultHook = std::function<int(const QString& path, bool write)>;
    static void setFaultHook(FaultHook hook);
};
