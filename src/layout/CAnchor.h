#pragma once

#include "IAnchorControl.h"
#include "IAnchorWindow.h"

#include <QObject>
#include <QString>
#include <QVector>
#include <memory>

// Keeps the controls of one window anchored to its edges while the window is
// resized, in twips, and carries draggable splitter bars over the same list of
// controls. Works on the IAnchorWindow / IAnchorControl interfaces only, so the
// rules hold for any windowing layer; CWidgetAnchorWindow and
// CWidgetAnchorControl bind them to Qt widgets.
class CAnchor : public QObject {
    Q_OBJECT
public:
    explicit CAnchor(QObject* parent = nullptr);
    ~CAnchor() override;

    // Binds the window, once. Controls are added afterwards in their starting geometry.
    void Create(const std::shared_ptr<IAnchorWindow>& objOwnerForm, bool fIsMDIForm = false);
    void Add(const std::shared_ptr<IAnchorControl>& objControl, int Alignments = 0,
             int SplitBarResonse = 0);

    int MinWidth() const { return m_minWidth; }
    void setMinWidth(int value) { m_minWidth = value; }
    int MinHeight() const { return m_minHeight; }
    void setMinHeight(int value) { m_minHeight = value; }

    // fDirection 1 is a vertical bar (dragged sideways); anything else a horizontal one.
    void AddSplitter(const std::shared_ptr<IAnchorControl>& imgSplitter,
                     const std::shared_ptr<IAnchorControl>& picSplitter, int fDirection = 0);
    // Places a splitter (found by its image's name) at a left or top given in code.
    void SplitterRefresh(const IAnchorControl& imgSplitter, int NewPosition);

    int SplitterLimitTop() const { return m_limitTop; }
    void setSplitterLimitTop(int value) { m_limitTop = value; }
    int SplitterLimitBottom() const { return m_limitBottom; }
    void setSplitterLimitBottom(int value) { m_limitBottom = value; }
    int SplitterLimitLeft() const { return m_limitLeft; }
    void setSplitterLimitLeft(int value) { m_limitLeft = value; }
    int SplitterLimitRight() const { return m_limitRight; }
    void setSplitterLimitRight(int value) { m_limitRight = value; }

    // Place the latest vertical / horizontal splitter.
    void setSplitterLeft(int value);
    void setSplitterTop(int value);

    int ControlCount() const { return static_cast<int>(m_entries.size()); }
    int SplitterCount() const { return static_cast<int>(m_splitters.size()); }

    // The window's resize event; the window binding calls it.
    void Layout();

    // Mouse events of the splitter images, positions in twips relative to the image.
    void SplitterMouseDown(IAnchorControl& image, int button, int x, int y);
    void SplitterMouseMove(IAnchorControl& image, int button, int x, int y);
    void SplitterMouseUp(IAnchorControl& image, int button, int x, int y);

signals:
    void FormResize();
    void RepositionLeft(float Left);
    void RepositionTop(float Top);

private:
    struct ControlEntry {
        std::shared_ptr<IAnchorControl> Control;
        int Left = 0;
        int Width = 0;
        int Top = 0;
        int Height = 0;
        bool ShowAfterMove = false;
        bool AnchorLeft = false;
        bool AnchorRight = false;
        bool AnchorTop = false;
        bool AnchorBottom = false;
        bool FollowVSplit = false;
        bool FollowHSplit = false;
    };
    struct Splitter {
        QString Name;
        int Direction = 0;
        std::shared_ptr<IAnchorControl> Image;
        std::shared_ptr<IAnchorControl> DragBar;
    };

    IAnchorWindow* BoundWindow() const;
    void LayoutControls();
    int FindSplitter(const IAnchorControl& image) const;
    void RelayPanes(int index, int delta);
    // One control beside a dragged splitter: moved or stretched by delta
    // from where the splitter was (L0 or T0).
    void RelayBesideVertical(const Splitter& s, const ControlEntry& e, int L0, int delta);
    void RelayBesideHorizontal(const Splitter& s, const ControlEntry& e, int T0, int delta);
    void Subscribe(const std::shared_ptr<IAnchorControl>& image);

    std::shared_ptr<IAnchorWindow> mvarOwnerForm;
    std::shared_ptr<IAnchorWindow> mvarMDIForm;
    int m_formLeft = 0;
    int m_formTop = 0;
    int m_formWidth = 0;
    int m_formHeight = 0;
    QVector<ControlEntry> m_entries;
    int m_minWidth = 0;
    int m_minHeight = 0;

    QVector<Splitter> m_splitters;
    bool m_dragging = false;
    int m_dragStartLeft = 0;
    int m_dragStartTop = 0;
    std::shared_ptr<IAnchorControl> mvarHSplitters;
    std::shared_ptr<IAnchorControl> mvarVSplitters;
    int m_limitTop = 450;
    int m_limitBottom = 540;
    int m_limitLeft = 240;
    int m_limitRight = 360;
    int m_splitterLeft = 0;
    int m_splitterTop = 0;
};
