#pragma once

#include <QStyledItemDelegate>

class QAbstractItemView;

// Draws the rows of a check list. The rows carry a check state so that screen
// readers hear "checked", but their box is the row's own small image: the
// delegate neither draws a second box nor lets a click on it change the state
// behind the check list's back. It also tells where the image lies, as the
// style lays the row out, so a click is judged by what the user sees.
class CCheckRowDelegate : public QStyledItemDelegate {
    Q_OBJECT

public:
    // How deep a row sits in a hierarchy (0: top); the row is indented by
    // that many image widths, its image with it.
    static constexpr int DepthRole = Qt::UserRole + 2;
    // The QColor of the dot at the row's end; none when absent.
    static constexpr int ColourRole = Qt::UserRole + 3;

    explicit CCheckRowDelegate(QObject* parent = nullptr);

    // The image's rectangle in the view's viewport; empty for an invalid index.
    QRect ImageRect(const QAbstractItemView* view, const QModelIndex& index) const;

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    bool editorEvent(QEvent* event, QAbstractItemModel* model, const QStyleOptionViewItem& option,
                     const QModelIndex& index) override;

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override;
};
