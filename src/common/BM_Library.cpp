#include "BM_Library.h"

#include "CError.h"
#include "CShortcutReader.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QLocale>
#include <QStandardPaths>

#include <cerrno>
#include <limits>
#include <sys/stat.h>

namespace BM_Library {

namespace {

const QChar kSeparator = u'/';

// Seconds between 1601-01-01 and 1970-01-01, the two epochs of file times.
constexpr qint64 kEpochDifferenceSeconds = 11644473600LL;
constexpr qint64 kTicksPerSecond = 10000000LL;
constexpr qint64 kTicksPerMSec = 10000LL;

// What the last lookup of FileSize, FileDateText or FileDateTimeText found.
// All zero (nothing found) at start and after a lookup that found nothing.
struct FindRecord {
    bool found = false;
    qint64 size = 0;
    qint64 lastWrite = 0; // file time
};

FindRecord gFindRecord;
qint32 gClassID = 0;

bool LStat(const QString& path, struct stat& st) {
    const QByteArray native = QFile::encodeName(path);
    return !native.isEmpty() && ::lstat(native.constData(), &st) == 0;
}

bool HasWildcards(const QString& name) {
    return name.contains(u'*') || name.contains(u'?');
}

// A directory search for path: the entry itself, or, when there is none and
// the name part holds wildcards, the first entry of its folder that matches.
bool FindFirst(const QString& path, struct stat& st) {
    if (path.isEmpty())
        return false;
    if (LStat(path, st))
        return true;
    const QString pattern = FileNameOf(path);
    if (!HasWildcards(pattern))
        return false;
    const QString folder = FolderOf(path);
    const QDir dir(folder.isEmpty() ? QStringLiteral(".") : folder);
    const QStringList matches = dir.entryList(
        {pattern}, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
        QDir::Name);
    for (const QString& match : matches) {
        if (LStat(folder + match, st))
            return true;
    }
    return false;
}

qint64 FileTimeOf(const struct stat& st) {
    return (static_cast<qint64>(st.st_mtim.tv_sec) + kEpochDifferenceSeconds) * kTicksPerSecond +
           static_cast<qint64>(st.st_mtim.tv_nsec) / 100;
}

// Fills the shared record from a lookup of path; an empty path keeps it.
const FindRecord& Lookup(const QString& path) {
    if (path.isEmpty())
        return gFindRecord;
    struct stat st {};
    if (FindFirst(path, st))
        gFindRecord = FindRecord{true, static_cast<qint64>(st.st_size), FileTimeOf(st)};
    else
        gFindRecord = FindRecord();
    return gFindRecord;
}

// Walks a date/time format and calls visit(letter, runLength, position) for
// every run of one pattern letter outside quoted literal text.
template <typename Visitor> void ForEachToken(const QString& format, Visitor visit) {
    bool quoted = false;
    for (qsizetype i = 0; i < format.size();) {
        const QChar c = format.at(i);
        if (c == u'\'') {
            quoted = !quoted;
            ++i;
            continue;
        }
        qsizetype j = i + 1;
        if (!quoted && c.isLetter()) {
            while (j < format.size() && format.at(j) == c)
                ++j;
            visit(c, j - i, i);
        }
        i = j;
    }
}

// The locale's short date with the year always in four digits, so that dates
// read back unambiguously.
QString ShortDateFormat(const QLocale& locale) {
    QString format = locale.dateFormat(QLocale::ShortFormat);
    QList<std::pair<qsizetype, qsizetype>> years;
    ForEachToken(format, [&](QChar c, qsizetype n, qsizetype at) {
        if (c == u'y' && n != 4)
            years.append({at, n});
    });
    for (auto it = years.crbegin(); it != years.crend(); ++it)
        format.replace(it->first, it->second, QStringLiteral("yyyy"));
    return format;
}

// The locale's short time with seconds added after the minutes, using the
// separator that stands between hours and minutes; no time zone.
QString TimeFormat(const QLocale& locale) {
    QString format = locale.timeFormat(QLocale::ShortFormat);
    qsizetype hourEnd = -1, minuteAt = -1, minuteEnd = -1;
    bool hasSeconds = false;
    ForEachToken(format, [&](QChar c, qsizetype n, qsizetype at) {
        if (c == u'h' || c == u'H')
            hourEnd = at + n;
        else if (c == u'm' && minuteAt < 0) {
            minuteAt = at;
            minuteEnd = at + n;
        } else if (c == u's')
            hasSeconds = true;
    });
    if (hasSeconds)
        return format;
    if (minuteAt >= 0 && hourEnd >= 0 && hourEnd <= minuteAt) {
        const QString separator = format.mid(hourEnd, minuteAt - hourEnd);
        if (!separator.isEmpty() && !separator.contains(u'\'')) {
            format.insert(minuteEnd, separator + QStringLiteral("ss"));
            return format;
        }
    }
    // No plain "h:mm" to extend: take the long form without its time zone.
    format = locale.timeFormat(QLocale::LongFormat);
    QList<std::pair<qsizetype, qsizetype>> zones;
    ForEachToken(format, [&](QChar c, qsizetype n, qsizetype at) {
        if (c == u't')
            zones.append({at, n});
    });
    for (auto it = zones.crbegin(); it != zones.crend(); ++it)
        format.remove(it->first, it->second);
    format.remove(QStringLiteral("()"));
    return format.simplified();
}

// Digits grouped by three with the locale's group separator.
QString GroupedNumber(qint64 value, const QLocale& locale) {
    const QString digits = QString::number(value);
    QString text;
    const qsizetype n = digits.size();
    for (qsizetype i = 0; i < n; ++i) {
        if (i > 0 && (n - i) % 3 == 0)
            text += locale.groupSeparator();
        text += digits.at(i);
    }
    return text;
}

} // namespace

// ---------------------------------------------------------------- text, paths

QString AppendIfMissing(const QString& s, const QString& suffix) {
    return s.endsWith(suffix) ? s : s + suffix;
}

QString AddBackslash(const QString& s) {
    return AppendIfMissing(s, QString(kSeparator));
}

QString RemoveTrailing(const QString& s, const QString& suffix) {
    return s.endsWith(suffix) ? s.left(s.size() - suffix.size()) : s;
}

QString RemoveBackslash(const QString& s) {
    return RemoveTrailing(s, QString(kSeparator));
}

QString PrependIfMissing(const QString& s, const QString& prefix) {
    // Only the first character is compared, as callers rely on.
    return s.left(1) == prefix ? s : prefix + s;
}

QString FileNameOf(const QString& path) {
    return path.mid(path.lastIndexOf(kSeparator) + 1);
}

QString FolderOf(const QString& path) {
    return path.left(path.lastIndexOf(kSeparator) + 1);
}

QString ExtensionOf(const QString& path) {
    const qsizetype dot = path.lastIndexOf(u'.');
    return dot < 0 ? path : path.mid(dot);
}

QString ChangeExtension(const QString& path, const QString& ext) {
    return path.left(path.size() - ExtensionOf(path).size()) + ext;
}

QString RemoveExtension(const QString& path) {
    return ChangeExtension(path, QString());
}

QString CutAtNull(const QString& s) {
    const qsizetype at = s.indexOf(QChar(0));
    if (at < 0)
        throw CError(QStringLiteral("The text holds no NUL character: \"%1\"").arg(s));
    return s.left(at);
}

QString CutAtDoubleNull(const QString& s) {
    const qsizetype at = s.indexOf(QString(2, QChar(0)));
    return at < 0 ? s : s.left(at);
}

int SplitText(const QString& s, const QString& delimiter, QStringList& out) {
    out.clear();
    if (s.isEmpty())
        return 0;
    if (delimiter.isEmpty())
        out.append(s);
    else
        out = s.split(delimiter);
    return static_cast<int>(out.size());
}

QString QuoteText(const QVariant& v) {
    return QLatin1Char('"') + v.toString() + QLatin1Char('"');
}

QString Unquote(const QString& s) {
    const QString t = s.trimmed();
    if (t.startsWith(u'"') && t.endsWith(u'"'))
        return t.size() >= 2 ? t.mid(1, t.size() - 2) : QString();
    return t;
}

QString DateLiteral(const QString& s) {
    return PrependIfMissing(AppendIfMissing(s, QStringLiteral("#")), QStringLiteral("#"));
}

QString MakeKey(qint32 n) {
    return QLatin1Char('H') + QString::number(n);
}

qint32 KeyToID(const QString& key) {
    bool ok = false;
    const int id = key.mid(1).toInt(&ok);
    if (!ok)
        throw CError(QStringLiteral("The key \"%1\" does not end in a whole number").arg(key));
    return id;
}

QString AppFolder() {
    if (QCoreApplication::instance())
        return AddBackslash(QCoreApplication::applicationDirPath());
    const QString exe = QFile::symLinkTarget(QStringLiteral("/proc/self/exe"));
    return exe.isEmpty() ? QString(kSeparator) : FolderOf(exe);
}

// ----------------------------------------------------------------- file facts

bool FileExists(const QString& path) {
    struct stat st {};
    return FindFirst(path, st) && !S_ISDIR(st.st_mode);
}

bool FolderExists(const QString& path) {
    const QString unquoted = Unquote(path);
    QString folder = RemoveBackslash(unquoted);
    if (folder.trimmed().isEmpty()) {
        // The root folder loses its only separator above, yet it exists.
        if (unquoted != QString(kSeparator))
            return false;
        folder = unquoted;
    }
    struct stat st {};
    return LStat(folder, st);
}

qint64 FileSize(const QString& path) {
    const FindRecord& record = Lookup(path);
    return record.found ? record.size : 0;
}

QString FileSizeText(const QString& path) {
    const qint64 size = FileSize(path);
    const QLocale locale;
    if (size < 1000000) {
        const qint64 kilobytes = (size + 1023) / 1024;
        return GroupedNumber(kilobytes, locale) + QStringLiteral(" KB");
    }
    if (size < 1000000000) {
        // Thousandths of a megabyte, rounded half away from zero.
        const qint64 thousandths = (size * 2000 + 1048576) / (2 * 1048576);
        QString decimals = QStringLiteral("%1").arg(thousandths % 1000, 3, 10, QLatin1Char('0'));
        while (decimals.endsWith(u'0'))
            decimals.chop(1);
        return GroupedNumber(thousandths / 1000, locale) + locale.decimalPoint() + decimals +
               QStringLiteral(" MB");
    }
    return QString();
}

QString FileDateText(const QString& path) {
    const FindRecord& record = Lookup(path);
    if (!record.found)
        return DateText(QDateTime(QDate(1601, 1, 1), QTime(0, 0)));
    return DateText(DateTimeFromFileTime(record.lastWrite));
}

QString FileDateTimeText(const QString& path) {
    const FindRecord& record = Lookup(path);
    return record.found ? FileTimeText(record.lastWrite) : QString();
}

QString FileDateLiteral(const QString& path) {
    return DateLiteral(FileDateText(path));
}

// ---------------------------------------------------------------------- dates

QString DateText(const QDateTime& t) {
    if (!t.isValid())
        return QString();
    const QLocale locale;
    return locale.toString(t.date(), ShortDateFormat(locale));
}

QString TimeText(const QDateTime& t) {
    if (!t.isValid())
        return QString();
    const QLocale locale;
    return locale.toString(t.time(), TimeFormat(locale));
}

qint64 FileTimeFromDateTime(const QDateTime& t) {
    if (!t.isValid())
        return 0;
    qint64 ticks = 0;
    // Dates beyond the year 30,000 or so do not fit; keep to the nearest end.
    if (__builtin_add_overflow(t.toMSecsSinceEpoch(), kEpochDifferenceSeconds * 1000, &ticks) ||
        __builtin_mul_overflow(ticks, kTicksPerMSec, &ticks))
        return t.toMSecsSinceEpoch() < 0 ? std::numeric_limits<qint64>::min()
                                         : std::numeric_limits<qint64>::max();
    return ticks;
}

QDateTime DateTimeFromFileTime(qint64 fileTime) {
    const qint64 msecs = fileTime / kTicksPerMSec - kEpochDifferenceSeconds * 1000;
    return QDateTime::fromMSecsSinceEpoch(msecs, Qt::LocalTime);
}

QString FileTimeText(qint64 fileTime) {
    const QDateTime local = DateTimeFromFileTime(fileTime);
    return DateText(local) + QLatin1Char(' ') + TimeText(local);
}

// ------------------------------------------------------------ shared services

QString SpecialFolder(QObject* owner, int folderId) {
    Q_UNUSED(owner);
    QString path;
    switch (folderId) {
    case CSIDL_APPDATA:
        path = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
        break;
    case CSIDL_PERSONAL:
        path = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
        break;
    case CSIDL_RECENT: {
        const QString cache =
            QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation);
        if (!cache.isEmpty())
            path = cache + QStringLiteral("/Vollo/Recent");
        break;
    }
    default:
        break;
    }
    return AddBackslash(path);
}

QString AppDataFolder(QObject* owner) {
    return SpecialFolder(owner, CSIDL_APPDATA);
}
QString RecentFolder(QObject* owner) {
    return SpecialFolder(owner, CSIDL_RECENT);
}
QString DocumentsFolder(QObject* owner) {
    return SpecialFolder(owner, CSIDL_PERSONAL);
}

QString ShortcutTarget(const QString& path) {
    if (ExtensionOf(path).compare(QStringLiteral(".lnk"), Qt::CaseInsensitive) != 0)
        return QString();
    static const CShortcutReader reader; // made on first use, kept for the process
    return reader.Target(path);
}

qint32 NextClassID() {
    if (gClassID == std::numeric_limits<qint32>::max())
        throw CError(EOVERFLOW, QStringLiteral("The class identifier counter overflowed"));
    return ++gClassID;
}

} // namespace BM_Library
