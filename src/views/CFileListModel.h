#pragma once

#include <QAbstractTableModel>
#include <QHash>
#include <QSet>
#include <QStringList>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

// The rows of one file list: kept in a vector in the order shown, each with a
// value unique for its life (the param), its column texts, icon, key and tag.
// Rows added are announced to views in batches and, while the list is sorted,
// sorted into place in one pass, so filling 100,000 rows stays fast. Sorting
// compares collation keys made once per distinct text, not texts per comparison.
class QTimer;

class CFileListModel : public QAbstractTableModel {
    Q_OBJECT

public:
    // Where a row keeps its key and tag, in every column.
    enum RowRole {
        KeyRole = Qt::UserRole + 1,
        TagRole,
    };

    explicit CFileListModel(QObject* parent = nullptr);
    ~CFileListModel() override;

    // Column headers (0-based).
    int ColumnHeaderCount() const;
    void AddColumnHeader(const QString& text);
    void ClearColumnHeaders();
    QString ColumnHeaderText(int column) const;

    // Rows by position (0-based, in the shown order). These bring pending rows
    // into place first.
    int RowCount() const; // every row, shown yet or not
    void RemoveRow(int position);
    void ClearRows();
    int PositionOf(quint64 param); // -1 when gone
    quint64 ParamAt(int position); // 0 when out of range
    // The first row at or after position from whose text contains text
    // (case, width and kana ignored); -1 when none.
    int FindRow(const QString& text, int from);

    // Rows by param: cheap, the order is left as it is.
    quint64 AddRow(const QString& text, int iconIndex);
    // A row with everything it shows, for adding many at once.
    struct NewRow {
        QString text;
        int icon = 0;
        QStringList subItems; // columns 1, 2, ...
        QString key;
        QString tag;
        bool missing = false;
        // Without subItems: columns 1 and 2 are made from these numbers by
        // the fact text source when first asked.
        bool factTexts = false;
        qint64 size = 0;
        qint64 modified = 0;
        // The file the row stands for, and whether size and modified are its
        // document's known facts.
        QString path;
        bool factsKnown = false;
        // A document's number, given instead of key: its key, without the
        // text made only to be read back.
        qint32 documentID = -1;
    };
    // Adds the rows after the others in one go; their params follow one
    // another, the first is returned (0 when rows is empty).
    quint64 AddRows(QList<NewRow>&& rows);
    // Room for count more rows, made once before they come in runs.
    void ReserveRows(qsizetype count);
    bool Contains(quint64 param) const;
    QString TextOf(quint64 param, int column) const;                   // column 0 is the row text
    void setSubItemOf(quint64 param, int column, const QString& text); // column >= 1
    // A row's text and icon anew (its document renamed): the row is searched
    // and sorted by the new text.
    void setTextOf(quint64 param, const QString& text, int iconIndex);
    QString KeyOf(quint64 param) const;
    void setKeyOf(quint64 param, const QString& key);
    QString TagOf(quint64 param) const;
    void setTagOf(quint64 param, const QString& tag);
    QString PathOf(quint64 param) const;
    void setPathOf(quint64 param, const QString& path);
    // The document's size and modification time as known, when they are.
    bool FactsOf(quint64 param, qint64* size, qint64* modified) const;
    void setFactsOf(quint64 param, qint64 size, qint64 modified);
    int IconOf(quint64 param) const;

    // Makes the size (column 1) or date (column 2) text of a row added with
    // factTexts from its numbers: a long list formats only the rows that are
    // looked at.
    using FactTextSource = std::function<QString(int column, qint64 size, qint64 modified)>;
    void setFactTextSource(FactTextSource source);
    // A list that follows typing: when a large number of rows is announced
    // (ReserveRows), they are sorted and shown a moment after the last of
    // them is added, on a later turn of the event loop, so that keys typed
    // meanwhile are taken between the two halves of the work.
    void setYieldBeforeLargeFlush(bool value) { m_yieldBeforeLargeFlush = value; }

    // Sorting: by the texts of column SortKey (0 = row text), ascending
    // (SortOrder 0) or descending (1), in the user's locale collation. A
    // column with a value source sorts by the number it gives for each row
    // instead (asked once per row and kept), rows of equal number by name.
    using SortValueSource = std::function<qint64(quint64 param)>;
    void setSortValueSource(int column, SortValueSource source);
    bool Sorted() const;
    void setSorted(bool sorted);
    int SortKey() const;
    void setSortKey(int column);
    int SortOrder() const;
    void setSortOrder(int order);

