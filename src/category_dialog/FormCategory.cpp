#include "FormCategory.h"

#include "BM_Library.h"
#include "CCheckRowDelegate.h"
#include "CError.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPalette>
#include <QPushButton>
#include <QResizeEvent>
#include <QSet>
#include <QTreeWidget>

#include <algorithm>
#include <utility>

namespace {

int ToPixels(int twips) {
    return (twips + FormCategory::TwipsPerPixel / 2) / FormCategory::TwipsPerPixel;
}

QRect ToPixels(const QRect& twips) {
    return QRect(ToPixels(twips.x()), ToPixels(twips.y()), ToPixels(twips.width()),
                 ToPixels(twips.height()));
}

// Translated where they are used: the catalogue is loaded after start-up.
QString DesignCaption() {
    return FormCategory::tr("カテゴリ設定");
}

QString DesignColumn() {
    return FormCategory::tr("カテゴリ");
}

// Above this many rows a filter field helps to find one.
constexpr int FilterFromRows = 20;

qint32 RowID(const QTreeWidgetItem* row) {
    return BM_Library::KeyToID(CCheckListView::Key(row));
}

// The window frame the layout figures were drawn for: a sizable border of
// four pixels a side. Our own frame belongs to the window manager, so the
// outer width is measured as that design frame around our client area.
constexpr int DesignBorderTwips = 120;

// Between the close button and the window's edges, and the list above it.
constexpr int ButtonMargin = 4;

} // namespace

FormCategory::FormCategory(QWidget* parent)
    : QWidget(parent, Qt::Dialog), m_classDebugID(BM_Library::NextClassID()),
      m_labelFilePath(new QLabel(this)), m_listViewCategory(new QTreeWidget(this)),
      m_filter(new QLineEdit(this)), m_closeButton(new QPushButton(tr("閉じる"), this)),
      FCheckListView(new CCheckListView(this)) {
    m_filter->setObjectName(QStringLiteral("FilterField"));
    m_filter->setPlaceholderText(tr("カテゴリを絞り込む"));
    m_filter->setClearButtonEnabled(true);
    m_filter->hide();
    connect(m_filter, &QLineEdit::textChanged, this, &FormCategory::FilterRows);
    m_labelFilePath->setObjectName(QStringLiteral("LabelFilePath"));
    m_labelFilePath->setTextFormat(Qt::PlainText);
    m_listViewCategory->setObjectName(QStringLiteral("ListViewCategory"));
    m_listViewCategory->setAccessibleName(DesignColumn());
    connect(FCheckListView, &CCheckListView::OnItemClick, this,
            &FormCategory::FCheckListView_OnItemClick);
    // A modeless window of its own, left by the keyboard as a dialog is.
    m_closeButton->setObjectName(QStringLiteral("CloseButton"));
    connect(m_closeButton, &QPushButton::clicked, this, &QWidget::close);
    auto* escape = new QAction(this);
    escape->setObjectName(QStringLiteral("CloseOnEscape"));
    escape->setShortcut(Qt::Key_Escape);
    escape->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    connect(escape, &QAction::triggered, this, &QWidget::close);
    addAction(escape);
    ResetControls();
    // The list keeps its design height above the button row.
    resize(ToPixels(DesignWidth),
           ToPixels(DesignHeight) + m_closeButton->sizeHint().height() + ButtonMargin);
    setMinimumHeight(ToPixels(MinHeight));
}

FormCategory::~FormCategory() = default;

void FormCategory::setCategorySet(std::optional<CRecordset> ARecordSet) {
    m_categorySet = std::move(ARecordSet);
}

void FormCategory::setCategoryParents(const QHash<qint32, qint32>& Parents) {
    m_parents = Parents;
}

void FormCategory::setCategoryColours(const QHash<qint32, QColor>& Colours) {
    m_colours = Colours;
}

