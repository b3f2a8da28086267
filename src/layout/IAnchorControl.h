#pragma once

#include <QString>
#include <functional>
#include <optional>

// What the layout engine needs of a control: its geometry in twips, its
// visibility, one move call, and for combo boxes the style and the selection.
// Splitter images also report mouse presses, moves and releases (positions in
// twips relative to the image). Setters may throw CError when the control
// rejects a value.
class IAnchorControl {
public:
    enum class MouseAction { Press, Move, Release };
    using MouseHandler = std::function<void(MouseAction action, int button, int x, int y)>;

    virtual ~IAnchorControl() = default;

    virtual QString Name() const = 0;
    // The control's kind; "ComboBox" (any case) gets the combo-box treatment.
    virtual QString TypeName() const = 0;

    virtual int Left() const = 0;
    virtual int Top() const = 0;
    virtual int Width() const = 0;
    virtual int Height() const = 0;
    virtual bool Visible() const = 0;

    virtual void setLeft(int left) = 0;
    virtual void setTop(int top) = 0;
    virtual void setWidth(int width) = 0;
    virtual void setHeight(int height) = 0;
    virtual void setVisible(bool visible) = 0;

    // Without a height the control keeps the height it chooses itself.
    virtual void Move(int left, int top, int width, std::optional<int> height) = 0;

    // Combo boxes: 0 is a drop-down combo with an editable text; other values
    // have no text to select. SelStart places the caret and drops the selection.
    virtual int Style() const { return 0; }
    virtual void setSelStart(int /*start*/) {}

    virtual void BringToFront() {}

    // An empty handler ends the subscription. Taken by value: overrides keep it.
    // NOLINTNEXTLINE(performance-unnecessary-value-param)
    virtual void setMouseHandler(MouseHandler /*handler*/) {}
};
