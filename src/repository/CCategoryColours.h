#pragma once

#include <QHash>
#include <QList>
#include <QString>

class CVolloDB;

// The colour a user gave a category to find it at a glance: one of a small
// palette of tones that read on light and dark themes alike, stored by its
// name ("red") in a table of its own beside the categories. The table is
// made the first time a colour is given, so a repository from before stays
// as it was until then; a deleted category's colour goes with it.
class CCategoryColours {
public:
    struct Swatch {
        QString Name;      // as stored
        QString Rgb;       // "#rrggbb"
        const char* Label; // shown, translated in the context "CCategoryColours"
    };
    // The category's palette name by its number; uncoloured ones are absent.
    using ColourMap = QHash<qint32, QString>;

    explicit CCategoryColours(CVolloDB& repository);

    static const QList<Swatch>& Palette();
    // "#rrggbb" of a palette name; empty for none or a name not in it.
    static QString RgbOf(const QString& Name);
    // The translated label of a palette name.
    static QString LabelOf(const QString& Name);

    ColourMap Colours();
    QString Colour(qint32 TagID);
    // Gives TagID the palette colour Name; empty takes its colour away. A
    // name not in the palette is refused with CError.
    void setColour(qint32 TagID, const QString& Name);

private:
    bool HasTable();

    CVolloDB& m_repository;
};