void FormCategory::ArrangeRows() {
    QHash<qint32, QTreeWidgetItem*> byID;
    QList<QTreeWidgetItem*> rows = m_listViewCategory->invisibleRootItem()->takeChildren();
    for (QTreeWidgetItem* row : std::as_const(rows)) {
        byID.insert(RowID(row), row);
        const QColor colour = m_colours.value(RowID(row));
        row->setData(0, CCheckRowDelegate::ColourRole, colour.isValid() ? colour : QVariant());
    }
    QMultiHash<qint32, QTreeWidgetItem*> children;
    QList<QTreeWidgetItem*> order;
    for (QTreeWidgetItem* row : std::as_const(rows)) {
        const qint32 parent = m_parents.value(RowID(row), 0);
        if (parent != 0 && byID.contains(parent) && parent != RowID(row))
            children.insert(parent, row);
        else
            order.append(row);
    }
    // Depth first, each row followed by the rows below it in their order.
    QList<QTreeWidgetItem*> arranged;
    QList<std::pair<QTreeWidgetItem*, int>> stack;
    for (auto it = order.crbegin(); it != order.crend(); ++it)
        stack.append({*it, 0});
    while (!stack.isEmpty() && arranged.size() < rows.size()) {
        const auto [row, depth] = stack.takeLast();
        row->setData(0, CCheckRowDelegate::DepthRole, depth);
        arranged.append(row);
        QList<QTreeWidgetItem*> below = children.values(RowID(row));
        std::sort(
            below.begin(), below.end(),
            [](const QTreeWidgetItem* a, const QTreeWidgetItem* b) { return RowID(a) > RowID(b); });
        for (QTreeWidgetItem* child : std::as_const(below))
            stack.append({child, depth + 1});
    }
    m_listViewCategory->addTopLevelItems(arranged);
    m_filter->setVisible(arranged.size() > FilterFromRows);
    FilterRows(!m_filter->isHidden() ? m_filter->text() : QString());
    if (m_isLoaded)
        Form_Resize();
}

void FormCategory::FilterRows(const QString& Text) {
    const QString text = Text.trimmed();
    QHash<qint32, QTreeWidgetItem*> byID;
    for (QTreeWidgetItem* row : FCheckListView->ListItems()) {
        byID.insert(RowID(row), row);
        row->setHidden(!text.isEmpty());
    }
    if (text.isEmpty())
        return;
    for (QTreeWidgetItem* row : std::as_const(byID)) {
        if (!row->text(0).contains(text, Qt::CaseInsensitive))
            continue;
        for (qint32 id = RowID(row); byID.contains(id) && byID.value(id)->isHidden();
             id = m_parents.value(id, 0))
            byID.value(id)->setHidden(false);
    }
}

void FormCategory::setColumnHeader(const QStringList& captions) {
    m_columnHeader = captions;
}

void FormCategory::setTitle(const QString& title) {
    m_title = title;
    if (m_isLoaded)
        setWindowTitle(m_title);
}

void FormCategory::setFileIDs(const QList<qint32>& ids) {
    m_fileIDs = ids;
    m_fileID = ids.isEmpty() ? -1 : ids.first();
    if (m_isLoaded)
        ShowCaption();
}

void FormCategory::ShowCaption() {
    const qsizetype count = QSet<qint32>(m_fileIDs.cbegin(), m_fileIDs.cend()).size();
    if (count > 1)
        setWindowTitle(tr("%Ln 個のファイルのカテゴリ", nullptr, int(count)));
    else
        setWindowTitle(m_title.isEmpty() ? DesignCaption() : m_title);
}

void FormCategory::setFilePath(const QString& path) {
    m_filePath = path;
    if (m_isLoaded)
        ShowFilePath();
}

void FormCategory::ShowFilePath() {
    // A long path loses its middle, where folders repeat, never a cut glyph;
    // the whole path stays at hand as the tooltip and for screen readers.
    const QString shown = m_labelFilePath->fontMetrics().elidedText(
        m_filePath, Qt::ElideMiddle, m_labelFilePath->contentsRect().width());
    m_labelFilePath->setText(shown);
    m_labelFilePath->setToolTip(shown == m_filePath ? QString() : m_filePath);
    m_labelFilePath->setAccessibleName(m_filePath);
}

int FormCategory::LabelHeightTwips() const {
    // The design height fits the design font only; descenders of a larger
    // one would be cut off.
    const int font = m_labelFilePath->fontMetrics().height() * TwipsPerPixel;
    return std::max(LabelFilePathDesign.height(), font);
}

