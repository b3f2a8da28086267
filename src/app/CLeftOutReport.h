#pragma once

#include <QPointer>
#include <QSet>
#include <QString>

class CLeftOut;
class QWidget;

// Tells the user, in one box, what a walk, a drop or the recent listing
// could not take.
class CLeftOutReport {
public:
    explicit CLeftOutReport(QWidget* owner);

    void Report(const CLeftOut& leftOut);
    // The desktop's recent list stays as it is between listings: each of its
    // entries, and a list that cannot be read, is told once a session.
    void ReportRecent(const CLeftOut& leftOut);

private:
    QPointer<QWidget> m_owner;
    QSet<QString> m_recentTold; // entries of the recent list told this session
};
