#include "CFileListModel.h"

#include "BM_Library.h"
#include "CCollationRanks.h"
#include "SM_Shell.h"
#include "TC_TextCompare.h"

#include <QCollator>
#include <QGuiApplication>
#include <QLocale>
#include <QMetaObject>
#include <QPalette>
#include <QTimer>

#include <algorithm>
#include <limits>
#include <numeric>

namespace {

QCollator& Collator() {
    // One collator for every list: the user's locale, digits compared as
    // numbers so that "9 KB" comes before "10 KB".
    static QCollator collator = [] {
        // The bare "C" locale compares code units; a desktop without a
        // configured locale still gets a real collation.
        const QLocale locale =
            QLocale().language() == QLocale::C ? QLocale(QLocale::English) : QLocale();
        QCollator c{locale};
        c.setNumericMode(true);
        return c;
    }();
    return collator;
}

// The number of a document's key ("H" and the number as MakeKey writes it),
// or -1 for any other key.
qint32 DocumentKeyID(const QString& key) {
    if (key.size() < 2 || key.size() > 11 || key.front() != QLatin1Char('H') ||
        (key.size() > 2 && key.at(1) == QLatin1Char('0')))
        return -1;
    qint64 n = 0;
    for (qsizetype i = 1; i < key.size(); ++i) {
        const char16_t c = key.at(i).unicode();
        if (c < u'0' || c > u'9')
            return -1;
        n = n * 10 + (c - u'0');
    }
    return n <= std::numeric_limits<qint32>::max() ? qint32(n) : -1;
}

} // namespace

QStringView CFileListModel::Row::Text() const {
    if (textLength >= 0)
        return QStringView(path).sliced(textAt, textLength);
    return extra ? QStringView(extra->text) : QStringView();
}

void CFileListModel::Row::setText(const QString& text) {
    // The name is the path's last part, or that part before a shortcut's
    // ".lnk"; anything else is held apart.
    static constexpr QLatin1StringView kShortcut(".lnk");
    const QStringView whole(path);
    // Where text starts when it ends the path at end, or -1.
    const auto startEnding = [&](qsizetype end) -> qsizetype {
        const qsizetype at = end - text.size();
        return at > 0 && whole.at(at - 1) == QLatin1Char('/') &&
                       whole.sliced(at, text.size()) == text
                   ? at
                   : -1;
    };
    qsizetype at = whole.endsWith(kShortcut, Qt::CaseInsensitive)
                       ? startEnding(whole.size() - kShortcut.size())
                       : -1;
    if (at < 0)
        at = startEnding(whole.size());
    if (!text.isEmpty() && at > 0 && at <= std::numeric_limits<qint16>::max() &&
        text.size() <= std::numeric_limits<qint16>::max()) {
        textAt = qint16(at);
        textLength = qint16(text.size());
        if (extra)
            extra->text.clear();
        return;
    }
    textLength = -1;
    if (extra || !text.isEmpty())
        More().text = text;
}

void CFileListModel::Row::setPath(const QString& newPath) {
    const QString text = Text().toString();
    QString tag = Tag();
    path = newPath;
    setText(text);
    setTag(std::move(tag));
}

QString CFileListModel::Row::Key() const {
    if (keyID >= 0)
        return BM_Library::MakeKey(keyID);
    return extra ? extra->key : QString();
}

void CFileListModel::Row::setKey(const QString& key) {
    keyID = DocumentKeyID(key);
    if (keyID < 0 && (extra || !key.isEmpty()))
        More().key = key;
    else if (extra)
        extra->key.clear();
}

QString CFileListModel::Row::Tag() const {
    if (tagIsPath)
        return path;
    return extra ? extra->tag : QString();
}

void CFileListModel::Row::setTag(QString tag) {
    tagIsPath = !tag.isEmpty() && tag == path;
    if (!tagIsPath && (extra || !tag.isEmpty()))
        More().tag = std::move(tag);
    else if (extra)
        extra->tag.clear();
}

CFileListModel::CFileListModel(QObject* parent) : QAbstractTableModel(parent) {}

CFileListModel::~CFileListModel() = default;

int CFileListModel::ColumnHeaderCount() const {
    return int(m_headers.size());
}

void CFileListModel::AddColumnHeader(const QString& text) {
    const int column = int(m_headers.size());
    beginInsertColumns({}, column, column);
    m_headers.append(text);
    endInsertColumns();
}

