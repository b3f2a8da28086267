#include "CCategoryColours.h"

#include "CError.h"
#include "CRecordset.h"
#include "CVolloDB.h"
#include "Placeholders.h"

#include <QCoreApplication>

CCategoryColours::CCategoryColours(CVolloDB& repository) : m_repository(repository) {}

const QList<CCategoryColours::Swatch>& CCategoryColours::Palette() {
    // Middle tones: dark enough on white, light enough on a dark base.
    static const QList<Swatch> palette{
        {QStringLiteral("red"), QStringLiteral("#e5484d"),
         QT_TRANSLATE_NOOP("CCategoryColours", "赤")},
        {QStringLiteral("orange"), QStringLiteral("#f08c00"),
         QT_TRANSLATE_NOOP("CCategoryColours", "オレンジ")},
        {QStringLiteral("yellow"), QStringLiteral("#e2b203"),
         QT_TRANSLATE_NOOP("CCategoryColours", "黄")},
        {QStringLiteral("green"), QStringLiteral("#2f9e44"),
         QT_TRANSLATE_NOOP("CCategoryColours", "緑")},
        {QStringLiteral("teal"), QStringLiteral("#0c8599"),
         QT_TRANSLATE_NOOP("CCategoryColours", "青緑")},
        {QStringLiteral("blue"), QStringLiteral("#1c7ed6"),
         QT_TRANSLATE_NOOP("CCategoryColours", "青")},
        {QStringLiteral("purple"), QStringLiteral("#845ef7"),
         QT_TRANSLATE_NOOP("CCategoryColours", "紫")},
        {QStringLiteral("grey"), QStringLiteral("#868e96"),
         QT_TRANSLATE_NOOP("CCategoryColours", "灰色")},
    };
    return palette;
}

QString CCategoryColours::RgbOf(const QString& Name) {
    for (const Swatch& swatch : Palette())
        if (swatch.Name == Name)
            return swatch.Rgb;
    return QString();
}

QString CCategoryColours::LabelOf(const QString& Name) {
    for (const Swatch& swatch : Palette())
        if (swatch.Name == Name)
            return QCoreApplication::translate("CCategoryColours", swatch.Label);
    return QString();
}

CCategoryColours::ColourMap CCategoryColours::Colours() {
    ColourMap colours;
    if (!HasTable())
        return colours;
    // A name from a later palette is no colour here.
    CRecordset rs = m_repository.RunSQL(
        QStringLiteral("SELECT tagcolour.tagID, tagcolour.colour FROM tagcolour "
                       "INNER JOIN tags ON tags.ID = tagcolour.tagID"));
    for (; !rs.IsEOF(); rs.MoveNext())
        if (const QString name = rs.Field(1).toString(); !RgbOf(name).isEmpty())
            colours.insert(rs.Field(0).toInt(), name);
    return colours;
}

QString CCategoryColours::Colour(qint32 TagID) {
    return Colours().value(TagID);
}

void CCategoryColours::setColour(qint32 TagID, const QString& Name) {
    if (!Name.isEmpty() && RgbOf(Name).isEmpty())
        throw CError(QStringLiteral("CCategoryColours.setColour: \"%1\" is no colour of the "
                                    "palette.")
                         .arg(Name));
    if (!HasTable()) {
        if (Name.isEmpty())
            return;
        m_repository.RunSQL(
            QStringLiteral("CREATE TABLE tagcolour (tagID INTEGER PRIMARY KEY REFERENCES tags (ID) "
                           "ON DELETE CASCADE, colour TEXT NOT NULL)"));
    }
    m_repository.RunSQL(FillPlaceholders(
        Name.isEmpty() ? QStringLiteral("DELETE FROM tagcolour WHERE tagID = %tagID")
                       : QStringLiteral("INSERT OR REPLACE INTO tagcolour (tagID, colour) "
                                        "VALUES (%tagID, \"%colour\")"),
        {{QStringLiteral("%tagID"), TagID}, {QStringLiteral("%colour"), Name}}));
}

bool CCategoryColours::HasTable() {
    return m_repository.HasTable(QStringLiteral("tagcolour"));
}
