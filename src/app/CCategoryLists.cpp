#include "CCategoryLists.h"

#include "CAnchor.h"
#include "CCategoryTabs.h"
#include "CFileListView.h"
#include "CFileListViews.h"
#include "CListViewControl.h"
#include "CMsghook.h"
#include "CRecordset.h"
#include "CStoredText.h"
#include "CTabViewer.h"
#include "CVolloDB.h"
#include "CWidgetAnchorControl.h"

#include "BM_Library.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QFontMetrics>
#include <QHeaderView>
#include <QStyle>
#include <algorithm>

CCategoryLists::CCategoryLists(QWidget* window, QWidget* HookFrame,
                               QList<CListViewControl*>& ListViews, QList<CMsghook*>& Msghooks)
    : m_window(window), m_hookFrame(HookFrame), m_listViews(ListViews), m_msghooks(Msghooks) {}

void CCategoryLists::MakeFor(qint32 CategoryCount) {
    // The design's lists serve the first categories; more get their own.
    while (m_listViews.size() < CategoryCount + 1)
        AddControl();
}

CListViewControl* CCategoryLists::AddControl() {
    int n = static_cast<int>(m_listViews.size()) + 1;
    // A deleted category's list stays, hidden, under its name.
    while (m_window->findChild<QWidget*>(QStringLiteral("ListView%1").arg(n)) != nullptr)
        ++n;
    auto* list = new CListViewControl(m_window);
    list->setObjectName(QStringLiteral("ListView%1").arg(n));
    list->hide();
    auto* hook = new CMsghook(m_hookFrame);
    hook->setObjectName(QStringLiteral("Msghook%1").arg(n));
    m_listViews << list;
    m_msghooks << hook;
    return list;
}

CFileListView* CCategoryLists::Add(const QString& Key, const QString& Name, CVolloDB& repository,
                                   CAnchor& Anchor, CTabViewer& Tabs, CFileListViews& Lists) {
    CListViewControl* control = AddControl();
    CRecordset columns = repository.RunQuery(QStringLiteral("getColumnHeader"));
    AddColumns(control, columns);
    // Placed and anchored like the lists made at start, beside the split bar.
    control->setGeometry(m_listViews.at(0)->geometry());
    Anchor.Add(CWidgetAnchorControl::Wrap(control), 8, 3);
    if (control->header()->count() > 0)
        control->header()->setSectionResizeMode(0, QHeaderView::Stretch);
    // Other categories' tabs come when they are shown.
    if (CCategoryTabs::IsFixed(Key))
        Tabs.Add(control, Key, Name);
    control->setAccessibleName(Name);
    return Lists.Add(control, m_msghooks.last(), Key);
}

void CCategoryLists::Remove(const QString& Key, CTabViewer& Tabs, CFileListViews& Lists) {
    CListViewControl* control = Lists.Item(Key)->ListView();
    if (Tabs.HasTab(Key))
        Tabs.Delete(Key);
    Lists.Remove(Key);
    const qsizetype at = m_listViews.indexOf(control);
    if (at >= 0) {
        m_listViews.removeAt(at);
        m_msghooks.removeAt(at);
    }
    control->hide();
}

void CCategoryLists::AddColumns(CListViewControl* list, CRecordset& columns) {
    for (; !columns.IsEOF(); columns.MoveNext())
        list->AddColumnHeader(CStoredText::Shown(columns.Field(QStringLiteral("Value")).toString()),
                              columns.Field(QStringLiteral("Extra")).toInt());
    // The stored widths fit the design font only: a larger font, or a
    // language with longer words, would cut the texts.
    QHeaderView* header = list->header();
    const QFontMetrics metrics(list->font());
    const int margin =
        2 * (list->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, list) + 1) + 6;
    for (int column = 1; column < header->count(); ++column) {
        // The header's text, its margins and room for the sort arrow.
        const QStyle* style = header->style();
        const int headerMargin = style->pixelMetric(QStyle::PM_HeaderMargin, nullptr, header);
        int wanted =
            QFontMetrics(header->font())
                .horizontalAdvance(list->model()->headerData(column, Qt::Horizontal).toString()) +
            3 * headerMargin + style->pixelMetric(QStyle::PM_HeaderMarkSize, nullptr, header) + 4;
        for (const QString& text : WidestTexts(column))
            wanted = std::max(wanted, metrics.horizontalAdvance(text) + margin);
        if (header->sectionSize(column) < wanted)
            header->resizeSection(column, wanted);
    }
}

QStringList CCategoryLists::WidestTexts(int column) {
    if (column == 1)
        return {BM_Library::SizeText(Q_INT64_C(987654321)), BM_Library::SizeText(Q_INT64_C(999999)),
                QCoreApplication::translate("CListFiller", "見つかりません")};
    if (column == 2) {
        // Late in the day and the year: the longest month, day and hour.
        const QDateTime late(QDate(2028, 12, 28), QTime(22, 58, 58));
        return {BM_Library::FileTimeText(
            BM_Library::FileTimeFromUnixNanoseconds(late.toMSecsSinceEpoch() * 1000000))};
    }
    return {};
}