void CFileListModel::ClearColumnHeaders() {
    if (m_headers.isEmpty())
        return;
    beginRemoveColumns({}, 0, int(m_headers.size()) - 1);
    m_headers.clear();
    endRemoveColumns();
}

QString CFileListModel::ColumnHeaderText(int column) const {
    return m_headers.value(column);
}

quint64 CFileListModel::AddRow(const QString& text, int iconIndex) {
    Row row;
    row.param = m_nextParam++;
    row.icon = iconIndex;
    row.setText(text);
    m_rows.push_back(std::make_unique<Row>(std::move(row)));
    if (!m_positionsDirty)
        setPosition(m_rows.back()->param, int(m_rows.size()) - 1);
    if (m_sorted)
        m_orderDirty = true;
    scheduleFlush();
    return m_rows.back()->param;
}

quint64 CFileListModel::AddRows(QList<NewRow>&& rows) {
    if (rows.isEmpty())
        return 0;
    const quint64 first = m_nextParam;
    if (m_rows.capacity() < m_rows.size() + size_t(rows.size()))
        ReserveRows(rows.size());
    for (NewRow& added : rows) {
        Row row;
        row.param = m_nextParam++;
        row.icon = added.icon;
        row.path = std::move(added.path);
        row.setText(added.text);
        if (!added.subItems.isEmpty())
            row.More().subItems = std::move(added.subItems);
        if (added.documentID >= 0)
            row.keyID = added.documentID;
        else
            row.setKey(added.key);
        row.setTag(std::move(added.tag));
        row.missing = added.missing;
        row.factTexts = added.factTexts;
        row.size = added.size;
        row.modified = added.modified;
        row.factsKnown = added.factsKnown;
        m_rows.push_back(std::make_unique<Row>(std::move(row)));
        if (!m_positionsDirty)
            setPosition(m_rows.back()->param, int(m_rows.size()) - 1);
    }
    if (m_sorted)
        m_orderDirty = true;
    scheduleFlush();
    return first;
}

void CFileListModel::ReserveRows(qsizetype count) {
    m_largeFillComing = count;
    m_rows.reserve(m_rows.size() + size_t(count));
    if (!m_positionsDirty)
        m_positions.reserve(size_t(m_nextParam - m_paramBase) + size_t(count));
}

int CFileListModel::RowCount() const {
    return int(m_rows.size());
}

void CFileListModel::RemoveRow(int position) {
    Flush();
    if (position < 0 || position >= int(m_rows.size()))
        return;
    beginRemoveRows({}, position, position);
    if (m_sortedCount == int(m_rows.size()))
        --m_sortedCount; // what is left is still in order
    m_rows.erase(m_rows.begin() + position);
    m_announced = int(m_rows.size());
    m_positionsDirty = true;
    endRemoveRows();
}

void CFileListModel::ClearRows() {
    beginResetModel();
    m_rows.clear();
    m_positions.clear();
    m_positions.shrink_to_fit();
    m_paramBase = m_nextParam;
    m_positionsDirty = false;
    m_announced = 0;
    m_orderDirty = false;
    m_sortedCount = 0;
    endResetModel();
}

const CFileListModel::Row* CFileListModel::rowOf(quint64 param) const {
    if (m_positionsDirty)
        rebuildPositions();
    const int position = positionAt(param);
    return position < 0 ? nullptr : m_rows[size_t(position)].get();
}

CFileListModel::Row* CFileListModel::rowOf(quint64 param) {
    return const_cast<Row*>(std::as_const(*this).rowOf(param));
}

void CFileListModel::rebuildPositions() const {
    // Rows removed since the last clear leave their params behind; start the
    // array at the oldest row still here so it does not grow with every refill.
    quint64 base = m_nextParam;
    for (const auto& row : m_rows)
        base = std::min(base, row->param);
    m_paramBase = base;
    m_positions.assign(size_t(m_nextParam - m_paramBase), -1);
    for (size_t i = 0; i < m_rows.size(); ++i)
        setPosition(m_rows[i]->param, int(i));
    m_positionsDirty = false;
}

int CFileListModel::positionAt(quint64 param) const {
    if (param < m_paramBase || param - m_paramBase >= m_positions.size())
        return -1;
    return m_positions[size_t(param - m_paramBase)];
}

