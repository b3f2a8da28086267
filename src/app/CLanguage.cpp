#include "CLanguage.h"

#include "AM_Vollo.h"
#include "BM_Library.h"

#include <QCoreApplication>
#include <QDir>
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
    AM_Vollo::LoadQtTranslations(gJapanese ? QLocale(QLocale::Japanese, QLocale::Japan)
                                           : QLocale(QLocale::English, QLocale::UnitedStates));
    return found;
}

bool CLanguage::Japanese() {
    return gJapanese;
}
