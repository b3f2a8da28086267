#include "CListItem.h"

#include "CFileListModel.h"
#include "CListViewControl.h"

CListItem::CListItem(CListViewControl* list, quint64 param) : m_list(list), m_param(param) {}

bool CListItem::IsEmpty() const {
    return !m_list || !m_list->Model()->Contains(m_param);
}

CListViewControl* CListItem::ListView() const {
    return m_list;
}

qint32 CListItem::Index() const {
    return m_list ? m_list->Model()->PositionOf(m_param) + 1 : 0;
}

QString CListItem::Text() const {
    return m_list ? m_list->Model()->TextOf(m_param, 0) : QString();
}

QString CListItem::SubItems(qint32 i) const {
    return m_list && i >= 1 ? m_list->Model()->TextOf(m_param, i) : QString();
}

void CListItem::setSubItems(qint32 i, const QString& text) {
    if (m_list)
        m_list->Model()->setSubItemOf(m_param, i, text);
}

QString CListItem::Key() const {
    return m_list ? m_list->Model()->KeyOf(m_param) : QString();
}

void CListItem::setKey(const QString& key) {
    if (m_list)
        m_list->Model()->setKeyOf(m_param, key);
}

QString CListItem::Tag() const {
    return m_list ? m_list->Model()->TagOf(m_param) : QString();
}

void CListItem::setTag(const QString& tag) {
    if (m_list)
        m_list->Model()->setTagOf(m_param, tag);
}

bool CListItem::Selected() const {
    return m_list && !IsEmpty() && m_list->SelectedItem() == *this;
}

void CListItem::setSelected(bool selected) {
    if (!m_list || IsEmpty())
        return;
    if (selected)
        m_list->setSelectedItem(*this);
    else if (Selected())
        m_list->setSelectedItem(CListItem());
}

void CListItem::EnsureVisible() const {
    if (!m_list)
        return;
    const int position = m_list->Model()->PositionOf(m_param);
    if (position >= 0)
        m_list->scrollTo(m_list->Model()->index(position, 0));
}
