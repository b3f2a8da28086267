#include "CCheckRowDelegate.h"

#include "CColourDot.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QPainter>
#include <QStyle>

CCheckRowDelegate::CCheckRowDelegate(QObject* parent) : QStyledItemDelegate(parent) {}

QRect CCheckRowDelegate::ImageRect(const QAbstractItemView* view, const QModelIndex& index) const {
    if (!view || !index.isValid())
        return {};
    // The options a view hands its delegate for painting, so the rectangle is
    // where the style draws the image, margins and all.
    QStyleOptionViewItem option;
    option.initFrom(view);
    option.rect = view->visualRect(index);
    option.decorationSize = view->iconSize();
    option.showDecorationSelected =
        view->style()->styleHint(QStyle::SH_ItemView_ShowDecorationSelected, nullptr, view);
    initStyleOption(&option, index);
    return view->style()->subElementRect(QStyle::SE_ItemViewItemDecoration, &option, view);
}

void CCheckRowDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                              const QModelIndex& index) const {
    QStyledItemDelegate::paint(painter, option, index);
    const QColor colour = index.data(ColourRole).value<QColor>();
    if (!colour.isValid() || index.column() != 0)
        return;
    // At the end of the name column, where the name's text was made to stop.
    const qreal edge = option.rect.height() * 0.5;
    CColourDot::Paint(
        *painter,
        QPointF(option.rect.right() - option.rect.height() / 2.0, option.rect.center().y() + 0.5),
        edge, colour);
}

bool CCheckRowDelegate::editorEvent(QEvent*, QAbstractItemModel*, const QStyleOptionViewItem&,
                                    const QModelIndex&) {
    return false; // the check list alone changes a row's state
}

void CCheckRowDelegate::initStyleOption(QStyleOptionViewItem* option,
                                        const QModelIndex& index) const {
    QStyledItemDelegate::initStyleOption(option, index);
    option->features &= ~QStyleOptionViewItem::HasCheckIndicator;
    const int depth = index.data(DepthRole).toInt();
    if (depth > 0 && index.column() == 0)
        option->rect.setLeft(option->rect.left() + depth * option->decorationSize.width());
    if (index.column() == 0 && index.data(ColourRole).value<QColor>().isValid())
        option->rect.setRight(option->rect.right() - option->rect.height());
}
