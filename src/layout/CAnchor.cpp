#include "CAnchor.h"

#include "CError.h"

#include <exception>

namespace {

// The engine keeps 32-bit geometry; a sum that leaves that range is an error
// rather than a silently wrapped position.
constexpr int kOverflow = 6;
constexpr int kSubscriptOutOfRange = 9;
// Controls this small or smaller are hidden instead of moved.
constexpr int kSmallest = 60;
// The drag bar lies under the pointer's grip on the bar, about half a bar's
// width right of (or below) the edge the splitter is placed by.
constexpr int kDragGrip = 30;
// Slack when telling whether a control lies beside a splitter bar.
constexpr int kExtentSlack = 60;

int Add32(int a, int b) {
    int result = 0;
    if (__builtin_add_overflow(a, b, &result))
        throw CError(kOverflow, QStringLiteral("Overflow"));
    return result;
}

int Sub32(int a, int b) {
    int result = 0;
    if (__builtin_sub_overflow(a, b, &result))
        throw CError(kOverflow, QStringLiteral("Overflow"));
    return result;
}

// The pane re-layout goes on past a statement that fails, so one awkward
// control cannot leave the panes half moved.
template <typename F> void Attempt(F&& statement) {
    try {
        statement();
    } catch (const std::exception&) {
    }
}

} // namespace

CAnchor::CAnchor(QObject* parent) : QObject(parent) {}

CAnchor::~CAnchor() {
    // Ending the subscriptions must not throw out of a destructor, whatever
    // state the window or the bars are in by now.
    if (mvarOwnerForm)
        Attempt([&] { mvarOwnerForm->setResizeHandler({}); });
    if (mvarMDIForm)
        Attempt([&] { mvarMDIForm->setResizeHandler({}); });
    if (mvarVSplitters)
        Attempt([&] { mvarVSplitters->setMouseHandler({}); });
    if (mvarHSplitters)
        Attempt([&] { mvarHSplitters->setMouseHandler({}); });
}

void CAnchor::Create(const std::shared_ptr<IAnchorWindow>& objOwnerForm, bool fIsMDIForm) {
    if (!objOwnerForm)
        throw CError(QStringLiteral("The layout needs a window to bind to."));
    if (mvarOwnerForm || mvarMDIForm)
        throw CError(QStringLiteral("The layout is already bound to a window."));
    (void)objOwnerForm->Name();
    objOwnerForm->setResizeHandler([this] { Layout(); });
    if (fIsMDIForm)
        mvarMDIForm = objOwnerForm;
    else
        mvarOwnerForm = objOwnerForm;
    m_formLeft = objOwnerForm->Left();
    m_formTop = objOwnerForm->Top();
    m_formWidth = objOwnerForm->Width();
    m_formHeight = objOwnerForm->ScaleHeight();
}

void CAnchor::Add(const std::shared_ptr<IAnchorControl>& objControl, int Alignments,
                  int SplitBarResonse) {
    if (!objControl)
        throw CError(QStringLiteral("The layout cannot anchor a missing control."));
    ControlEntry e;
    e.Control = objControl;
    switch (Alignments) {
    case 0:
        e.AnchorLeft = e.AnchorTop = true;
        break;
    case 1:
        e.AnchorLeft = e.AnchorRight = e.AnchorTop = true;
        break;
    case 2:
        e.AnchorLeft = e.AnchorRight = e.AnchorBottom = true;
        break;
    case 3:
        e.AnchorLeft = e.AnchorTop = e.AnchorBottom = true;
        break;
    case 4:
        e.AnchorRight = e.AnchorTop = e.AnchorBottom = true;
        break;
    case 5:
        e.AnchorLeft = e.AnchorBottom = true;
        break;
    case 6:
        e.AnchorRight = e.AnchorTop = true;
        break;
    case 7:
        e.AnchorRight = e.AnchorBottom = true;
        break;
    case 8:
        e.AnchorLeft = e.AnchorRight = e.AnchorTop = e.AnchorBottom = true;
        break;
    default:
        break;
    }
    switch (SplitBarResonse) {
    case 1:
        e.FollowHSplit = true;
        break;
    case 2:
        e.FollowVSplit = true;
        break;
    case 3:
        e.FollowHSplit = e.FollowVSplit = true;
        break;
    default:
        break;
    }
    e.Left = objControl->Left();
    e.Height = objControl->Height();
    e.Top = objControl->Top();
    e.Width = objControl->Width();
    e.ShowAfterMove = objControl->Visible();
    m_entries.push_back(std::move(e));
}

