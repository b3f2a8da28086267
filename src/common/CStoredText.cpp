#include "CStoredText.h"

#include <QCoreApplication>

namespace {

// Every text the template stores, as lupdate must find it; the catalogue's
// context is the class's name.
constexpr const char* kShipped[] = {
    QT_TRANSLATE_NOOP("CStoredText", "すべてのファイル"),
    QT_TRANSLATE_NOOP("CStoredText", "名前"),
    QT_TRANSLATE_NOOP("CStoredText", "サイズ"),
    QT_TRANSLATE_NOOP("CStoredText", "更新日時"),
    QT_TRANSLATE_NOOP("CStoredText",
                      "初めての起動です。ドキュメント フォルダーの文書を Vollo に登録しますか？"),
    QT_TRANSLATE_NOOP("CStoredText", "仕事"),
    QT_TRANSLATE_NOOP("CStoredText", "個人"),
    QT_TRANSLATE_NOOP("CStoredText", "重要"),
    QT_TRANSLATE_NOOP("CStoredText", "最近使ったファイル"),
    QT_TRANSLATE_NOOP("CStoredText", "文書"),
    QT_TRANSLATE_NOOP("CStoredText", "表計算"),
    QT_TRANSLATE_NOOP("CStoredText", "プレゼンテーション"),
    QT_TRANSLATE_NOOP("CStoredText", "テキスト"),
    QT_TRANSLATE_NOOP("CStoredText", "Web ページ"),
    QT_TRANSLATE_NOOP("CStoredText", "画像"),
};

} // namespace

QString CStoredText::Shown(const QString& stored) {
    if (stored.isEmpty())
        return stored;
    const QByteArray bytes = stored.toUtf8();
    for (const char* shipped : kShipped) {
        if (bytes == shipped)
            return QCoreApplication::translate("CStoredText", shipped);
    }
    return stored;
}
