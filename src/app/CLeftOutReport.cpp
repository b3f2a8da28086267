#include "CLeftOutReport.h"

#include "AM_Vollo.h"
#include "CLeftOut.h"
#include "CVolloDB.h"

#include <QMessageBox>
#include <QWidget>

using AM_Vollo::gRepository;

CLeftOutReport::CLeftOutReport(QWidget* owner) : m_owner(owner) {}

void CLeftOutReport::Report(const CLeftOut& leftOut) {
    // With the data folder gone every document fails for that one reason,
    // which the user is told on its own.
    if (leftOut.IsEmpty() || (gRepository != nullptr && gRepository->IsGone()))
        return;
    QMessageBox box(QMessageBox::Warning, QStringLiteral("Vollo"), leftOut.Summary(),
                    QMessageBox::Ok, m_owner);
    box.setObjectName(QStringLiteral("LeftOutReport"));
    box.exec();
}

void CLeftOutReport::ReportRecent(const CLeftOut& leftOut) {
    CLeftOut fresh;
    for (const CLeftOut::Item& item : leftOut.Items()) {
        if (!m_recentTold.contains(item.Path)) {
            m_recentTold.insert(item.Path);
            fresh.Add(item.Path, item.Reason);
        }
    }
    Report(fresh);
}