IAnchorWindow* CAnchor::BoundWindow() const {
    if (mvarOwnerForm)
        return mvarOwnerForm.get();
    return mvarMDIForm.get();
}

void CAnchor::Layout() {
    IAnchorWindow* window = BoundWindow();
    if (window && window->WindowState() != IAnchorWindow::Minimized) {
        // Snapping the size back raises another resize, which does the layout.
        if (window->Width() < m_minWidth)
            window->setWidth(m_minWidth);
        else if (window->Height() < m_minHeight)
            window->setHeight(m_minHeight);
        else
            LayoutControls();
    }
    if (mvarOwnerForm)
        emit FormResize();
}

void CAnchor::LayoutControls() {
    IAnchorWindow* window = BoundWindow();
    const int width = window->Width();
    const int height = window->ScaleHeight();
    const int dx = Sub32(width, m_formWidth);
    const int dy = Sub32(height, m_formHeight);
    m_formLeft = window->Left();
    m_formTop = window->Top();
    m_formWidth = width;
    m_formHeight = height;

    for (qsizetype i = 0; i < m_entries.size(); ++i) {
        ControlEntry& e = m_entries[i];
        const int dLeft = e.AnchorLeft ? 0 : dx;
        const int dRight = e.AnchorRight ? dx : 0;
        const int dTop = e.AnchorTop ? 0 : dy;
        const int dBottom = e.AnchorBottom ? dy : 0;
        e.Left = Add32(e.Left, dLeft);
        e.Top = Add32(e.Top, dTop);
        e.Width = Add32(e.Width, Sub32(dRight, dLeft));
        e.Height = Add32(e.Height, Sub32(dBottom, dTop));

        const std::shared_ptr<IAnchorControl> control = e.Control;
        if (e.Width <= kSmallest || e.Height <= kSmallest) {
            // Too small to be of use; shown again once it has room.
            control->setVisible(false);
            m_entries[i].ShowAfterMove = true;
            continue;
        }
        const int left = e.Left;
        const int top = e.Top;
        const int w = e.Width;
        const int h = e.Height;
        const bool show = e.ShowAfterMove;
        if (control->TypeName().compare(QLatin1String("ComboBox"), Qt::CaseInsensitive) == 0) {
            // A combo box picks its own height; an editable one would otherwise
            // keep its text selected after every resize.
            control->Move(left, top, w, std::nullopt);
            if (control->Style() == 0)
                control->setSelStart(0);
        } else {
            control->Move(left, top, w, h);
        }
        if (show)
            control->setVisible(true);
    }

    if (mvarVSplitters)
        emit RepositionLeft(static_cast<float>(mvarVSplitters->Left()));
    if (mvarHSplitters)
        emit RepositionTop(static_cast<float>(mvarHSplitters->Top()));
}

void CAnchor::Subscribe(const std::shared_ptr<IAnchorControl>& image) {
    IAnchorControl* raw = image.get();
    raw->setMouseHandler([this, raw](IAnchorControl::MouseAction action, int button, int x, int y) {
        switch (action) {
        case IAnchorControl::MouseAction::Press:
            SplitterMouseDown(*raw, button, x, y);
            break;
        case IAnchorControl::MouseAction::Move:
            SplitterMouseMove(*raw, button, x, y);
            break;
        case IAnchorControl::MouseAction::Release:
            SplitterMouseUp(*raw, button, x, y);
            break;
        }
    });
}