void CFileListModel::setPosition(quint64 param, int position) const {
    const size_t at = size_t(param - m_paramBase);
    if (at >= m_positions.size())
        m_positions.resize(at + 1, -1);
    m_positions[at] = position;
}

int CFileListModel::positionOf(const Row* row) const {
    // Only ever asked for a row rowOf has just found, so the positions are whole.
    return positionAt(row->param);
}

bool CFileListModel::Contains(quint64 param) const {
    return rowOf(param) != nullptr;
}

int CFileListModel::PositionOf(quint64 param) {
    Flush();
    const Row* row = rowOf(param);
    return row ? positionOf(row) : -1;
}

quint64 CFileListModel::ParamAt(int position) {
    Flush();
    if (position < 0 || position >= int(m_rows.size()))
        return 0;
    return m_rows[size_t(position)]->param;
}

void CFileListModel::setFactTextSource(FactTextSource source) {
    m_factText = std::move(source);
}

const QString& CFileListModel::subText(const Row& row, int column) const {
    static const QString none;
    if (row.factTexts) {
        row.factTexts = false;
        if (m_factText)
            row.More().subItems = QStringList{m_factText(1, row.size, row.modified),
                                              m_factText(2, row.size, row.modified)};
    }
    if (!row.extra || column < 1 || column - 1 >= row.extra->subItems.size())
        return none;
    return row.extra->subItems.at(column - 1);
}

QString CFileListModel::TextOf(quint64 param, int column) const {
    const Row* row = rowOf(param);
    if (!row)
        return {};
    if (column == 0)
        return row->Text().toString();
    return subText(*row, column);
}

void CFileListModel::setSubItemOf(quint64 param, int column, const QString& text) {
    Row* row = rowOf(param);
    if (!row || column < 1)
        return;
    subText(*row, column);
    QStringList& subItems = row->More().subItems;
    while (subItems.size() < column)
        subItems.append(QString());
    subItems[column - 1] = text;
    if (column == m_sortKey && m_sorted) {
        m_sortedCount = 0; // the rows must be sorted again, not just reversed
        m_orderDirty = true;
        scheduleFlush();
    }
    const int position = positionOf(row);
    if (position < m_announced) {
        const QModelIndex at = index(position, column);
        emit dataChanged(at, at, {Qt::DisplayRole});
    }
}

void CFileListModel::setTextOf(quint64 param, const QString& text, int iconIndex) {
    Row* row = rowOf(param);
    if (!row || (row->Text() == text && row->icon == iconIndex))
        return;
    row->setText(text);
    row->icon = iconIndex;
    row->hasFolded = false;
    if (row->extra)
        row->extra->folded.clear();
    row->sortColumn = -1;
    if (m_sortKey == 0 && m_sorted) {
        m_sortedCount = 0;
        m_orderDirty = true;
        scheduleFlush();
    }
    const int position = positionOf(row);
    if (position < m_announced) {
        const QModelIndex at = index(position, 0);
        emit dataChanged(at, at, {Qt::DisplayRole, Qt::DecorationRole, Qt::ToolTipRole});
    }
}

QString CFileListModel::KeyOf(quint64 param) const {
    const Row* row = rowOf(param);
    return row ? row->Key() : QString();
}

void CFileListModel::setKeyOf(quint64 param, const QString& key) {
    if (Row* row = rowOf(param)) {
        row->setKey(key);
        announceChange(row, KeyRole);
    }
}

QString CFileListModel::PathOf(quint64 param) const {
    const Row* row = rowOf(param);
    return row ? row->path : QString();
}

void CFileListModel::setPathOf(quint64 param, const QString& path) {
    if (Row* row = rowOf(param)) {
        // The text and the tag stay what they were.
        row->setPath(path);
    }
}

bool CFileListModel::FactsOf(quint64 param, qint64* size, qint64* modified) const {
    const Row* row = rowOf(param);
    if (!row || !row->factsKnown)
        return false;
    *size = row->size;
    *modified = row->modified;
    return true;
}

void CFileListModel::setFactsOf(quint64 param, qint64 size, qint64 modified) {
    Row* row = rowOf(param);
    if (!row)
        return;
    // Texts still to be made from the numbers are made from the new ones.
    row->size = size;
    row->modified = modified;
    row->factsKnown = true;
}

