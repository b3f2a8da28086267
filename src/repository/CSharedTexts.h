#pragma once

#include "CDatabase.h"

#include <QByteArrayView>
#include <QString>
#include <algorithm>

// Offers the strings of a reading already held to the next reading of the
// same rows (see CDatabase::SharedText). The held list is in the order of
// its rows' IDs; a tail out of that order (rows added since) is not offered.
// The list must stay as it is while the reading runs.
class CSharedTexts {
public:
    template <typename List, typename IdOf, typename TextOf>
    static CDatabase::SharedText From(const List& list, IdOf idOf, TextOf textOf) {
        const auto begin = list.cbegin();
        const auto ordered =
            std::is_sorted_until(begin, list.cend(), [&idOf](const auto& a, const auto& b) {
                return idOf(a) < idOf(b);
            });
        // Readings come mostly in the order of the IDs: each search starts
        // where the last one ended.
        auto last = begin;
        return [begin, ordered, last, idOf, textOf](qint64 id, QByteArrayView utf8) mutable {
            const auto byID = [&idOf](const auto& entry, qint64 wanted) {
                return qint64(idOf(entry)) < wanted;
            };
            const auto from = last != ordered && qint64(idOf(*last)) <= id ? last : begin;
            last = std::lower_bound(from, ordered, id, byID);
            if (last != ordered && qint64(idOf(*last)) == id && Same(textOf(*last), utf8))
                return textOf(*last);
            return QString::fromUtf8(utf8);
        };
    }

    // Whether text is what QString::fromUtf8 makes of utf8.
    static bool Same(const QString& text, QByteArrayView utf8);
};
