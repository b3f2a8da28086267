#include "CCheckListView.h"

#include "BM_Library.h"
#include "CCheckRowDelegate.h"
#include "CError.h"
#include "CRecordset.h"
#include "CScrollBarStyle.h"
#include "CStoredText.h"

#include <QApplication>
#include <QEvent>
#include <QFrame>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionButton>
#include <QTreeWidget>

#include <limits>

namespace {

// A record identifier as a 32-bit number: whole numbers and their decimal
// text as they stand, fractions rounded half to even.
qint32 ToInt32(const QVariant& value) {
    if (!value.isValid() || value.isNull())
        throw CError(QCoreApplication::translate(
            "CCheckListView",
            "カテゴリの番号が空です。リポジトリが壊れていないか確かめてください。"));
    qint64 n = 0;
    bool ok = false;
    const int type = value.metaType().id();
    if (type == QMetaType::Double || type == QMetaType::Float) {
        const double d = value.toDouble();
        if (std::isfinite(d) && std::fabs(d) < 1e12) {
            n = static_cast<qint64>(std::nearbyint(d));
            ok = true;
        }
    } else {
        n = value.toString().trimmed().toLongLong(&ok);
    }
    if (!ok || n < std::numeric_limits<qint32>::min() || n > std::numeric_limits<qint32>::max())
        throw CError(
            QCoreApplication::translate("CCheckListView",
                                        "カテゴリの番号 \"%1\" が 32 ビットの整数ではありません。"
                                        "リポジトリが壊れていないか確かめてください。")
                .arg(value.toString()));
    return static_cast<qint32>(n);
}

// Some styles outline the box with a shade of the window colour, which all but
// vanishes on a dark list. Where the drawn edge is too faint against the list
// (under 3:1), a line halfway between the text and the list colour goes over it.
void StrengthenOutline(QImage& image, const QColor& base, const QColor& text) {
    QRect box;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (qAlpha(image.pixel(x, y)) > 0)
                box |= QRect(x, y, 1, 1);
    if (box.isEmpty())
        return;
    auto over = [&base](QRgb pixel) {
        const double a = qAlpha(pixel) / 255.0;
        return QColor::fromRgbF(float(qRed(pixel) / 255.0 * a + base.redF() * (1 - a)),
                                float(qGreen(pixel) / 255.0 * a + base.greenF() * (1 - a)),
                                float(qBlue(pixel) / 255.0 * a + base.blueF() * (1 - a)));
    };
    const QColor edge = over(image.pixel(box.left(), box.center().y()));
    if (CScrollBarStyle::Contrast(edge, base) >= 3.0)
        return;
    const qreal ratio = image.devicePixelRatio();
    image.setDevicePixelRatio(1); // the box was found in device pixels
    QColor line;
    line.setRgbF((text.redF() + base.redF()) / 2, (text.greenF() + base.greenF()) / 2,
                 (text.blueF() + base.blueF()) / 2);
    QPainter painter(&image);
    painter.setPen(line);
    painter.drawRect(box.adjusted(0, 0, -1, -1));
    painter.end();
    image.setDevicePixelRatio(ratio);
}

} // namespace

CCheckListView::CCheckListView(QObject* parent) : QObject(parent) {}

CCheckListView::~CCheckListView() {
    Release();
}

void CCheckListView::Release() {
    if (mvarListView) {
        mvarListView->removeEventFilter(this);
        disconnect(mvarListView, nullptr, this, nullptr);
    }
    if (mvarViewport)
        mvarViewport->removeEventFilter(this);
    mvarListView = nullptr;
    mvarViewport = nullptr;
}

QTreeWidget* CCheckListView::ListView() const {
    return qobject_cast<QTreeWidget*>(mvarListView.data());
}