void FormCategory::Freeze() {
    m_isFreezed = true;
    if (m_isLoaded)
        ApplyFrozenLook(true);
}

void FormCategory::Unfreeze() {
    m_isFreezed = false;
    if (m_isLoaded)
        ApplyFrozenLook(false);
}

void FormCategory::ApplyFrozenLook(bool frozen) {
    const QPalette system = QApplication::palette();
    const QColor color = frozen ? system.color(QPalette::Disabled, QPalette::Text)
                                : system.color(QPalette::Active, QPalette::ButtonText);
    // The label goes first so that the path never looks live while the list
    // already refuses input.
    QPalette label = m_labelFilePath->palette();
    label.setColor(QPalette::WindowText, color);
    m_labelFilePath->setPalette(label);
    m_labelFilePath->setEnabled(!frozen);

    QPalette list = m_listViewCategory->palette();
    list.setColor(QPalette::Text, color);
    m_listViewCategory->setPalette(list);
    m_listViewCategory->setEnabled(!frozen);
}

void FormCategory::SetCategory(CRecordset& ARecordSet) {
    if (!m_isLoaded)
        Load();
    FCheckListView->UncheckAll();
    while (!ARecordSet.IsEOF()) {
        const QString key = CCheckListView::RecordKey(ARecordSet.Field(0));
        QTreeWidgetItem* item = FCheckListView->FindItem(key);
        if (!item)
            throw CError(tr("ファイルに付いているカテゴリ \"%1\" がカテゴリ一覧にありません。"
                            "Vollo を起動し直すと一覧が読み直されます。")
                             .arg(key));
        FCheckListView->SetState(item, CCheckListView::Checked);
        ARecordSet.MoveNext();
    }
}

void FormCategory::SetCategoryCounts(const QHash<qint32, qint32>& Counts, qint32 Total) {
    if (!m_isLoaded)
        Load();
    for (QTreeWidgetItem* item : FCheckListView->ListItems()) {
        const qint32 count = Counts.value(BM_Library::KeyToID(CCheckListView::Key(item)));
        const qint32 state = count <= 0       ? CCheckListView::Unchecked
                             : count >= Total ? CCheckListView::Checked
                                              : CCheckListView::Grayed;
        FCheckListView->SetState(item, state);
    }
}

QString FormCategory::SelectionText(qint32 Count) {
    return tr("%Ln 個のファイルを選択中", nullptr, int(Count));
}

void FormCategory::ResetControls() {
    setWindowTitle(DesignCaption());

    m_labelFilePath->clear();
    m_labelFilePath->setPalette(QPalette());
    m_labelFilePath->setEnabled(true);
    QRect label = LabelFilePathDesign;
    label.setHeight(LabelHeightTwips());
    m_labelFilePath->setGeometry(ToPixels(label));

    m_listViewCategory->clear();
    m_listViewCategory->setColumnCount(1);
    m_listViewCategory->setHeaderLabels({DesignColumn()});
    m_listViewCategory->setPalette(QPalette());
    m_listViewCategory->setEnabled(true);
    m_listViewCategory->setGeometry(ToPixels(ListViewCategoryDesign));

    DrawImages();
}

void FormCategory::DrawImages() {
    // Drawn afresh at every load, and when the desktop's colours or style
    // change, so the boxes follow them. A grayed row is a category that only
    // some of the selected files carry.
    ImageListIcon.clear();
    for (qint32 state :
         {CCheckListView::Checked, CCheckListView::Unchecked, CCheckListView::Grayed})
        ImageListIcon.insert(CCheckListView::StateKey(state),
                             QIcon(CCheckListView::CheckBoxPicture(m_listViewCategory, state)));
}

void FormCategory::Load() {
    if (m_isLoaded)
        return;
    ResetControls();
    m_isLoaded = true;
    FCheckListView->Create(m_listViewCategory, ImageListIcon);
    ShowCaption();
    ShowFilePath();
    if (!m_columnHeader.isEmpty()) {
        m_listViewCategory->setColumnCount(static_cast<int>(m_columnHeader.size()));
        m_listViewCategory->setHeaderLabels(m_columnHeader);
    }
    if (m_categorySet) {
        m_categorySet->MoveFirst();
        while (!m_categorySet->IsEOF()) {
            FCheckListView->AddItem(*m_categorySet);
            m_categorySet->MoveNext();
        }
    }
    ArrangeRows();
    if (m_isFreezed)
        Freeze();
    // The window keeps its size from one load to the next; lay the fresh
    // controls out for it.
    Form_Resize();
}

