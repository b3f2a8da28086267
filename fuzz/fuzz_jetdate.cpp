// Any text as the inside of a "#" date literal: either no date, or an ISO
// date SQLite reads as the same day; and any statement text goes through
// the dialect translation without a crash.
#include "CDatabase.h"
#include "CError.h"
#include "JetDate.h"

#include <QDateTime>
#include <QLocale>

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString text =
        QString::fromUtf8(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const QString iso = JetDate::ToIso(text);
    if (!iso.isEmpty()) {
        const QDateTime parsed = JetDate::Parse(text);
        const bool withTime = iso.size() == 19;
        const QDateTime back = QDateTime::fromString(
            iso, withTime ? QStringLiteral("yyyy-MM-dd HH:mm:ss") : QStringLiteral("yyyy-MM-dd"));
        if ((iso.size() != 10 && !withTime) || !back.isValid() || back.date() != parsed.date())
            std::abort();
    }
    try {
        CDatabase::TranslateDialect(QStringLiteral("SELECT * FROM files WHERE fileAge=#") + text +
                                    QStringLiteral("#"));
        CDatabase::TranslateDialect(text);
    } catch (const CError&) {
    }
    return 0;
}
