#pragma once

#include <QMetaType>
#include <QPointer>
#include <QString>

class CListViewControl;

// One row of a CListViewControl, held by the row's own identity: the handle
// stays valid while the rows are sorted and other rows come and go, and
// becomes empty (IsEmpty) once its row is removed or the list cleared.
class CListItem {
public:
    CListItem() = default;
    CListItem(CListViewControl* list, quint64 param);

    bool IsEmpty() const;                     // no list, or the row is gone
    CListViewControl* ListView() const;       // the list the row belongs to
    quint64 Param() const { return m_param; } // unique for the row's life

    qint32 Index() const;             // 1-based position in the shown order; 0 when gone
    QString Text() const;             // first column
    QString SubItems(qint32 i) const; // column i + 1; empty when unset
    void setSubItems(qint32 i, const QString& text);
    QString Key() const;
    void setKey(const QString& key);
    QString Tag() const;
    void setTag(const QString& tag);
    bool Selected() const;
    void setSelected(bool selected);
    void EnsureVisible() const;

    bool operator==(const CListItem& other) const {
        return m_list == other.m_list && m_param == other.m_param;
    }
    bool operator!=(const CListItem& other) const { return !(*this == other); }

private:
    QPointer<CListViewControl> m_list;
    quint64 m_param = 0;
};

Q_DECLARE_METATYPE(CListItem)
