#include "CFirstStart.h"

#include "AM_Vollo.h"
#include "BM_Library.h"
#include "CDocumentWalk.h"
#include "CError.h"
#include "CFileCollector.h"
#include "CLeftOutReport.h"
#include "CRecordset.h"
#include "CStoredText.h"
#include "CVolloDB.h"

#include <QMessageBox>

CFirstStart::CFirstStart(CVolloDB& repository, CDocumentWalk& Walk, CFileCollector& Collector,
                         CLeftOutReport& Report, QWidget* owner)
    : m_repository(repository), m_walk(Walk), m_collector(Collector), m_report(Report),
      m_owner(owner) {}

void CFirstStart::Offer() {
    CRecordset rs = m_repository.RunQuery(QStringLiteral("getFirstStart"));
    // Nothing can be collected into a repository open for reading; the
    // question waits for a start that can.
    if (rs.Field(0).toBool() || m_repository.IsReadOnly())
        return;
    // Asked while the main window is still being built: a dialog over a
    // window not yet shown would sit where that window's corner will be, so
    // it stands alone, in the middle of the screen.
    QWidget* over = m_owner != nullptr && m_owner->isVisible() ? m_owner : nullptr;
    QMessageBox question(QMessageBox::Question, QStringLiteral("Vollo"),
                         CStoredText::Shown(rs.Field(1).toString()),
                         QMessageBox::Ok | QMessageBox::Cancel, over);
    question.setObjectName(QStringLiteral("FirstStartQuestion"));
    // Enter answers OK on every button order, GNOME's (Cancel first) too.
    question.setDefaultButton(QMessageBox::Ok);
    if (question.exec() == QMessageBox::Ok && !CollectDocuments())
        return;
    m_repository.RunQuery(QStringLiteral("setFirstStart"));
}

bool CFirstStart::CollectDocuments() {
    const QString folder = BM_Library::DocumentsFolder(m_owner);
    m_collector.LeftOut().Clear();
    try {
        // An unknown documents folder comes back as the root of the file
        // system, which is no one's documents.
        if (folder != QLatin1String("/"))
            m_walk.Run(folder);
    } catch (const CError& e) {
        // What was collected stays; the question comes again next time,
        // and collecting again finds the documents already there.
        AM_Vollo::ReportError(AM_Vollo::UserText(e), m_owner);
        return false;
    }
    m_report.Report(m_collector.LeftOut());
    return true;
}
