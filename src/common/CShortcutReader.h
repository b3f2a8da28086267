#pragma once

#include <QString>

// Reads the target of a shortcut file: a symbolic link, or a Windows shell
// link (.lnk) that was copied over from another machine. Stateless, so one
// instance can serve the whole process.
class CShortcutReader {
public:
    // The absolute target path. Throws CError naming the file when it is
    // missing, unreadable or neither a symbolic link nor a shell link.
    QString Target(const QString& path) const;

    // The target stored in the bytes of a Windows shell link, with "/" as
    // separator; a relative target is resolved against linkFolder. Throws
    // CError naming fileName when the bytes are no shell link or hold no path.
    static QString ParseShellLink(const QByteArray& data, const QString& linkFolder,
                                  const QString& fileName);
};
