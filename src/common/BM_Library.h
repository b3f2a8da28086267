#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <QVariant>

class QObject;

// Text, path, file-fact, date and size functions shared by every part of the
// program. Paths use "/" as separator; the names keep their Windows-era
// meaning (AddBackslash appends the platform separator).
namespace BM_Library {

// Text and paths. Comparisons are exact unless a function says otherwise.
QString AppendIfMissing(const QString& s, const QString& suffix);
QString AddBackslash(const QString& s);
QString RemoveTrailing(const QString& s, const QString& suffix);
QString RemoveBackslash(const QString& s);
QString PrependIfMissing(const QString& s, const QString& prefix);
QString FileNameOf(const QString& path);
QString FolderOf(const QString& path);
QString ExtensionOf(const QString& path);
QString ChangeExtension(const QString& path, const QString& ext);
QString RemoveExtension(const QString& path);
QString CutAtNull(const QString& s); // throws CError when s holds no NUL
QString CutAtDoubleNull(const QString& s);
int SplitText(const QString& s, const QString& delimiter, QStringList& out);
QString QuoteText(const QVariant& v);
QString Unquote(const QString& s);
QString DateLiteral(const QString& s);
QString MakeKey(qint32 n);
qint32 KeyToID(const QString& key); // throws CError when the rest is no number
template <typename Collection> void ClearCollection(Collection& c) {
    while (!c.isEmpty())
        c.removeLast();
}
QString AppFolder();

// File facts. An empty path reads the shared find record of the last lookup
// made by FileSize, FileDateText or FileDateTimeText (and the functions built
// on them); FileExists and FolderExists look for themselves.
bool FileExists(const QString& path);
bool FolderExists(const QString& path);
qint64 FileSize(const QString& path);
QString FileSizeText(const QString& path);
// The same text for a size in bytes already known.
QString SizeText(qint64 size);
QString FileDateText(const QString& path);
QString FileDateTimeText(const QString& path);
QString FileDateLiteral(const QString& path);

// Dates: the user's locale (QLocale(), which is the system locale unless a
// caller set another default), short date with a four-digit year.
QString DateText(const QDateTime& t);
QString TimeText(const QDateTime& t);
qint64 FileTimeFromDateTime(const QDateTime& t); // 100-ns ticks since 1601, UTC
QDateTime DateTimeFromFileTime(qint64 fileTime);
QString FileTimeText(qint64 fileTime);
// The file time of a modification time in nanoseconds since 1970 (st_mtim).
qint64 FileTimeFromUnixNanoseconds(qint64 nanoseconds);

// Special folders (with trailing separator, never created; "/" when unknown).
enum : int { CSIDL_PERSONAL = 5, CSIDL_RECENT = 8, CSIDL_APPDATA = 26 };
QString SpecialFolder(QObject* owner, int folderId);
QString AppDataFolder(QObject* owner = nullptr);
QString RecentFolder(QObject* owner = nullptr);
QString DocumentsFolder(QObject* owner = nullptr);

// The target of a shortcut: a symbolic link (or a copied Windows shell link)
// whose name ends in ".lnk" in any letter case; empty for any other path.
// Throws CError when a ".lnk" cannot be read.
QString ShortcutTarget(const QString& path);

// Process-wide counter: 1 on the first call. Throws CError on overflow.
qint32 NextClassID();

} // namespace BM_Library
