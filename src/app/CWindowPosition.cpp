#include "CWindowPosition.h"

#include "CRecordset.h"
#include "CVolloDB.h"
#include "CWidgetAnchorControl.h"
#include "CWindowPlacement.h"
#include "Placeholders.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

namespace {

int Px(int twips) {
    return CWidgetAnchorControl::ToPixels(twips);
}

int Twips(int pixels) {
    return CWidgetAnchorControl::ToTwips(pixels);
}

} // namespace

CWindowPosition::CWindowPosition(CVolloDB& repository) : m_repository(repository) {}

QSize CWindowPosition::Load(QWidget& window) {
    CRecordset rs = m_repository.RunQuery(QStringLiteral("getMyPos"));
    const int nLeft = rs.Field(QStringLiteral("nLeft")).toInt();
    const int nTop = rs.Field(QStringLiteral("nTop")).toInt();
    const int nWidth = rs.Field(QStringLiteral("nWidth")).toInt();
    const int nHeight = rs.Field(QStringLiteral("nHeight")).toInt();
    if (nLeft <= 0 && nTop <= 0 && nWidth <= 0 && nHeight <= 0) {
        // On a screen smaller than the design the window takes the whole area,
        // less the frame the window manager adds: its status line in view.
        const QRect available = window.screen()->availableGeometry();
        const QRect first =
            CWindowPlacement::Restored(CWindowPlacement::FirstGeometry(available, window.size()),
                                       available, CWindowPlacement::Decoration(window));
        if (CWindowPlacement::CanPlace())
            window.move(first.topLeft());
        return first.size();
    }
    QPoint at = window.pos();
    if (nLeft > 0)
        at.setX(Px(nLeft));
    if (nTop > 0)
        at.setY(Px(nTop));
    const QSize size(nWidth > 0 ? Px(nWidth) : window.width(),
                     nHeight > 0 ? Px(nHeight) : window.height());
    // Saved on a larger screen, or at a smaller scale or font, the window
    // would run past the screen's edges with its search field and status
    // line out of reach.
    QScreen* screen = QGuiApplication::screenAt(QRect(at, size).center());
    if (screen == nullptr)
        screen = window.screen();
    const QRect placed = CWindowPlacement::Restored(QRect(at, size), screen->availableGeometry(),
                                                    CWindowPlacement::Decoration(window));
    if (CWindowPlacement::CanPlace())
        window.move(placed.topLeft());
    return QSize(nWidth > 0 || placed.width() != size.width() ? placed.width() : -1,
                 nHeight > 0 || placed.height() != size.height() ? placed.height() : -1);
}

void CWindowPosition::Save(const QWidget& window) {
    if (window.windowState() & (Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen))
        return;
    QPoint at(Twips(window.x()), Twips(window.y()));
    if (!CWindowPlacement::CanPlace()) {
        // The place stored where the program could place itself stays.
        CRecordset rs = m_repository.RunQuery(QStringLiteral("getMyPos"));
        at = QPoint(rs.Field(0).toInt(), rs.Field(1).toInt());
    }
    m_repository.RunSQL(FillPlaceholders(m_repository.GetQuery(QStringLiteral("setMyPos")),
                                         {{QStringLiteral("%leftPos"), at.x()},
                                          {QStringLiteral("%topPos"), at.y()},
                                          {QStringLiteral("%widthPos"), Twips(window.width())},
                                          {QStringLiteral("%heightPos"), Twips(window.height())}}));
}