void FormCategory::Unload() {
    hide();
    Form_Unload();
}

void FormCategory::Form_Unload() {
    if (!m_isLoaded)
        return;
    m_isLoaded = false;
    m_filePath.clear();
    if (m_isFreezed)
        Unfreeze();
    // The rows stay until the next load rebuilds them: closing may happen
    // inside a handler of one of them.
}

void FormCategory::setVisible(bool visible) {
    if (visible && !m_isLoaded)
        Load();
    QWidget::setVisible(visible);
}

void FormCategory::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    const QEvent::Type type = event->type();
    if (type == QEvent::PaletteChange || type == QEvent::StyleChange ||
        type == QEvent::FontChange) {
        // The boxes are pictures: draw them again in the desktop's new colours.
        DrawImages();
        if (m_isLoaded)
            FCheckListView->SetImages(ImageListIcon);
        Form_Resize();
    }
}

void FormCategory::closeEvent(QCloseEvent* event) {
    QWidget::closeEvent(event);
    if (event->isAccepted())
        Form_Unload();
}

void FormCategory::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    Form_Resize();
}

std::optional<FormCategory::ControlLayout>
FormCategory::ResizeLayout(int outerWidth, int outerHeight, int clientHeight, int labelHeight) {
    if (outerHeight <= MinHeight)
        return std::nullopt;
    ControlLayout layout;
    const int listTop = std::max(ListViewCategoryDesign.top(), 60 + labelHeight);
    layout.ListViewCategory = QRect(0, listTop, outerWidth - 120, clientHeight - listTop - 60);
    layout.LabelFilePath = QRect(120, 60, outerWidth - 240, labelHeight);
    return layout;
}

void FormCategory::Form_Resize() {
    const int frameExtra = frameGeometry().height() - height();
    const int outerHeight = frameGeometry().height() * TwipsPerPixel;
    const int outerWidth = width() * TwipsPerPixel + DesignBorderTwips;
    const std::optional<ControlLayout> layout =
        ResizeLayout(outerWidth, outerHeight, height() * TwipsPerPixel, LabelHeightTwips());
    // The floor is on the outer height; once the frame is known the window
    // manager is told, so a drag stops there instead of snapping back.
    const int floor = std::max(1, ToPixels(MinHeight) - frameExtra);
    if (minimumHeight() != floor)
        setMinimumHeight(floor);
    if (!layout) {
        if (floor > height())
            resize(width(), floor);
        return;
    }
    // A window narrower than its margins gives the controls no room rather
    // than a negative size.
    auto fit = [](const QRect& twips) {
        QRect r = ToPixels(twips);
        return QRect(r.x(), r.y(), std::max(0, r.width()), std::max(0, r.height()));
    };
    QRect list = fit(layout->ListViewCategory);
    if (!m_filter->isHidden()) {
        const int filterHeight = m_filter->sizeHint().height();
        m_filter->setGeometry(list.x(), list.y(), list.width(), filterHeight);
        list.setTop(list.top() + filterHeight + 2);
    }
    m_listViewCategory->setGeometry(list);
    m_labelFilePath->setGeometry(fit(layout->LabelFilePath));
    PlaceCloseButton();
    if (m_isLoaded)
        ShowFilePath();
}

void FormCategory::PlaceCloseButton() {
    const QSize button = m_closeButton->sizeHint();
    m_closeButton->setGeometry(width() - ButtonMargin * 2 - button.width(),
                               height() - ButtonMargin - button.height(), button.width(),
                               button.height());
    QRect list = m_listViewCategory->geometry();
    list.setBottom(std::max(list.top() - 1, m_closeButton->y() - ButtonMargin - 1));
    m_listViewCategory->setGeometry(list);
}

void FormCategory::FCheckListView_OnItemClick(qint32 state, QTreeWidgetItem* Item) {
    emit OnItemClick(state, Item);
}