void CCheckListView::Create(QTreeWidget* AListView, const ImageList& AImageList) {
    if (!AListView)
        throw CError(QStringLiteral("The check list needs a list view to work on."));
    if (AListView != mvarListView)
        Release();
    mvarListView = AListView;
    mvarViewport = AListView->viewport();
    mvarImageList = AImageList;
    mvarCheckClick = false;

    // Installing a filter again only moves it to the front, so a second
    // Create on the same list does not double the handling.
    mvarListView->installEventFilter(this);
    mvarViewport->installEventFilter(this);
    connect(AListView, &QTreeWidget::itemClicked, this, &CCheckListView::mvarListView_ItemClick,
            Qt::UniqueConnection);

    // Small images, no border, report view.
    if (!mvarDelegate || AListView->itemDelegate() != mvarDelegate) {
        mvarDelegate = new CCheckRowDelegate(AListView);
        AListView->setItemDelegate(mvarDelegate);
    }
    AListView->setIconSize(QSize(16, 16));
    AListView->setFrameShape(QFrame::NoFrame);
    AListView->setRootIsDecorated(false);
    AListView->setItemsExpandable(false);
    AListView->setIndentation(0);
    AListView->setUniformRowHeights(true);
    AListView->setHeaderHidden(false);
    AListView->setSelectionMode(QAbstractItemView::SingleSelection);
    AListView->setEditTriggers(QAbstractItemView::NoEditTriggers);
    AListView->setAllColumnsShowFocus(true);
}

QTreeWidgetItem* CCheckListView::AddItem(const CRecordset& Fields) {
    QTreeWidget* list = ListView();
    if (!list)
        throw CError(QStringLiteral("The check list is not bound to a list view."));
    const QString key = RecordKey(Fields.Field(0));
    if (FindItem(key))
        throw CError(tr("カテゴリ \"%1\" が一覧に二度登録されようとしました。"
                        "リポジトリのカテゴリが重複していないか確かめてください。")
                         .arg(key));

    auto* item = new QTreeWidgetItem;
    item->setData(0, KeyRole, key);
    item->setText(0, CStoredText::Shown(Fields.Field(1).toString()));
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
    try {
        SetState(item, Unchecked);
    } catch (...) {
        delete item;
        throw;
    }
    // Sub-item i shows field i + 2; field 2 stays hidden. Columns that have
    // no field left stay empty.
    const int n = std::min(list->columnCount(), Fields.FieldCount());
    for (int i = 1; i <= n - 2; ++i) {
        if (i + 2 < Fields.FieldCount())
            item->setText(i, Fields.Field(i + 2).toString());
    }
    list->addTopLevelItem(item);
    return item;
}

QString CCheckListView::StateKey(qint32 state) {
    switch (state) {
    case Unchecked:
        return QStringLiteral("unchecked");
    case Checked:
        return QStringLiteral("checked");
    case Grayed:
        return QStringLiteral("grayed");
    default:
        return QString();
    }
}

void CCheckListView::SetState(QTreeWidgetItem* AListItem, qint32 state) {
    if (!AListItem)
        throw CError(QStringLiteral("The check list was asked to change a row that is not there."));
    const QString key = StateKey(state);
    if (key.isEmpty())
        throw CError(QStringLiteral("%1 is not a check state (0 unchecked, 1 checked, 2 grayed).")
                         .arg(state));
    const auto image = mvarImageList.constFind(key);
    if (image == mvarImageList.constEnd())
        throw CError(QStringLiteral("The check list has no image with the key \"%1\".").arg(key));
    AListItem->setData(0, SmallIconRole, key);
    AListItem->setIcon(0, *image);
    AListItem->setData(0, Qt::CheckStateRole,
                       state == Checked  ? Qt::Checked
                       : state == Grayed ? Qt::PartiallyChecked
                                         : Qt::Unchecked);
}

void CCheckListView::SetImages(const ImageList& AImageList) {
    mvarImageList = AImageList;
    for (QTreeWidgetItem* item : ListItems()) {
        const auto image = mvarImageList.constFind(SmallIcon(item));
        if (image != mvarImageList.constEnd())
            item->setIcon(0, *image);
    }
}

QRect CCheckListView::ImageRect(QTreeWidgetItem* Item) const {
    QTreeWidget* list = ListView();
    if (!list || !mvarDelegate || !Item || Item->treeWidget() != list)
        return {};
    const QModelIndex index = list->model()->index(list->indexOfTopLevelItem(Item), 0);
    return mvarDelegate->ImageRect(list, index);
}

void CCheckListView::CheckAll() {
    for (QTreeWidgetItem* item : ListItems())
        SetState(item, Checked);
}

void CCheckListView::UncheckAll() {
    for (QTreeWidgetItem* item : ListItems())
        SetState(item, Unchecked);
}

QList<QTreeWidgetItem*> CCheckListView::ListItems() const {
    QList<QTreeWidgetItem*> items;
    QTreeWidget* list = ListView();
    if (!list)
        return items;
    const int count = list->topLevelItemCount();
    items.reserve(count);
    for (int i = 0; i < count; ++i)
        items.append(list->topLevelItem(i));
    return items;
}

