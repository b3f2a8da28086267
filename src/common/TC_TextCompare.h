#pragma once

#include <QString>

// Text comparison for searching names the way a Japanese user expects: letter
// case, full-width and half-width forms, and hiragana and katakana are all
// treated alike ("ＡＢＣ" finds "abc", "かな" finds "カナ").
namespace TC_TextCompare {

// The form both sides are compared in: NFKC, case-folded, hiragana as katakana.
QString Fold(const QString& s);

// Whether needle occurs in haystack when both are folded. An empty needle
// occurs in every text that is not empty itself (and never in empty text).
bool Contains(const QString& haystack, const QString& needle);

} // namespace TC_TextCompare
