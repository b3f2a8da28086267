#pragma once

#include <QString>
#include <limits>
#include <memory>
#include <vector>

// One node of a parsed query. And/Or have two or more children, Not one; the
// other kinds are leaves. A leaf's values are already read: dates are a range
// of modification times, sizes a range of bytes, folders absolute paths.
struct CQueryNode {
    enum class Kind { And, Or, Not, Text, Type, Modified, Size, In, State };
    enum class State { Uncategorised, Missing, Duplicate };
    static constexpr qint64 kNoLow = std::numeric_limits<qint64>::min();
    static constexpr qint64 kNoHigh = std::numeric_limits<qint64>::max();

    Kind kind = Kind::Text;
    // Where the node's text starts in the query (a character index).
    int position = 0;
    // Text: the word or quoted words; Type: an extension or group name;
    // In: the folder.
    QString text;
    // Modified (nanoseconds since the epoch) and Size (bytes): low <= x < high,
    // kNoLow and kNoHigh meaning no bound.
    qint64 low = kNoLow;
    qint64 high = kNoHigh;
    State state = State::Uncategorised;
    std::vector<std::unique_ptr<CQueryNode>> children;
};