QTreeWidgetItem* CCheckListView::FindItem(const QString& key) const {
    QTreeWidget* list = ListView();
    if (!list)
        return nullptr;
    const int count = list->topLevelItemCount();
    for (int i = 0; i < count; ++i) {
        QTreeWidgetItem* item = list->topLevelItem(i);
        if (Key(item) == key)
            return item;
    }
    return nullptr;
}

QTreeWidgetItem* CCheckListView::ListItem(const QString& key) const {
    QTreeWidgetItem* item = FindItem(key);
    if (!item)
        throw CError(QStringLiteral("The check list holds no row with the key \"%1\".").arg(key));
    return item;
}

QString CCheckListView::RecordKey(const QVariant& id) {
    return BM_Library::MakeKey(ToInt32(id));
}

QString CCheckListView::Key(const QTreeWidgetItem* item) {
    return item ? item->data(0, KeyRole).toString() : QString();
}

QString CCheckListView::SmallIcon(const QTreeWidgetItem* item) {
    return item ? item->data(0, SmallIconRole).toString() : QString();
}

QPixmap CCheckListView::CheckBoxPicture(const QWidget* widget, qint32 state) {
    const qreal dpr = widget ? widget->devicePixelRatioF() : qApp->devicePixelRatio();
    QPixmap picture(QSize(16, 16) * dpr);
    picture.setDevicePixelRatio(dpr);
    picture.fill(Qt::transparent);

    QStyleOptionButton option;
    if (widget)
        option.initFrom(widget);
    option.rect = QRect(0, 0, 16, 16);
    option.state |= QStyle::State_Enabled;
    option.state &= ~(QStyle::State_HasFocus | QStyle::State_MouseOver);
    option.state |= state == Checked  ? QStyle::State_On
                    : state == Grayed ? QStyle::State_NoChange
                                      : QStyle::State_Off;
    QStyle* style = widget ? widget->style() : QApplication::style();
    {
        QPainter painter(&picture);
        style->drawPrimitive(QStyle::PE_IndicatorCheckBox, &option, &painter, widget);
    }
    QImage image = picture.toImage();
    StrengthenOutline(image, option.palette.color(QPalette::Base),
                      option.palette.color(QPalette::Text));
    return QPixmap::fromImage(image);
}

CCheckListView::ImageList CCheckListView::StateImages(const QWidget* widget) {
    ImageList images;
    for (qint32 state : {Unchecked, Checked, Grayed})
        images.insert(StateKey(state), QIcon(CheckBoxPicture(widget, state)));
    return images;
}

bool CCheckListView::eventFilter(QObject* watched, QEvent* event) {
    QTreeWidget* list = ListView();
    if (!list)
        return false;
    if (watched == mvarViewport) {
        if (event->type() == QEvent::MouseButtonPress ||
            event->type() == QEvent::MouseButtonDblClick) {
            // Every press decides afresh whether the coming click toggles:
            // only a press on the row's box, as the style lays it out, does.
            const QPointF at = static_cast<QMouseEvent*>(event)->position();
            const QRect box = ImageRect(list->itemAt(at.toPoint()));
            mvarCheckClick = QRectF(box).contains(at);
        }
    } else if (watched == list) {
        switch (event->type()) {
        case QEvent::KeyPress: {
            const auto* key = static_cast<QKeyEvent*>(event);
            if (key->text() == QLatin1String(" ")) {
                mvarCheckClick = true;
                // The space bar picks the current row as a click would, so
                // it ticks that row at once, as a check list should.
                if (QTreeWidgetItem* current = list->currentItem())
                    mvarListView_ItemClick(current);
            }
            break;
        }
        case QEvent::FocusIn:
        case QEvent::FocusOut:
            list->viewport()->update();
            break;
        default:
            break;
        }
    }
    return false;
}

void CCheckListView::mvarListView_ItemClick(QTreeWidgetItem* Item) {
    if (!mvarCheckClick || !Item)
        return;
    const QString key = SmallIcon(Item);
    qint32 state = Unchecked;
    // A grayed row (held by some of the files shown) is set for all of them
    // by a click, as the desktop's tri-state check boxes do.
    if (key == QLatin1String("unchecked") || key == QLatin1String("grayed")) {
        SetState(Item, Checked);
        state = Checked;
    } else if (key == QLatin1String("checked")) {
        SetState(Item, Unchecked);
    }
    mvarCheckClick = false;
    emit OnItemClick(state, Item);
}
