#include "CCollationRanks.h"

#include <QCollator>
#include <QtEndian>

#include <algorithm>
#include <cstring>
#include <numeric>
#include <thread>

#include <unicode/ucol.h>

namespace {

// Below this many texts a second thread costs more than it saves.
constexpr size_t kTwoThreads = 16384;

// The attributes QCollator gives its ICU collator for a case-sensitive
// numeric collation: the order must be the one the rest of the window uses.
class Collator {
public:
    explicit Collator(const QLocale& locale) {
        UErrorCode status = U_ZERO_ERROR;
        m_collator = ucol_open(
            locale.bcp47Name().replace(QLatin1Char('-'), QLatin1Char('_')).toLatin1().constData(),
            &status);
        if (U_FAILURE(status)) {
            close();
            return;
        }
        ucol_setAttribute(m_collator, UCOL_NORMALIZATION_MODE, UCOL_ON, &status);
        ucol_setAttribute(m_collator, UCOL_STRENGTH, UCOL_DEFAULT_STRENGTH, &status);
        ucol_setAttribute(m_collator, UCOL_NUMERIC_COLLATION, UCOL_ON, &status);
        ucol_setAttribute(m_collator, UCOL_ALTERNATE_HANDLING, UCOL_NON_IGNORABLE, &status);
        if (U_FAILURE(status))
            close();
    }
    ~Collator() { close(); }
    Collator(const Collator&) = delete;
    Collator& operator=(const Collator&) = delete;

    UCollator* get() const { return m_collator; }

private:
    void close() {
        if (m_collator != nullptr)
            ucol_close(m_collator);
        m_collator = nullptr;
    }
    UCollator* m_collator = nullptr;
};

// A text's key: its first eight bytes as a number, the rest in a buffer.
// Keys hold no zero byte but their end, so keys with the same first eight
// bytes either both go on or both ended there.
struct Key {
    quint64 head = 0;
    const char* rest = nullptr;
    int text = 0;
};

bool Less(const Key& a, const Key& b) {
    if (a.head != b.head)
        return a.head < b.head;
    return a.rest != nullptr && std::strcmp(a.rest, b.rest) < 0;
}

bool Same(const Key& a, const Key& b) {
    return a.head == b.head && (a.rest == nullptr || std::strcmp(a.rest, b.rest) == 0);
}

// Makes and sorts the keys of texts [from, to) into keys[from, to); buffer
// keeps their bytes for as long as the keys are compared.
void MakeSorted(UCollator* collator, const std::vector<QStringView>& texts, size_t from, size_t to,
                std::vector<Key>& keys, QByteArray& buffer) {
    qsizetype units = 0;
    for (size_t i = from; i < to; ++i)
        units += texts[i].size();
    buffer.reserve(units * 4 + qsizetype(to - from) * 16);
    std::vector<qsizetype> offsets(to - from);
    for (size_t i = from; i < to; ++i) {
        const QStringView text = texts[i];
        const qsizetype at = buffer.size();
        qsizetype room = text.size() * 4 + 16;
        buffer.resize(at + room);
        const auto make = [&] {
            return qsizetype(ucol_getSortKey(
                collator, reinterpret_cast<const UChar*>(text.constData()), int(text.size()),
                reinterpret_cast<uint8_t*>(buffer.data() + at), int(room)));
        };
        qsizetype length = make();
        if (length > room) {
            room = length;
            buffer.resize(at + room);
            length = make();
        }
        if (length <= 0) {
            // No key could be made: the text sorts first, as an empty one.
            length = 1;
            buffer[at] = '\0';
        }
        buffer.resize(at + length);
        offsets[i - from] = at;
    }
    // The buffer is whole now: its bytes no longer move.
    const char* base = buffer.constData();
    for (size_t i = from; i < to; ++i) {
        const char* bytes = base + offsets[i - from];
        const size_t length = std::strlen(bytes);
        char head[8] = {};
        std::memcpy(head, bytes, std::min<size_t>(length, 8));
        keys[i] = Key{qFromBigEndian<quint64>(head), length > 8 ? bytes + 8 : nullptr, int(i)};
    }
    std::sort(keys.begin() + qsizetype(from), keys.begin() + qsizetype(to), Less);
}

} // namespace

std::vector<int> CCollationRanks::Ranks(const QLocale& locale,
                                        const std::vector<QStringView>& texts) {
    const size_t count = texts.size();
    // QCollator compares the code units of the bare "C" locale.
    if (locale.language() == QLocale::C)
        return CollatorRanks(locale, texts);
    Collator first(locale);
    if (first.get() == nullptr)
        return CollatorRanks(locale, texts);
    std::vector<Key> keys(count);
    QByteArray bytes[2];
    if (count < kTwoThreads) {
        MakeSorted(first.get(), texts, 0, count, keys, bytes[0]);
    } else {
        // Each thread its own collator: one is not to be used by two at once.
        Collator second(locale);
        if (second.get() == nullptr)
            return CollatorRanks(locale, texts);
        const size_t half = count / 2;
        std::thread other([&] { MakeSorted(second.get(), texts, half, count, keys, bytes[1]); });
        MakeSorted(first.get(), texts, 0, half, keys, bytes[0]);
        other.join();
        std::inplace_merge(keys.begin(), keys.begin() + qsizetype(half), keys.end(), Less);
    }
    std::vector<int> rank(count);
    for (size_t i = 0; i < count; ++i) {
        const bool tie = i > 0 && Same(keys[i], keys[i - 1]);
        rank[size_t(keys[i].text)] = tie ? rank[size_t(keys[i - 1].text)] : int(i);
    }
    return rank;
}

std::vector<int> CCollationRanks::CollatorRanks(const QLocale& locale,
                                                const std::vector<QStringView>& texts) {
    QCollator collator(locale);
    collator.setNumericMode(true);
    std::vector<QCollatorSortKey> keys;
    keys.reserve(texts.size());
    for (const QStringView text : texts)
        keys.push_back(collator.sortKey(text.toString()));
    std::vector<int> byKey(keys.size());
    std::iota(byKey.begin(), byKey.end(), 0);
    std::sort(byKey.begin(), byKey.end(),
              [&keys](int a, int b) { return keys[size_t(a)].compare(keys[size_t(b)]) < 0; });
    std::vector<int> rank(keys.size());
    for (size_t i = 0; i < byKey.size(); ++i) {
        const bool tie = i > 0 && keys[size_t(byKey[i])].compare(keys[size_t(byKey[i - 1])]) == 0;
        rank[size_t(byKey[i])] = tie ? rank[size_t(byKey[i - 1])] : int(i);
    }
    return rank;
}
