#pragma once

#include <QObject>
#include <memory>

class CAnchor;
class CVolloDB;
class CWidgetAnchorControl;
class QFrame;
class QWidget;

// The bar between the category tree and the file lists: the user drags it to
// share the window's width between them. The layout engine does the drag and
// moves the panes; this class makes the bar and its drag shadow, keeps the bar
// and the lists their room by raising the window's minimum width with the bar,
// and remembers the bar's place in the repository, beside the window's own
// placement. Positions are in twips.
class CSplitBar : public QObject {
    Q_OBJECT
public:
    // Neither pane gets narrower than this by a drag: the tree keeps its
    // nodes' names readable, the lists their size and date columns and some
    // of the name.
    static constexpr int LimitLeft = 1500;
    static constexpr int LimitRight = 6000;
    // The engine's drag stops at a limit, then places the bar this much short
    // of it (the pointer's grip on the bar).
    static constexpr int Grip = 30;

    explicit CSplitBar(QWidget* window);
    ~CSplitBar() override;

    void Place(int left, int top, int width, int height);
    // Hands the bar to the layout engine, after the panes were added (the
    // panes that follow it carry the vertical-split flag).
    void Bind(CAnchor& anchor);

    // The bar's left edge.
    int Position() const;
    // Moves the bar and the panes, within the limits of the window's width.
    void MoveTo(int left);

    // Reads and stores the position; a repository made before the bar was
    // remembered has no statement for it, and keeps the design position.
    // Nothing stored: the bar goes to Fallback when that lies right of the
    // design position (a tree whose names need more room). True when
    // nothing was stored.
    bool Restore(CVolloDB& repository, int Fallback = 0);
    void Save(CVolloDB& repository) const;

    QWidget* Bar() const { return m_bar; }

private:
    int Clamped(int left) const;
    // The window may not get narrower than the bar's left plus the lists' room.
    void KeepRoom();

    QWidget* m_window;
    QWidget* m_bar;
    QFrame* m_shadow;
    std::shared_ptr<CWidgetAnchorControl> m_barControl;
    CAnchor* m_anchor = nullptr;
    int m_minWidth = 0; // the window's own minimum, before the bar's
};
