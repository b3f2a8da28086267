#include "CWidgetAnchorControl.h"

#include "CError.h"

#include <QComboBox>
#include <QEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QWidget>
#include <cmath>
#include <exception>

namespace {
constexpr int kInvalidPropertyValue = 380;
} // namespace

int CWidgetAnchorControl::ToPixels(int twips) {
    return static_cast<int>(std::lround(static_cast<double>(twips) / TwipsPerPixel));
}

CWidgetAnchorControl::CWidgetAnchorControl(QWidget* widget) : m_widget(widget) {
    if (!widget)
        throw CError(kObjectGone, QStringLiteral("Object required: no widget to anchor."));
}

CWidgetAnchorControl::~CWidgetAnchorControl() {
    if (m_widget)
        m_widget->removeEventFilter(this);
}

QWidget* CWidgetAnchorControl::Alive() const {
    if (!m_widget)
        throw CError(kObjectGone, QStringLiteral("The anchored control no longer exists."));
    return m_widget;
}

QString CWidgetAnchorControl::Name() const {
    return Alive()->objectName();
}

QString CWidgetAnchorControl::TypeName() const {
    QWidget* w = Alive();
    if (qobject_cast<QComboBox*>(w))
        return QStringLiteral("ComboBox");
    return QString::fromLatin1(w->metaObject()->className());
}

int CWidgetAnchorControl::Left() const {
    return ToTwips(Alive()->x());
}
int CWidgetAnchorControl::Top() const {
    return ToTwips(Alive()->y());
}
int CWidgetAnchorControl::Width() const {
    return ToTwips(Alive()->width());
}
int CWidgetAnchorControl::Height() const {
    return ToTwips(Alive()->height());
}
bool CWidgetAnchorControl::Visible() const {
    return !Alive()->isHidden();
}

void CWidgetAnchorControl::setLeft(int left) {
    QWidget* w = Alive();
    w->move(ToPixels(left), w->y());
}

void CWidgetAnchorControl::setTop(int top) {
    QWidget* w = Alive();
    w->move(w->x(), ToPixels(top));
}

void CWidgetAnchorControl::setWidth(int width) {
    QWidget* w = Alive();
    if (width < 0)
        throw CError(kInvalidPropertyValue,
                     QStringLiteral("Invalid property value: width %1").arg(width));
    w->resize(ToPixels(width), w->height());
}

void CWidgetAnchorControl::setHeight(int height) {
    QWidget* w = Alive();
    if (height < 0)
        throw CError(kInvalidPropertyValue,
                     QStringLiteral("Invalid property value: height %1").arg(height));
    w->resize(w->width(), ToPixels(height));
}

void CWidgetAnchorControl::setVisible(bool visible) {
    Alive()->setVisible(visible);
}

void CWidgetAnchorControl::Move(int left, int top, int width, std::optional<int> height) {
    QWidget* w = Alive();
    if (width < 0 || (height && *height < 0))
        throw CError(kInvalidPropertyValue, QStringLiteral("Invalid property value: size"));
    w->setGeometry(ToPixels(left), ToPixels(top), ToPixels(width),
                   height ? ToPixels(*height) : w->height());
}

int CWidgetAnchorControl::Style() const {
    // 0 is a combo with an editable text, 2 a plain drop-down list.
    if (auto* combo = qobject_cast<QComboBox*>(Alive()))
        return combo->isEditable() ? 0 : 2;
    return 0;
}

void CWidgetAnchorControl::setSelStart(int start) {
    if (auto* combo = qobject_cast<QComboBox*>(Alive())) {
        if (QLineEdit* edit = combo->lineEdit()) {
            edit->deselect();
            edit->setCursorPosition(start);
        }
    }
}

void CWidgetAnchorControl::BringToFront() {
    Alive()->raise();
}

void CWidgetAnchorControl::setMouseHandler(MouseHandler handler) {
    // A widget that is gone has no events left to deliver or to unsubscribe.
    QWidget* w = m_widget;
    const bool had = static_cast<bool>(m_mouseHandler);
    m_mouseHandler = std::move(handler);
    if (w && m_mouseHandler && !had)
        w->installEventFilter(this);
    else if (w && !m_mouseHandler && had)
        w->removeEventFilter(this);
}

bool CWidgetAnchorControl::eventFilter(QObject* watched, QEvent* event) {
    if (watched != m_widget || !m_mouseHandler)
        return QObject::eventFilter(watched, event);
    MouseAction action;
    switch (event->type()) {
    case QEvent::MouseButtonPress:
        action = MouseAction::Press;
        break;
    case QEvent::MouseMove:
        action = MouseAction::Move;
        break;
    case QEvent::MouseButtonRelease:
        action = MouseAction::Release;
        break;
    default:
        return QObject::eventFilter(watched, event);
    }
    const auto* mouse = static_cast<QMouseEvent*>(event);
    const QPointF pos = mouse->position();
    // Left, right and middle share their values with the classic button codes.
    const int button =
        static_cast<int>(action == MouseAction::Move ? mouse->buttons() : mouse->button());
    const MouseHandler handler = m_mouseHandler;
    try {
        handler(action, button, static_cast<int>(std::lround(pos.x() * TwipsPerPixel)),
                static_cast<int>(std::lround(pos.y() * TwipsPerPixel)));
    } catch (const std::exception& e) {
        // An error ends the mouse event that raised it; Qt's event loop must not see it.
        qWarning("Splitter: %s", e.what());
    }
    return true;
}
