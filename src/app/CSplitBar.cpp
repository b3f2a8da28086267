#include "CSplitBar.h"

#include "CAnchor.h"
#include "CError.h"
#include "CRecordset.h"
#include "CVolloDB.h"
#include "CWidgetAnchorControl.h"
#include "CWindowPlacement.h"
#include "Placeholders.h"

#include <QFrame>
#include <QWidget>
#include <algorithm>

namespace {

int Px(int twips) {
    return CWidgetAnchorControl::ToPixels(twips);
}

} // namespace

CSplitBar::CSplitBar(QWidget* window)
    : QObject(window), m_window(window), m_bar(new QWidget(window)), m_shadow(new QFrame(window)) {
    m_bar->setObjectName(QStringLiteral("SplitBar"));
    m_bar->setCursor(Qt::SplitHCursor);
    m_shadow->setObjectName(QStringLiteral("SplitDragBar"));
    m_shadow->setFrameShape(QFrame::NoFrame);
    m_shadow->setAutoFillBackground(true);
    // The shadow follows the pointer in the button-shadow colour until the
    // release moves the panes.
    QPalette p = m_shadow->palette();
    p.setColor(QPalette::Window, p.color(QPalette::Dark));
    m_shadow->setPalette(p);
    m_shadow->hide();
}

CSplitBar::~CSplitBar() = default;

void CSplitBar::Place(int left, int top, int width, int height) {
    m_bar->setGeometry(Px(left), Px(top), Px(width), Px(height));
    m_shadow->setGeometry(m_bar->geometry());
}

void CSplitBar::Bind(CAnchor& anchor) {
    m_anchor = &anchor;
    m_barControl = CWidgetAnchorControl::Wrap(m_bar);
    anchor.AddSplitter(m_barControl, CWidgetAnchorControl::Wrap(m_shadow), 1);
    anchor.setSplitterLimitLeft(LimitLeft);
    anchor.setSplitterLimitRight(LimitRight);
    m_minWidth = anchor.MinWidth();
    connect(&anchor, &CAnchor::RepositionLeft, this, &CSplitBar::KeepRoom);
}

void CSplitBar::KeepRoom() {
    const int least = std::max(m_minWidth, Position() + Grip + LimitRight);
    const int room = CWidgetAnchorControl::ToTwips(
        CWindowPlacement::SetMinimum(*m_window, QSize(Px(least), m_window->minimumHeight()))
            .width());
    m_anchor->setMinWidth(std::min(least, room));
    // On a screen too narrow for the bar's place the bar gives way, so that
    // the lists keep their room in a window that fits the screen.
    if (room < least && Position() > LimitLeft)
        MoveTo(std::max(LimitLeft - Grip, room - Grip - LimitRight));
}

int CSplitBar::Position() const {
    return CWidgetAnchorControl::ToTwips(m_bar->x());
}

int CSplitBar::Clamped(int left) const {
    const int right = CWidgetAnchorControl::ToTwips(m_window->width()) - LimitRight - Grip;
    return std::max(LimitLeft - Grip, std::min(left, right));
}

void CSplitBar::MoveTo(int left) {
    if (m_anchor == nullptr)
        return;
    const int wanted = Clamped(left);
    if (wanted != Position())
        m_anchor->SplitterRefresh(*m_barControl, wanted);
    KeepRoom();
}

bool CSplitBar::Restore(CVolloDB& repository, int Fallback) {
    int stored = 0;
    try {
        stored = repository.RunQuery(QStringLiteral("getSplitter")).Field(0).toInt();
    } catch (const CError&) {
        return false;
    }
    if (stored > 0) {
        MoveTo(stored);
        return false;
    }
    if (Fallback > Position())
        MoveTo(Fallback);
    return true;
}

void CSplitBar::Save(CVolloDB& repository) const {
    QString sql;
    try {
        sql = repository.GetQuery(QStringLiteral("setSplitter"));
    } catch (const CError&) {
        return;
    }
    repository.RunSQL(FillPlaceholders(sql, {{QStringLiteral("%splitterLeft"), Position()}}));
}
