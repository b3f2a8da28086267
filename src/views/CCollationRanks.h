#pragma once

#include <QLocale>
#include <QString>

#include <vector>

// Ranks texts in the lists' collation: the locale's order, digits compared
// as numbers. Equal texts share a rank. A whole list's names are ranked at
// once, so their keys go into one buffer, are compared by their first bytes
// as a number, and are made and sorted on two threads for a long list.
class CCollationRanks {
public:
    // The rank of each text, counted from 0, in the order of texts.
    static std::vector<int> Ranks(const QLocale& locale, const std::vector<QStringView>& texts);
    // The same through QCollator's own keys: the order the lists had before,
    // and the one they keep where the locale's collator cannot be opened.
    static std::vector<int> CollatorRanks(const QLocale& locale,
                                          const std::vector<QStringView>& texts);
};
