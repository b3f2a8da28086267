#include "CCheckRowDelegate.h"

#include <QAbstractItemView>
#include <QApplication>
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
}
