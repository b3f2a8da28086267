#pragma once

#include <QLocale>
#include <QString>

// The language the program speaks: Japanese, its own, on a Japanese desktop,
// English on any other. The program's texts are written in Japanese; English
// comes from the catalogue built from translations/vollo_en.ts, and Qt's own
// catalogue (standard buttons, dialogs) follows the same choice, so a window
// never mixes two languages.
class CLanguage {
public:
    // Whether the locale's first user-interface language (LANGUAGE, then
    // LC_MESSAGES and LANG for the system locale) is Japanese.
    static bool IsJapanese(const QLocale& locale);
    // Replaces the catalogues loaded before with those for locale; returns
    // false when the English catalogue was wanted but not found (the texts
    // then stay Japanese).
    static bool Load(const QLocale& locale);
    // Loads Qt's own translations (standard buttons, dialogs) for locale from
    // Qt's translations folder, in place of any loaded before; false when Qt
    // has none for that language.
    static bool LoadQtTranslations(const QLocale& locale);
    // Whether the program speaks Japanese since the last Load (true before).
    static bool Japanese();
    // The program's catalogues: translations/ beside the executable when run
    // from the build tree, else ../share/vollo/translations relative to it,
    // so a moved installation still finds them.
    static QString Folder();
};