QString CFileListModel::TagOf(quint64 param) const {
    const Row* row = rowOf(param);
    return row ? row->Tag() : QString();
}

void CFileListModel::setTagOf(quint64 param, const QString& tag) {
    if (Row* row = rowOf(param)) {
        row->setTag(tag);
        announceChange(row, TagRole);
    }
}

void CFileListModel::UpdateRows(const QList<RowUpdate>& updates) {
    int first = std::numeric_limits<int>::max();
    int last = -1;
    bool sortColumnChanged = false;
    for (const RowUpdate& update : updates) {
        Row* row = rowOf(update.param);
        if (!row)
            continue;
        sortColumnChanged =
            sortColumnChanged ||
            ((m_sortKey == 1 || m_sortKey == 2) &&
             (subText(*row, 1) != update.sizeText || subText(*row, 2) != update.dateText));
        QStringList& subItems = row->More().subItems;
        while (subItems.size() < 2)
            subItems.append(QString());
        subItems[0] = update.sizeText;
        subItems[1] = update.dateText;
        // Texts given now: those the row would make from its stored facts
        // when first drawn would show the facts before the update.
        row->factTexts = false;
        row->missing = update.missing;
        row->sortColumn = -1;
        const int position = positionOf(row);
        first = std::min(first, position);
        last = std::max(last, position);
    }
    if (sortColumnChanged && m_sorted) {
        m_sortedCount = 0; // sorted again, not just reversed
        m_orderDirty = true;
        scheduleFlush();
    }
    last = std::min(last, m_announced - 1);
    if (first <= last && !m_headers.isEmpty())
        emit dataChanged(index(first, 0), index(last, int(m_headers.size()) - 1),
                         {Qt::DisplayRole, Qt::ToolTipRole, Qt::ForegroundRole});
}

bool CFileListModel::IsMissing(quint64 param) const {
    const Row* row = rowOf(param);
    return row && row->missing;
}

QList<std::pair<quint64, QString>> CFileListModel::RowsWithKeys(const QSet<QString>& keys) const {
    QList<std::pair<quint64, QString>> found;
    if (keys.isEmpty())
        return found;
    QSet<qint32> ids;
    for (const QString& key : keys)
        if (const qint32 id = DocumentKeyID(key); id >= 0)
            ids.insert(id);
    for (const auto& row : m_rows) {
        if (row->keyID >= 0 ? ids.contains(row->keyID) : keys.contains(row->Key()))
            found.emplaceBack(row->param, row->Key());
    }
    return found;
}

void CFileListModel::setMissingOf(quint64 param, bool missing) {
    if (Row* row = rowOf(param); row && row->missing != missing) {
        row->missing = missing;
        announceChange(row, Qt::ForegroundRole);
    }
}

// Views hear of a change to a row they already show.
void CFileListModel::announceChange(const Row* row, int role) {
    const int position = positionOf(row);
    if (position < m_announced && !m_headers.isEmpty())
        emit dataChanged(index(position, 0), index(position, int(m_headers.size()) - 1), {role});
}

int CFileListModel::IconOf(quint64 param) const {
    const Row* row = rowOf(param);
    return row ? row->icon : 0;
}

int CFileListModel::FindRow(const QString& text, int from) {
    Flush();
    const QString needle = TC_TextCompare::Fold(text);
    for (int i = std::max(from, 0); i < int(m_rows.size()); ++i) {
        Row& row = *m_rows[size_t(i)];
        if (row.Text().isEmpty())
            continue;
        if (!row.hasFolded) {
            row.More().folded = TC_TextCompare::Fold(row.Text().toString());
            row.hasFolded = true;
        }
        if (row.extra->folded.contains(needle))
            return i;
    }
    return -1;
}

bool CFileListModel::Sorted() const {
    return m_sorted;
}

void CFileListModel::setSorted(bool sorted) {
    if (sorted == m_sorted)
        return;
    m_sorted = sorted;
    if (m_sorted) {
        m_orderDirty = true;
        Flush();
    }
}

int CFileListModel::SortKey() const {
    return m_sortKey;
}

void CFileListModel::setSortKey(int column) {
    if (column == m_sortKey)
        return;
    m_sortKey = column;
    if (m_sorted) {
        m_orderDirty = true;
        Flush();
    }
}

int CFileListModel::SortOrder() const {
    return m_sortOrder;
}