void CAnchor::AddSplitter(const std::shared_ptr<IAnchorControl>& imgSplitter,
                          const std::shared_ptr<IAnchorControl>& picSplitter, int fDirection) {
    if (!imgSplitter || !picSplitter)
        throw CError(QStringLiteral("A splitter needs its bar image and its drag bar."));
    Splitter s;
    s.Name = imgSplitter->Name();
    s.Direction = fDirection;
    s.Image = imgSplitter;
    s.DragBar = picSplitter;
    m_splitters.push_back(s);

    // Only the latest splitter of each direction listens to the mouse.
    if (fDirection == 1) {
        if (mvarVSplitters && mvarVSplitters != imgSplitter && mvarVSplitters != mvarHSplitters)
            mvarVSplitters->setMouseHandler({});
        mvarVSplitters = imgSplitter;
        Subscribe(imgSplitter);
        Add(imgSplitter, 3, 3);
        picSplitter->setLeft(imgSplitter->Left());
    } else {
        if (mvarHSplitters && mvarHSplitters != imgSplitter && mvarHSplitters != mvarVSplitters)
            mvarHSplitters->setMouseHandler({});
        mvarHSplitters = imgSplitter;
        Subscribe(imgSplitter);
        Add(imgSplitter, 1, 3);
        picSplitter->setTop(imgSplitter->Top());
    }
    m_dragStartLeft = imgSplitter->Left();
    m_dragStartTop = imgSplitter->Top();
}

int CAnchor::FindSplitter(const IAnchorControl& image) const {
    const QString name = image.Name();
    int found = -1;
    for (qsizetype i = 0; i < m_splitters.size(); ++i) {
        if (m_splitters[i].Image->Name() == name)
            found = static_cast<int>(i);
    }
    if (found < 0)
        throw CError(kSubscriptOutOfRange,
                     QStringLiteral("Subscript out of range: no splitter named \"%1\".").arg(name));
    return found;
}

void CAnchor::SplitterMouseDown(IAnchorControl& image, int /*button*/, int /*x*/, int /*y*/) {
    const Splitter& s = m_splitters[FindSplitter(image)];
    s.DragBar->Move(image.Left(), image.Top(), image.Width(), image.Height());
    s.DragBar->setVisible(true);
    s.DragBar->BringToFront();
    m_dragging = true;
    m_dragStartLeft = image.Left();
    m_dragStartTop = image.Top();
}

void CAnchor::SplitterMouseMove(IAnchorControl& image, int /*button*/, int x, int y) {
    IAnchorWindow* window = BoundWindow();
    if (!window)
        return;
    const int rightLimit = Sub32(window->ScaleWidth(), m_limitRight);
    const int bottomLimit = Sub32(window->ScaleHeight(), m_limitBottom);
    const Splitter& s = m_splitters[FindSplitter(image)];
    if (!m_dragging)
        return;
    if (s.Direction == 1) {
        const int p = Add32(image.Left(), x);
        if (p <= m_limitLeft)
            s.DragBar->setLeft(m_limitLeft);
        else if (p >= rightLimit)
            s.DragBar->setLeft(rightLimit);
        else
            s.DragBar->setLeft(p);
    } else {
        const int p = Add32(image.Top(), y);
        if (p <= m_limitTop)
            s.DragBar->setTop(m_limitTop);
        else if (p >= bottomLimit)
            s.DragBar->setTop(bottomLimit);
        else
            s.DragBar->setTop(p);
    }
}

void CAnchor::SplitterMouseUp(IAnchorControl& image, int /*button*/, int /*x*/, int /*y*/) {
    // A release without a press on the bar (the press went elsewhere) is no drag.
    if (!m_dragging)
        return;
    const int k = FindSplitter(image);
    const Splitter s = m_splitters[k];
    m_dragging = false;
    const int delta = s.Direction == 1 ? Sub32(Sub32(s.DragBar->Left(), m_dragStartLeft), kDragGrip)
                                       : Sub32(Sub32(s.DragBar->Top(), m_dragStartTop), kDragGrip);
    RelayPanes(k, delta);
    s.DragBar->setVisible(false);
    if (s.Direction == 1)
        emit RepositionLeft(static_cast<float>(s.Image->Left()));
    else
        emit RepositionTop(static_cast<float>(s.Image->Top()));
}

