#include "JetDate.h"

#include <QDateTime>
#include <QLocale>
#include <QRegularExpression>

namespace JetDate {

namespace {

// The locale's short format with its year widened to four digits: the form in
// which the program writes dates.
QString FourDigitYearFormat(const QLocale& locale) {
    QString format = locale.dateFormat(QLocale::ShortFormat);
    static const QRegularExpression years(QStringLiteral("y+"));
    format.replace(years, QStringLiteral("yyyy"));
    return format;
}

struct Numbers {
    int values[3] = {0, 0, 0};
    int digits[3] = {0, 0, 0};
    QChar separator;
    bool ok = false;
};

// Three groups of digits split by one kind of separator; a trailing separator
// (as in "6.12.2026.") is allowed.
Numbers SplitNumbers(QStringView text) {
    Numbers r;
    int group = 0;
    bool inDigits = false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        const int digit = c.digitValue();
        if (digit >= 0) {
            if (!inDigits) {
                if (group == 3)
                    return r;
                inDigits = true;
                ++group;
            }
            if (r.digits[group - 1] >= 4)
                return r;
            r.values[group - 1] = r.values[group - 1] * 10 + digit;
            ++r.digits[group - 1];
        } else {
            if (!inDigits && group != 0)
                return r; // two separators in a row
            if (group == 0)
                return r;
            if (r.separator.isNull())
                r.separator = c;
            else if (r.separator != c)
                return r;
            inDigits = false;
        }
    }
    r.ok = group == 3;
    return r;
}

bool MonthFirst(const QLocale& locale) {
    const QString format = locale.dateFormat(QLocale::ShortFormat);
    const qsizetype m = format.indexOf(u'M');
    const qsizetype d = format.indexOf(u'd');
    return m >= 0 && d >= 0 && m < d;
}

QDate ParseDate(const QString& text) {
    const Numbers n = SplitNumbers(text);
    // Year first is never ambiguous and is the form registration dates take.
    if (n.ok && n.digits[0] == 4)
        return QDate(n.values[0], n.values[1], n.values[2]);

    const QLocale locale;
    QDate date = locale.toDate(text, FourDigitYearFormat(locale));
    if (date.isValid())
        return date;
    if (!n.ok || n.digits[2] != 4 || n.digits[0] > 2 || n.digits[1] > 2)
        return QDate();
    const QDate dayFirst(n.values[2], n.values[1], n.values[0]);
    const QDate monthFirst(n.values[2], n.values[0], n.values[1]);
    // "d.M.yyyy" and "d-M-yyyy" are day first everywhere; with slashes the
    // locale's own order decides, and an impossible reading gives way.
    const bool preferMonth = n.separator == u'/' && MonthFirst(locale);
    if (preferMonth)
        return monthFirst.isValid() ? monthFirst : dayFirst;
    return dayFirst.isValid() ? dayFirst : monthFirst;
}

} // namespace

QDateTime Parse(const QString& text) {
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty())
        return QDateTime();
    QDate date = ParseDate(trimmed);
    if (date.isValid())
        return QDateTime(date, QTime(0, 0), Qt::UTC);
    // A time of day may follow the date after a blank.
    const qsizetype blank = trimmed.lastIndexOf(u' ');
    if (blank <= 0)
        return QDateTime();
    date = ParseDate(trimmed.left(blank).trimmed());
    if (!date.isValid())
        return QDateTime();
    const QString timeText = trimmed.mid(blank + 1);
    for (const QString& format : {QStringLiteral("H:m:s"), QStringLiteral("H:m")}) {
        const QTime time = QTime::fromString(timeText, format);
        if (time.isValid())
            return QDateTime(date, time, Qt::UTC);
    }
    return QDateTime();
}

QString ToIso(const QString& text) {
    // The common case, a date alone, without going through a date-time.
    const QDate day = ParseDate(text.trimmed());
    if (day.isValid())
        return QString::asprintf("%04d-%02d-%02d", day.year(), day.month(), day.day());
    const QDateTime t = Parse(text);
    if (!t.isValid())
        return QString();
    const QDate d = t.date();
    const QTime time = t.time();
    // Formatted by hand: this runs for every registered file.
    if (time == QTime(0, 0) && !text.contains(u':'))
        return QString::asprintf("%04d-%02d-%02d", d.year(), d.month(), d.day());
    return QString::asprintf("%04d-%02d-%02d %02d:%02d:%02d", d.year(), d.month(), d.day(),
                             time.hour(), time.minute(), time.second());
}

} // namespace JetDate