    // Fresh size and date texts of rows already shown, and whether each
    // row's document is missing (its texts then shown dimmed). Rows keep
    // their place; views hear of the whole batch in one change.
    struct RowUpdate {
        quint64 param = 0;
        QString sizeText;
        QString dateText;
        bool missing = false;
    };
    void UpdateRows(const QList<RowUpdate>& updates);
    bool IsMissing(quint64 param) const;
    // The params of the rows whose key is one of keys, each with its key.
    QList<std::pair<quint64, QString>> RowsWithKeys(const QSet<QString>& keys) const;
    void setMissingOf(quint64 param, bool missing);

    // Announces pending rows to views and brings the rows into sorted order.
    void Flush();

    // QAbstractItemModel
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QHash<int, QByteArray> roleNames() const override;

private:
    // A list holds a row per document, up to a million of them: the flags
    // share the word after the icon.
    struct Row {
        quint64 param = 0;
        int icon = 0;
        mutable bool factTexts = false;
        bool missing = false;
        bool factsKnown = false;
        bool hasFolded = false;
        qint64 size = 0;
        qint64 modified = 0;
        QString path;
        // What most rows never hold, apart: three empty texts in every row
        // were a third of it.
        struct Extra {
            QStringList subItems; // made from the numbers above on first use
            QString text;         // one that is not the name in path
            QString tag;
            QString folded; // text as searched, once hasFolded
            QString key;    // one that is not a document's
        };
        mutable std::unique_ptr<Extra> extra;
        Extra& More() const {
            if (!extra)
                extra = std::make_unique<Extra>();
            return *extra;
        }
        // The number the row sorts by in sortColumn (-1: none asked yet),
        // kept in the row: a hash per row cost an allocation per row on the
        // first click. One column's: a list is sorted by one column at a
        // time, and the numbers of known documents are quickly asked again.
        mutable qint64 sortValue = 0;
        // A document's key is kept as its number: the text and its own
        // allocation were a third of a row again.
        qint32 keyID = -1; // -1: the key is Extra::key, or none
        mutable qint16 sortColumn = -1;
        bool tagIsPath = false; // a file's row is tagged with its path
        // A document's name is mostly its shortcut's name before ".lnk": the
        // text is then read from path, without a string of its own per row.
        qint16 textAt = 0;
        qint16 textLength = -1; // -1: the text is Extra::text
        QStringView Text() const;
        void setText(const QString& text);
        void setPath(const QString& newPath); // the text stays what it was
        QString Key() const;
        void setKey(const QString& key);
        QString Tag() const;
        void setTag(QString tag);
    };

    // Column column's text of row (1 and up); texts made from the row's
    // numbers are kept from then on.
    const QString& subText(const Row& row, int column) const;
    const Row* rowOf(quint64 param) const;
    Row* rowOf(quint64 param);
    int positionOf(const Row* row) const;
    void rebuildPositions() const;
    int positionAt(quint64 param) const; // -1: no such row
    void setPosition(quint64 param, int position) const;
    void scheduleFlush();
    void announceChange(const Row* row, int role);
    void resort();
    std::vector<int> sortedOrder() const;
    // The collation rank of each row's text in the sort column.
    std::vector<int> textRanks() const; // positions in the order of the sort properties
    std::vector<int> orderByValue(const SortValueSource& source) const;

    // Rows by position. Held by pointer, so that sorting moves pointers and
    // not the rows: moving 100,000 rows cost more than ordering them.
    std::vector<std::unique_ptr<Row>> m_rows;
    int m_announced = 0;       // rows views know of
    bool m_orderDirty = false; // rows may be out of sorted order
    bool m_flushQueued = false;
    bool m_yieldBeforeLargeFlush = false;
    qsizetype m_largeFillComing = 0; // rows announced by ReserveRows, until flushed
    QTimer* m_largeFlush = nullptr;
    QStringList m_headers;
    quint64 m_nextParam = 1;
    bool m_sorted = false;
    int m_sortKey = 0;
    int m_sortOrder = 0;
    // The order the rows were last sorted in, and how many rows were sorted
    // (0 when a row's sort text changed since).
    int m_sortedColumn = -1;
    int m_sortedOrder = 0;
    int m_sortedCount = 0;
    QHash<int, SortValueSource> m_sortSources;
    FactTextSource m_factText;
    // Position of each row by param - m_paramBase (-1: no such row). Params
    // are handed out in order, so a plain array serves: a hash cost an
    // allocation-heavy insert per row of a fill.
    mutable std::vector<int> m_positions;
    mutable quint64 m_paramBase = 1; // the param at m_positions[0]
    mutable bool m_positionsDirty = false;
};
