#include "CCategoryTabs.h"

#include "BM_Library.h"
#include "CCategory.h"
#include "CCategoryStore.h"
#include "CColourDot.h"
#include "CFileListView.h"
#include "CFileListViews.h"
#include "CListViewControl.h"
#include "CRecordset.h"
#include "CTabViewer.h"
#include "CVolloDB.h"
#include "Placeholders.h"

#include <QEvent>
#include <QFontMetrics>
#include <QKeySequence>
#include <QMouseEvent>
#include <QShortcut>
#include <QStyle>
#include <QTabBar>
#include <QTreeWidgetItem>

using namespace BM_Library;

namespace {

const QString kOpenTabsKey = QStringLiteral("OpenCategoryTabs");
// The built-in categories keep their tabs, as the root's does.
constexpr qint32 LastBuiltInID = 3;

} // namespace

CCategoryTabs::CCategoryTabs(CVolloDB& repository, CTabViewer& Tabs, CFileListViews& Lists,
                             CCategory& Tree, QWidget* window)
    : m_repository(repository), m_tabs(Tabs), m_lists(Lists), m_tree(Tree) {
    QTabBar* strip = m_tabs.TabStrip();
    strip->setUsesScrollButtons(true);
    // The strip would squeeze every tab, the root's too, to a few letters
    // before it scrolls: long names are shortened one by one instead.
    strip->setElideMode(Qt::ElideNone);
    strip->setTabsClosable(true);
    ShowCloseButtons();
    strip->installEventFilter(this);
    connect(strip, &QTabBar::tabCloseRequested, this,
            [this](int index) { Close(ClosableAt(index)); });
    auto* closeTab = new QShortcut(QKeySequence(Qt::ControlModifier | Qt::Key_W), window);
    closeTab->setObjectName(QStringLiteral("CloseTab"));
    connect(closeTab, &QShortcut::activated, this,
            [this] { Close(ClosableAt(m_tabs.TabStrip()->currentIndex())); });
}

bool CCategoryTabs::IsFixed(const QString& Key) {
    if (!Key.startsWith(QLatin1Char('H')))
        return true;
    const qint32 id = KeyToID(Key);
    return id <= LastBuiltInID || id > CCategoryStore::LastCategoryID;
}

void CCategoryTabs::Open(const QString& Key) {
    if (m_tabs.HasTab(Key) || !m_lists.Contains(Key)) {
        // A built-in category made again came with a button of the strip's.
        ShowCloseButtons();
        return;
    }
    const QTreeWidgetItem* node = m_tree.Node(Key);
    const QString caption = node != nullptr ? node->text(0) : Key;
    QTabBar* strip = m_tabs.TabStrip();
    m_tabs.Add(m_lists.Item(Key)->ListView(), Key, Caption(*strip, caption));
    // An elided caption is read whole from the tooltip.
    strip->setTabToolTip(strip->count() - 1, caption);
    strip->setTabIcon(strip->count() - 1,
                      CColourDot::Icon(CCategory::NodeColour(node),
                                       strip->style()->pixelMetric(QStyle::PM_SmallIconSize)));
    ShowCloseButtons();
}

void CCategoryTabs::Close(const QString& Key) {
    if (Key.isEmpty() || IsFixed(Key) || !m_tabs.HasTab(Key))
        return;
    m_tabs.Delete(Key);
    if (m_lists.Contains(Key))
        m_lists.Item(Key)->ListView()->hide();
}

QString CCategoryTabs::Caption(const QTabBar& Strip, const QString& Name) {
    const QFontMetrics metrics(Strip.font());
    return metrics.elidedText(Name, Qt::ElideRight, metrics.averageCharWidth() * 24);
}

QString CCategoryTabs::ClosableAt(int Index) const {
    const QString key = m_tabs.TabStrip()->tabData(Index).toString();
    return Index >= 0 && !IsFixed(key) ? key : QString();
}

QStringList CCategoryTabs::OpenKeys() const {
    QStringList keys;
    for (int i = 0; i < m_tabs.TabStrip()->count(); ++i)
        if (const QString key = ClosableAt(i); !key.isEmpty())
            keys << key;
    return keys;
}

QList<qint32> CCategoryTabs::OpenAncestors(qint32 TagID) const {
    const CCategoryStore::ParentMap parents = CCategoryStore(m_repository).Parents();
    QList<qint32> open;
    // A damaged table with a loop ends at the first repeat.
    for (qint32 up = parents.value(TagID); up != 0 && up != TagID && !open.contains(up);
         up = parents.value(up))
        if (m_tabs.HasTab(MakeKey(up)))
            open << up;
    return open;
}

void CCategoryTabs::Restore() {
    CRecordset rs = m_repository.RunSQL(
        FillPlaceholders(QStringLiteral("SELECT Value FROM resource WHERE Key = \"%key\""),
                         {{QStringLiteral("%key"), kOpenTabsKey}}));
    if (rs.IsEOF())
        return;
    for (const QString& id : rs.Field(0).toString().split(QLatin1Char(','), Qt::SkipEmptyParts))
        Open(MakeKey(id.toInt()));
}

void CCategoryTabs::Save() {
    QStringList ids;
    for (const QString& key : OpenKeys())
        ids << QString::number(KeyToID(key));
    m_repository.RunSQL(FillPlaceholders(
        QStringLiteral("INSERT OR REPLACE INTO resource (Key, Value) VALUES (\"%key\", \"%ids\")"),
        {{QStringLiteral("%key"), kOpenTabsKey},
         {QStringLiteral("%ids"), ids.join(QLatin1Char(','))}}));
}

bool CCategoryTabs::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonRelease) {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() == Qt::MiddleButton) {
            const QString key = ClosableAt(m_tabs.TabStrip()->tabAt(mouse->position().toPoint()));
            if (!key.isEmpty()) {
                Close(key);
                return true;
            }
        }
    }
    return QObject::eventFilter(watched, event);
}

void CCategoryTabs::ShowCloseButtons() {
    // The strip gives every tab a close button: the fixed ones lose theirs.
    QTabBar* strip = m_tabs.TabStrip();
    for (int i = 0; i < strip->count(); ++i) {
        for (const auto side : {QTabBar::LeftSide, QTabBar::RightSide}) {
            QWidget* button = strip->tabButton(i, side);
            if (button != nullptr && IsFixed(strip->tabData(i).toString())) {
                strip->setTabButton(i, side, nullptr);
                button->deleteLater();
            }
        }
    }
}
