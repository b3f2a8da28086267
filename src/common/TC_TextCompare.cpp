#include "TC_TextCompare.h"

namespace TC_TextCompare {

QString Fold(const QString& s) {
    // NFKC turns full-width letters and digits into their ASCII forms and
    // half-width katakana into full-width ones; case folding then ignores case.
    QString folded = s.normalized(QString::NormalizationForm_KC).toCaseFolded();
    for (QChar& c : folded) {
        const char16_t u = c.unicode();
        // Hiragana, and its iteration marks, to the katakana of the same sound.
        if ((u >= 0x3041 && u <= 0x3096) || u == 0x309D || u == 0x309E)
            c = QChar(char16_t(u + 0x60));
    }
    return folded;
}

bool Contains(const QString& haystack, const QString& needle) {
    if (haystack.isEmpty())
        return false;
    if (needle.isEmpty())
        return true;
    return Fold(haystack).contains(Fold(needle));
}

} // namespace TC_TextCompare
