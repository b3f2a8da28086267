#include "CCategoryColouring.h"

#include "BM_Library.h"
#include "CCategory.h"
#include "CCategoryColours.h"
#include "CCategoryMenu.h"
#include "CCategoryStore.h"
#include "CCheckListView.h"
#include "CCheckRowDelegate.h"
#include "CColourDot.h"
#include "CError.h"
#include "CTabViewer.h"
#include "FormCategory.h"

#include <QAction>
#include <QActionGroup>
#include <QMenu>
#include <QStyle>
#include <QTabBar>
#include <QTreeWidgetItem>

using namespace BM_Library;

CCategoryColouring::CCategoryColouring(CVolloDB& repository, CCategory& Tree, CTabViewer& Tabs,
                                       FormCategory& Form)
    : m_repository(repository), m_tree(Tree), m_tabs(Tabs), m_form(Form) {}

QColor CCategoryColouring::ColourOf(const QString& Name) {
    const QString rgb = CCategoryColours::RgbOf(Name);
    return rgb.isEmpty() ? QColor() : QColor::fromString(rgb);
}

void CCategoryColouring::AddMenu(CCategoryMenu& Commands,
                                 const std::function<void(qint32, const QString&)>& Chosen) {
    auto* menu = new QMenu(tr("色"), Commands.Menu());
    menu->menuAction()->setObjectName(QStringLiteral("Colour"));
    auto* group = new QActionGroup(menu);
    const int edge = menu->style()->pixelMetric(QStyle::PM_SmallIconSize);
    const auto add = [&](const QString& name, const QString& label) {
        QAction* entry = menu->addAction(CColourDot::Icon(ColourOf(name), edge), label);
        entry->setObjectName(QStringLiteral("Colour_") +
                             (name.isEmpty() ? QStringLiteral("none") : name));
        entry->setCheckable(true);
        entry->setData(name);
        group->addAction(entry);
    };
    add(QString(), tr("なし"));
    for (const CCategoryColours::Swatch& swatch : CCategoryColours::Palette())
        add(swatch.Name, CCategoryColours::LabelOf(swatch.Name));
    Commands.Menu()->addMenu(menu);
    const auto target = [&Commands] {
        const QTreeWidgetItem* node = Commands.TargetNode();
        const qint32 id = node != nullptr ? KeyToID(CCategory::NodeKey(node)) : 0;
        return id > 0 && id <= CCategoryStore::LastCategoryID ? id : 0;
    };
    connect(Commands.Menu(), &QMenu::aboutToShow, menu, [this, menu, group, target] {
        const qint32 id = target();
        menu->menuAction()->setEnabled(id != 0);
        const QColor colour = m_colours.value(id);
        for (QAction* entry : group->actions())
            entry->setChecked(ColourOf(entry->data().toString()) == colour);
    });
    connect(group, &QActionGroup::triggered, menu, [target, Chosen](QAction* entry) {
        if (const qint32 id = target(); id != 0)
            Chosen(id, entry->data().toString());
    });
}

QHash<qint32, QColor> CCategoryColouring::ReadColours() {
    QHash<qint32, QColor> colours;
    const CCategoryColours::ColourMap stored = CCategoryColours(m_repository).Colours();
    for (auto it = stored.cbegin(); it != stored.cend(); ++it)
        colours.insert(it.key(), ColourOf(it.value()));
    return colours;
}

void CCategoryColouring::ShowAll() {
    m_colours = ReadColours();
    for (auto it = m_colours.cbegin(); it != m_colours.cend(); ++it)
        m_tree.setNodeColour(m_tree.Node(MakeKey(it.key())), it.value());
    m_form.setCategoryColours(m_colours);
}

void CCategoryColouring::Show(qint32 ID, const QString& Name) {
    const QColor colour = ColourOf(Name);
    if (colour.isValid())
        m_colours.insert(ID, colour);
    else
        m_colours.remove(ID);
    const QString key = MakeKey(ID);
    m_tree.setNodeColour(m_tree.Node(key), colour);
    QTabBar* strip = m_tabs.TabStrip();
    const int edge = strip->style()->pixelMetric(QStyle::PM_SmallIconSize);
    for (int i = 0; i < strip->count(); ++i)
        if (strip->tabData(i).toString() == key)
            strip->setTabIcon(i, CColourDot::Icon(colour, edge));
    m_form.setCategoryColours(m_colours);
    // An unloaded dialog takes the colours when it loads.
    QTreeWidgetItem* row = m_form.IsLoaded() && m_form.CheckListView() != nullptr
                               ? m_form.CheckListView()->FindItem(CCheckListView::RecordKey(ID))
                               : nullptr;
    if (row != nullptr)
        row->setData(0, CCheckRowDelegate::ColourRole, colour.isValid() ? colour : QVariant());
}