void CAnchor::SplitterRefresh(const IAnchorControl& imgSplitter, int NewPosition) {
    const int k = FindSplitter(imgSplitter);
    const int delta = m_splitters[k].Direction == 1 ? Sub32(NewPosition, imgSplitter.Left())
                                                    : Sub32(NewPosition, imgSplitter.Top());
    RelayPanes(k, delta);
}

void CAnchor::setSplitterLeft(int value) {
    m_splitterLeft = value;
    if (mvarVSplitters)
        SplitterRefresh(*mvarVSplitters, value);
}

void CAnchor::setSplitterTop(int value) {
    m_splitterTop = value;
    if (mvarHSplitters)
        SplitterRefresh(*mvarHSplitters, value);
}

void CAnchor::RelayPanes(int index, int delta) {
    const Splitter s = m_splitters[index];
    IAnchorControl& image = *s.Image;
    const bool vertical = s.Direction == 1;
    int L0 = 0;
    int T0 = 0;
    Attempt([&] { L0 = image.Left(); });
    Attempt([&] { T0 = image.Top(); });
    if (vertical)
        Attempt([&] { image.setLeft(Add32(L0, delta)); });
    else
        Attempt([&] { image.setTop(Add32(T0, delta)); });

    for (qsizetype i = 0; i < m_entries.size(); ++i) {
        const ControlEntry e = m_entries[i];
        IAnchorControl& c = *e.Control;
        if (vertical)
            Attempt([&] { RelayBesideVertical(s, e, L0, delta); });
        else
            Attempt([&] { RelayBesideHorizontal(s, e, T0, delta); });
        // The engine adds differences to what it stored, so it must learn
        // where the splitter left every control.
        ControlEntry& stored = m_entries[i];
        Attempt([&] { stored.Left = c.Left(); });
        Attempt([&] { stored.Height = c.Height(); });
        Attempt([&] { stored.Top = c.Top(); });
        Attempt([&] { stored.Width = c.Width(); });
    }
}

void CAnchor::RelayBesideVertical(const Splitter& s, const ControlEntry& e, int L0, int delta) {
    IAnchorControl& image = *s.Image;
    IAnchorControl& c = *e.Control;
    if (c.Name() == s.Name)
        return;
    const bool beside = c.Top() >= Sub32(image.Top(), kExtentSlack) &&
                        c.Height() <= Add32(image.Height(), kExtentSlack);
    if (!e.FollowVSplit && !beside)
        return;
    if (Add32(c.Left(), c.Width()) <= Add32(L0, image.Width())) {
        if (e.FollowVSplit)
            Attempt([&] { c.setWidth(Add32(c.Width(), delta)); });
    } else if (c.Left() > L0) {
        if (e.AnchorLeft)
            Attempt([&] { c.setLeft(Add32(c.Left(), delta)); });
        if (e.FollowVSplit)
            Attempt([&] { c.setWidth(Sub32(c.Width(), delta)); });
    }
}

void CAnchor::RelayBesideHorizontal(const Splitter& s, const ControlEntry& e, int T0, int delta) {
    IAnchorControl& image = *s.Image;
    IAnchorControl& c = *e.Control;
    if (c.Name() == s.Name)
        return;
    const bool beside = c.Left() >= Sub32(image.Left(), kExtentSlack) &&
                        c.Width() <= Add32(image.Width(), kExtentSlack);
    if (!e.FollowHSplit && !beside)
        return;
    if (Add32(c.Top(), c.Height()) <= T0) {
        if (e.FollowHSplit)
            Attempt([&] { c.setHeight(Add32(c.Height(), delta)); });
    } else if (c.Top() > T0) {
        if (e.AnchorTop)
            Attempt([&] { c.setTop(Add32(c.Top(), delta)); });
        if (e.FollowHSplit)
            Attempt([&] { c.setHeight(Sub32(c.Height(), delta)); });
    }
}
