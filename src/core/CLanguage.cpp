#include "CLanguage.h"

#include "BM_Library.h"

#include <QCoreApplication>
#include <QDir>
#include <QLibraryInfo>
#include <QTranslator>

namespace {

bool gJapanese = true;

} // namespace

bool CLanguage::IsJapanese(const QLocale& locale) {
    const QStringList languages = locale.uiLanguages();
    const QString first = languages.isEmpty() ? locale.name() : languages.first();
    return first == QLatin1String("ja") || first.startsWith(QLatin1String("ja-")) ||
           first.startsWith(QLatin1String("ja_"));
}

QString CLanguage::Folder() {
    QString beside = BM_Library::AppFolder() + QStringLiteral("translations");
    if (QDir(beside).exists())
        return beside;
    return QDir::cleanPath(BM_Library::AppFolder() + QStringLiteral("../share/vollo/translations"));
}

bool CLanguage::Load(const QLocale& locale) {
    static QTranslator* own = nullptr;
    if (own != nullptr) {
        QCoreApplication::removeTranslator(own);
        delete own;
        own = nullptr;
    }
    bool found = true;
    gJapanese = IsJapanese(locale);
    if (!gJapanese) {
        auto* candidate = new QTranslator;
        if (candidate->load(QStringLiteral("vollo_en"), Folder())) {
            own = candidate;
            QCoreApplication::installTranslator(own);
        } else {
            // Without the catalogue every text is Japanese: Qt's follow.
            delete candidate;
            gJapanese = true;
            found = false;
        }
    }
    LoadQtTranslations(gJapanese ? QLocale(QLocale::Japanese, QLocale::Japan)
                                 : QLocale(QLocale::English, QLocale::UnitedStates));
    return found;
}

bool CLanguage::LoadQtTranslations(const QLocale& locale) {
    // Standard buttons and dialogs read in the user's language, not in English.
    static QTranslator* translator = nullptr;
    if (translator != nullptr) {
        QCoreApplication::removeTranslator(translator);
        delete translator;
        translator = nullptr;
    }
    auto* candidate = new QTranslator;
    if (!candidate->load(locale, QStringLiteral("qtbase"), QStringLiteral("_"),
                         QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete candidate;
        return false;
    }
    translator = candidate;
    return QCoreApplication::installTranslator(translator);
}

bool CLanguage::Japanese() {
    return gJapanese;
}
