#include "CFileListModel.h"

#include "SM_Shell.h"
#include "TC_TextCompare.h"

#include <QCollator>
#include <QLocale>
#include <QMetaObject>
#include <algorithm>

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

} // namespace

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
    row.text = text;
    m_rows.push_back(std::move(row));
    if (!m_positionsDirty)
        m_positions.insert(m_rows.back().param, int(m_rows.size()) - 1);
    if (m_sorted)
        m_orderDirty = true;
    scheduleFlush();
    return m_rows.back().param;
}

int CFileListModel::RowCount() const {
    return int(m_rows.size());
}

void CFileListModel::RemoveRow(int position) {
    Flush();
    if (position < 0 || position >= int(m_rows.size()))
        return;
    beginRemoveRows({}, position, position);
    m_rows.erase(m_rows.begin() + position);
    m_announced = int(m_rows.size());
    m_positionsDirty = true;
    endRemoveRows();
}

void CFileListModel::ClearRows() {
    beginResetModel();
    m_rows.clear();
    m_positions.clear();
    m_positionsDirty = false;
    m_announced = 0;
    m_orderDirty = false;
    m_sortedPrefix = 0;
    endResetModel();
}

const CFileListModel::Row* CFileListModel::rowOf(quint64 param) const {
    if (m_positionsDirty)
        rebuildPositions();
    const auto it = m_positions.constFind(param);
    return it == m_positions.cend() ? nullptr : &m_rows[size_t(*it)];
}

CFileListModel::Row* CFileListModel::rowOf(quint64 param) {
    return const_cast<Row*>(std::as_const(*this).rowOf(param));
}

void CFileListModel::rebuildPositions() const {
    m_positions.clear();
    m_positions.reserve(qsizetype(m_rows.size()));
    for (size_t i = 0; i < m_rows.size(); ++i)
        m_positions.insert(m_rows[i].param, int(i));
    m_positionsDirty = false;
}

bool CFileListModel::Contains(quint64 param) const {
    return rowOf(param) != nullptr;
}

int CFileListModel::PositionOf(quint64 param) {
    Flush();
    const Row* row = rowOf(param);
    return row ? int(row - m_rows.data()) : -1;
}

quint64 CFileListModel::ParamAt(int position) {
    Flush();
    if (position < 0 || position >= int(m_rows.size()))
        return 0;
    return m_rows[size_t(position)].param;
}

QString CFileListModel::TextOf(quint64 param, int column) const {
    const Row* row = rowOf(param);
    if (!row)
        return {};
    if (column == 0)
        return row->text;
    return row->subItems.value(column - 1);
}

void CFileListModel::setSubItemOf(quint64 param, int column, const QString& text) {
    Row* row = rowOf(param);
    if (!row || column < 1)
        return;
    while (row->subItems.size() < column)
        row->subItems.append(QString());
    row->subItems[column - 1] = text;
    if (column == m_keyColumn) {
        row->sortKey.reset();
        if (m_sorted) {
            m_orderDirty = true;
            scheduleFlush();
        }
    }
    const int position = int(row - m_rows.data());
    if (position < m_announced) {
        const QModelIndex at = index(position, column);
        emit dataChanged(at, at, {Qt::DisplayRole});
    }
}

QString CFileListModel::KeyOf(quint64 param) const {
    const Row* row = rowOf(param);
    return row ? row->key : QString();
}

void CFileListModel::setKeyOf(quint64 param, const QString& key) {
    if (Row* row = rowOf(param))
        row->key = key;
}

QString CFileListModel::TagOf(quint64 param) const {
    const Row* row = rowOf(param);
    return row ? row->tag : QString();
}

void CFileListModel::setTagOf(quint64 param, const QString& tag) {
    if (Row* row = rowOf(param))
        row->tag = tag;
}

int CFileListModel::IconOf(quint64 param) const {
    const Row* row = rowOf(param);
    return row ? row->icon : 0;
}

int CFileListModel::FindRow(const QString& text, int from) {
    Flush();
    const QString needle = TC_TextCompare::Fold(text);
    for (int i = std::max(from, 0); i < int(m_rows.size()); ++i) {
        Row& row = m_rows[size_t(i)];
        if (row.text.isEmpty())
            continue;
        if (!row.folded)
            row.folded = TC_TextCompare::Fold(row.text);
        if (row.folded->contains(needle))
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
    if (m_announced < int(m_rows.size())) {
        beginInsertRows({}, m_announced, int(m_rows.size()) - 1);
        m_announced = int(m_rows.size());
        endInsertRows();
    }
    if (m_sorted && m_orderDirty)
        resort();
    m_orderDirty = false;
}

QCollatorSortKey CFileListModel::makeKey(const Row& row) const {
    return Collator().sortKey(m_keyColumn == 0 ? row.text : row.subItems.value(m_keyColumn - 1));
}

void CFileListModel::resort() {
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    const QModelIndexList persistent = persistentIndexList();
    std::vector<quint64> persistentParams;
    persistentParams.reserve(size_t(persistent.size()));
    for (const QModelIndex& at : persistent)
        persistentParams.push_back(at.isValid() ? m_rows[size_t(at.row())].param : 0);

    // The rows at the front that are already in order under the same column
    // only need the newcomers merged in; a flip of the order alone is a
    // reversal, since rows with equal texts are ordered by their param.
    if (m_keyColumn != m_sortKey) {
        m_keyColumn = m_sortKey;
        for (Row& row : m_rows)
            row.sortKey.reset();
        m_sortedPrefix = 0;
    }
    for (Row& row : m_rows)
        if (!row.sortKey)
            row.sortKey = makeKey(row);
    const size_t prefix = std::min(size_t(m_sortedPrefix), m_rows.size());
    if (prefix > 0 && m_sortedOrder != m_sortOrder) {
        std::reverse(m_rows.begin(), m_rows.begin() + qsizetype(prefix));
        m_sortedOrder = m_sortOrder;
    }
    const bool descending = m_sortOrder == 1;
    auto less = [descending](const Row& a, const Row& b) {
        int c = a.sortKey->compare(*b.sortKey);
        if (c == 0)
            c = a.param < b.param ? -1 : (a.param > b.param ? 1 : 0);
        return descending ? c > 0 : c < 0;
    };
    const bool prefixSorted =
        prefix > 0 && std::is_sorted(m_rows.begin(), m_rows.begin() + qsizetype(prefix), less);
    if (prefixSorted) {
        std::sort(m_rows.begin() + qsizetype(prefix), m_rows.end(), less);
        std::inplace_merge(m_rows.begin(), m_rows.begin() + qsizetype(prefix), m_rows.end(), less);
    } else {
        std::sort(m_rows.begin(), m_rows.end(), less);
    }
    m_sortedPrefix = int(m_rows.size());
    m_sortedOrder = m_sortOrder;
    m_positionsDirty = true;

    QModelIndexList moved;
    moved.reserve(persistent.size());
    for (qsizetype i = 0; i < persistent.size(); ++i) {
        const Row* row = persistentParams[size_t(i)] ? rowOf(persistentParams[size_t(i)]) : nullptr;
        moved.append(row ? index(int(row - m_rows.data()), persistent[i].column()) : QModelIndex());
    }
    changePersistentIndexList(persistent, moved);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
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
    const Row& row = m_rows[size_t(index.row())];
    if (role == Qt::DisplayRole || role == Qt::ToolTipRole) {
        if (index.column() == 0)
            return row.text;
        return row.subItems.value(index.column() - 1);
    }
    if (role == Qt::DecorationRole && index.column() == 0)
        return SM_Shell::SystemIcon(row.icon);
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
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
}
