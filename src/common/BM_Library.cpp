#include "BM_Library.h"

#include "CError.h"
#include "CShortcutReader.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QLocale>
#include <QStandardPaths>

#include <QHash>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <ctime>
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

// What the date, time and size texts derive from the user's locale, kept
// while QLocale() stays the same: a file list asks for the texts of 100,000
// files, and deriving formats and formatting through QLocale for each one
// costs more than reading the files' facts. The formatted texts are kept per
// calendar day and per time of day, of which a list holds far fewer.
class LocaleTexts {
public:
    // The texts of the current default locale, refreshed when it changed.
    static LocaleTexts& Current() {
        // One per thread, so that the functions stay safe to call from any.
        thread_local LocaleTexts texts;
        const QLocale locale;
        // A locale equals another when it shares its data; the system locale
        // keeps its data object when the system's settings change, so its
        // name is compared as well.
        if (!texts.m_ready || !(locale == texts.m_locale) || locale.name() != texts.m_name)
            texts.Reset(locale);
        return texts;
    }

    const QString& Date(QDate date) {
        const qint64 day = date.toJulianDay();
        auto it = m_dates.constFind(day);
        if (it != m_dates.constEnd())
            return *it;
        if (m_dates.size() >= kMaxCached)
            m_dates.clear();
        return *m_dates.insert(day, m_locale.toString(date, m_dateFormat));
    }

    const QString& Time(QTime time) {
        // Without milliseconds in the format, a second shows as one text.
        const int key = m_timeShowsMSecs ? time.msecsSinceStartOfDay()
                                         : time.msecsSinceStartOfDay() / 1000 * 1000;
        auto it = m_times.constFind(key);
        if (it != m_times.constEnd())
            return *it;
        if (m_times.size() >= kMaxCached)
            m_times.clear();
        return *m_times.insert(key, m_locale.toString(time, m_timeFormat));
    }

    const QString& GroupSeparator() const { return m_groupSeparator; }
    const QString& DecimalPoint() const { return m_decimalPoint; }

private:
    static constexpr qsizetype kMaxCached = 100000;

    void Reset(const QLocale& locale) {
        m_locale = locale;
        m_name = locale.name();
        m_dateFormat = ShortDateFormat(locale);
        m_timeFormat = TimeFormat(locale);
        m_timeShowsMSecs = m_timeFormat.contains(u'z');
        m_groupSeparator = locale.groupSeparator();
        m_decimalPoint = locale.decimalPoint();
        m_dates.clear();
        m_times.clear();
        m_ready = true;
    }

    bool m_ready = false;
    QLocale m_locale;
    QString m_name;
    QString m_dateFormat;
    QString m_timeFormat;
    bool m_timeShowsMSecs = false;
    QString m_groupSeparator;
    QString m_decimalPoint;
    QHash<qint64, QString> m_dates;
    QHash<int, QString> m_times;
};

// Digits grouped by three with the locale's group separator.
QString GroupedNumber(qint64 value, const QString& separator) {
    char digits[24];
    const int n = std::snprintf(digits, sizeof digits, "%lld", static_cast<long long>(value));
    QString text;
    text.reserve(n + (n / 3) * separator.size() + 8);
    for (int i = 0; i < n; ++i) {
        if (i > 0 && (n - i) % 3 == 0)
            text += separator;
        text += QLatin1Char(digits[i]);
    }
    return text;
}

// The local date and time of a file time the way QDateTime's local time
// shows it, converted with the C library directly (QDateTime, which does the
// same for these years, costs several times more). Answers false for times
// outside 1970-2037, which are left to QDateTime's own rules.
bool LocalDateAndTime(qint64 msecs, QDate& date, QTime& time) {
    constexpr qint64 kLastSecond = 2145916799; // 2037-12-31 23:59:59 UTC
    if (msecs < 0 || msecs / 1000 > kLastSecond)
        return false;
    // Reread the zone when TZ changed, as QDateTime would; tzset itself
    // looks at the zone file again on every call, too slow for every row.
    thread_local QByteArray lastZone;
    thread_local bool zoneRead = false;
    const char* zone = std::getenv("TZ");
    if (!zoneRead || (zone == nullptr) != lastZone.isNull() ||
        (zone != nullptr && lastZone != zone)) {
        ::tzset();
        lastZone = zone == nullptr ? QByteArray() : QByteArray(zone);
        zoneRead = true;
    }
    const time_t seconds = static_cast<time_t>(msecs / 1000);
    struct tm local {};
    if (::localtime_r(&seconds, &local) == nullptr || local.tm_sec > 59)
        return false;
    date = QDate(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday);
    time = QTime(local.tm_hour, local.tm_min, local.tm_sec, static_cast<int>(msecs % 1000));
    return date.isValid() && time.isValid();
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
    QString t = s.trimmed();
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
    return SizeText(FileSize(path));
}

QString SizeText(qint64 size) {
    const LocaleTexts& texts = LocaleTexts::Current();
    if (size < 1000000) {
        const qint64 kilobytes = (size + 1023) / 1024;
        return GroupedNumber(kilobytes, texts.GroupSeparator()) + QLatin1String(" KB");
    }
    if (size < 1000000000) {
        // Thousandths of a megabyte, rounded half away from zero.
        const qint64 thousandths = (size * 2000 + 1048576) / (Q_INT64_C(2) * 1048576);
        char decimals[4];
        std::snprintf(decimals, sizeof decimals, "%03d", static_cast<int>(thousandths % 1000));
        int kept = 3;
        while (kept > 0 && decimals[kept - 1] == '0')
            --kept;
        return GroupedNumber(thousandths / 1000, texts.GroupSeparator()) + texts.DecimalPoint() +
               QLatin1String(decimals, kept) + QLatin1String(" MB");
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
    return LocaleTexts::Current().Date(t.date());
}

QString TimeText(const QDateTime& t) {
    if (!t.isValid())
        return QString();
    return LocaleTexts::Current().Time(t.time());
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

qint64 FileTimeFromUnixNanoseconds(qint64 nanoseconds) {
    return (nanoseconds / 1000000000 + kEpochDifferenceSeconds) * kTicksPerSecond +
           (nanoseconds % 1000000000) / 100;
}

QString FileTimeText(qint64 fileTime) {
    const qint64 msecs = fileTime / kTicksPerMSec - kEpochDifferenceSeconds * 1000;
    QDate date;
    QTime time;
    if (!LocalDateAndTime(msecs, date, time)) {
        const QDateTime local = DateTimeFromFileTime(fileTime);
        return DateText(local) + QLatin1Char(' ') + TimeText(local);
    }
    LocaleTexts& texts = LocaleTexts::Current();
    const QString& dateText = texts.Date(date);
    const QString& timeText = texts.Time(time);
    QString text;
    text.reserve(dateText.size() + 1 + timeText.size());
    text += dateText;
    text += QLatin1Char(' ');
    text += timeText;
    return text;
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
    // The same test as comparing ExtensionOf(path) with ".lnk", without a copy.
    if (!path.endsWith(QLatin1String(".lnk"), Qt::CaseInsensitive))
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