void CFileListModel::setSortOrder(int order) {
    order = order == 0 ? 0 : 1;
    if (order == m_sortOrder)
        return;
    m_sortOrder = order;
    if (m_sorted) {
        m_orderDirty = true;
        Flush();
    }
}

void CFileListModel::scheduleFlush() {
    // A queued call would run in the same pass over posted events as the
    // fill that adds the rows. The timer is started again with every run of
    // rows, so it comes due only after the last one.
    constexpr qsizetype kLarge = 10000;
    if (m_yieldBeforeLargeFlush && m_largeFillComing > kLarge) {
        if (!m_largeFlush) {
            m_largeFlush = new QTimer(this);
            m_largeFlush->setSingleShot(true);
            m_largeFlush->setInterval(1);
            m_largeFlush->setTimerType(Qt::PreciseTimer);
            connect(m_largeFlush, &QTimer::timeout, this, &CFileListModel::Flush);
        }
        m_largeFlush->start();
        return;
    }
    if (m_flushQueued)
        return;
    m_flushQueued = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            m_flushQueued = false;
            Flush();
        },
        Qt::QueuedConnection);
}

void CFileListModel::Flush() {
    m_largeFillComing = 0;
    if (m_announced < int(m_rows.size())) {
        beginInsertRows({}, m_announced, int(m_rows.size()) - 1);
        m_announced = int(m_rows.size());
        endInsertRows();
    }
    if (m_sorted && m_orderDirty)
        resort();
    m_orderDirty = false;
}

