#pragma once

#include "CQueryNode.h"

#include <QString>
#include <memory>

// Reads the text of the query field into a tree of CQueryNode.
//
//   words         document names containing them ("report" finds 報告 report.pdf
//                 only by its name); a word that names a category selects the
//                 category's documents instead (the compiler decides which)
//   "two words"   one word with spaces (also 「two words」); "" stands for "
//   a b, a AND b  both (also かつ)          a OR b     either (also または)
//   NOT a, -a     not (also でない)         ( )        grouping
//   type:pdf      種類:     extension or extension group
//   modified:2024 更新:     2024, 2024-03, 2024-03-15, >2024-03, <=2024, a..b
//   size:>10MB    サイズ:   B, KB, MB, GB, TB (1024-based); >, >=, <, <=, a..b
//   in:~/Projects 場所:     documents under a folder
//   is:missing    状態:     uncategorised 未分類, missing 見つかりません,
//                           duplicate 重複
//
// NOT binds tighter than AND, AND tighter than OR. The operators are written
// in capitals; keys and state names ignore case and width. Unreadable text
// throws CQueryError with where and why.
class CQueryParser {
public:
    // The tree of the query; null for a query without any condition.
    static std::unique_ptr<CQueryNode> Parse(const QString& text);
    // A name written so that Parse reads it back as one word: quoted when it
    // holds spaces, quotes, brackets, a colon, a leading dash or is an operator.
    static QString Quote(const QString& name);
};
