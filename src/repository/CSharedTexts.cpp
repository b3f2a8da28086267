#include "CSharedTexts.h"

#include <QAnyStringView>
#include <QUtf8StringView>

bool CSharedTexts::Same(const QString& text, QByteArrayView utf8) {
    if (!QAnyStringView::equal(text, QUtf8StringView(utf8.data(), utf8.size())))
        return false;
    // Bytes that are not UTF-8 are replaced when decoded; how many
    // replacement characters stand for them is the decoder's own choice, so
    // such a text is decoded to be sure.
    if (!text.contains(QChar::ReplacementCharacter))
        return true;
    return text == QString::fromUtf8(utf8);
}