void CFileListModel::resort() {
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    const size_t count = m_rows.size();
    std::vector<int> order(count);
    const bool sameColumn = m_sortedColumn == m_sortKey;
    if (sameColumn && size_t(m_sortedCount) == count && m_sortedOrder != m_sortOrder) {
        // Only the direction changed: rows with equal texts are ordered by
        // their param, so the other direction is the exact reversal.
        for (size_t i = 0; i < count; ++i)
            order[i] = int(count - 1 - i);
    } else {
        order = sortedOrder();
    }

    std::vector<int> newPosition(count);
    std::vector<std::unique_ptr<Row>> sorted;
    sorted.reserve(count);
    for (size_t i = 0; i < count; ++i) {
        newPosition[size_t(order[i])] = int(i);
        sorted.push_back(std::move(m_rows[size_t(order[i])]));
    }
    m_rows.swap(sorted);
    m_sortedColumn = m_sortKey;
    m_sortedOrder = m_sortOrder;
    m_sortedCount = int(count);
    m_positionsDirty = true;

    const QModelIndexList persistent = persistentIndexList();
    QModelIndexList moved;
    moved.reserve(persistent.size());
    for (const QModelIndex& at : persistent)
        moved.append(at.isValid() && size_t(at.row()) < count
                         ? index(newPosition[size_t(at.row())], at.column())
                         : QModelIndex());
    changePersistentIndexList(persistent, moved);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

void CFileListModel::setSortValueSource(int column, SortValueSource source) {
    if (source)
        m_sortSources.emplace(column, std::move(source));
    else
        m_sortSources.remove(column);
    for (auto& row : m_rows)
        if (row->sortColumn == column)
            row->sortColumn = -1;
    m_sortedCount = 0;
    if (m_sorted && column == m_sortKey) {
        m_orderDirty = true;
        Flush();
    }
}

std::vector<int> CFileListModel::orderByValue(const SortValueSource& source) const {
    // Sizes and times, not their texts: "1.25 MB" is less than "1.3 MB".
    // Rows of one number are ordered by name so a refill shows them alike.
    const size_t count = m_rows.size();
    struct Entry {
        qint64 value;
        int position;
    };
    std::vector<Entry> entries(count);
    for (size_t i = 0; i < count; ++i) {
        const Row& row = *m_rows[i];
        if (row.sortColumn != m_sortKey) {
            row.sortValue = source(row.param);
            row.sortColumn = qint16(m_sortKey);
        }
        entries[i] = Entry{row.sortValue, int(i)};
    }
    auto byValue = [](const Entry& a, const Entry& b) { return a.value < b.value; };
    std::stable_sort(entries.begin(), entries.end(), byValue);
    for (auto run = entries.begin(); run != entries.end();) {
        const auto end = std::upper_bound(run, entries.end(), *run, byValue);
        if (end - run > 1)
            std::sort(run, end, [this](const Entry& a, const Entry& b) {
                const Row& ra = *m_rows[size_t(a.position)];
                const Row& rb = *m_rows[size_t(b.position)];
                const int byName = Collator().compare(ra.Text(), rb.Text());
                return byName != 0 ? byName < 0 : ra.param < rb.param;
            });
        run = end;
    }
    std::vector<int> order(count);
    for (size_t i = 0; i < count; ++i)
        order[i] = entries[i].position;
    // The other direction is the exact reversal, as for texts.
    if (m_sortOrder == 1)
        std::reverse(order.begin(), order.end());
    return order;
}

std::vector<int> CFileListModel::textRanks() const {
    // Every distinct text gets one rank; the rows are then sorted by rank
    // and param, which is a compact comparison of numbers. Size and date
    // columns repeat their texts a lot, so those are ranked once each.
    const size_t count = m_rows.size();
    const int column = m_sortKey;
    std::vector<int> textId(count);
    std::vector<QStringView> texts;
    if (column == 0) {
        texts.reserve(count);
        for (size_t i = 0; i < count; ++i) {
            textId[i] = int(i);
            texts.push_back(m_rows[i]->Text());
        }
    } else {
        QHash<QString, int> ids;
        for (size_t i = 0; i < count; ++i) {
            const QString& text = subText(*m_rows[i], column);
            auto it = ids.constFind(text);
            if (it == ids.cend()) {
                it = ids.insert(text, int(texts.size()));
                texts.push_back(text);
            }
            textId[i] = *it;
        }
    }
    const std::vector<int> rank = CCollationRanks::Ranks(Collator().locale(), texts);
    std::vector<int> rowRank(count);
    for (size_t i = 0; i < count; ++i)
        rowRank[i] = rank[size_t(textId[i])];
    return rowRank;
}

std::vector<int> CFileListModel::sortedOrder() const {
    if (const auto source = m_sortSources.constFind(m_sortKey); source != m_sortSources.cend())
        return orderByValue(*source);
    const std::vector<int> rank = textRanks();
    struct Entry {
        int rank;
        int position;
        quint64 param;
    };
    const size_t count = m_rows.size();
    std::vector<Entry> entries(count);
    for (size_t i = 0; i < count; ++i)
        entries[i] = Entry{rank[i], int(i), m_rows[i]->param};
    const bool descending = m_sortOrder == 1;
    std::sort(entries.begin(), entries.end(), [descending](const Entry& a, const Entry& b) {
        if (a.rank != b.rank)
            return descending ? a.rank > b.rank : a.rank < b.rank;
        return descending ? a.param > b.param : a.param < b.param;
    });
    std::vector<int> order(count);
    for (size_t i = 0; i < count; ++i)
        order[i] = entries[i].position;
    return order;
}

int CFileListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : m_announced;
}

int CFileListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(m_headers.size());
}

QVariant CFileListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= m_announced)
        return {};
    const Row& row = *m_rows[size_t(index.row())];
    if (role == Qt::DisplayRole || role == Qt::ToolTipRole) {
        if (index.column() == 0)
            return row.Text().toString();
        return subText(row, index.column());
    }
    if (role == Qt::DecorationRole && index.column() == 0)
        return SM_Shell::SystemIcon(row.icon);
    if (role == Qt::ForegroundRole && row.missing)
        return QGuiApplication::palette().brush(QPalette::Disabled, QPalette::Text);
    if (role == KeyRole)
        return row.Key();
    if (role == TagRole)
        return row.Tag();
    return {};
}

QVariant CFileListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole)
        return m_headers.value(section);
    return QAbstractTableModel::headerData(section, orientation, role);
}

Qt::ItemFlags CFileListModel::flags(const QModelIndex& index) const {
    if (!index.isValid())
        return Qt::ItemIsDropEnabled;
    // Rows can be dragged out: to a category, or to another program.
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsDragEnabled |
           Qt::ItemNeverHasChildren;
}

QHash<int, QByteArray> CFileListModel::roleNames() const {
    QHash<int, QByteArray> names = QAbstractTableModel::roleNames();
    names.insert(KeyRole, QByteArrayLiteral("key"));
    names.insert(TagRole, QByteArrayLiteral("tag"));
    return names;
}
