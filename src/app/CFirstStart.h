#pragma once

class CDocumentWalk;
class CFileCollector;
class CLeftOutReport;
class CVolloDB;
class QWidget;

// The first start of a new repository: asks once whether to collect the
// user's documents folder and walks it when the user agrees. The question
// is not asked again, whichever the answer, unless the walk failed.
class CFirstStart {
public:
    CFirstStart(CVolloDB& repository, CDocumentWalk& Walk, CFileCollector& Collector,
                CLeftOutReport& Report, QWidget* owner);

    // Asks when the repository has not asked yet; a walk's error is shown
    // and what was collected stays.
    void Offer();

private:
    // Collects the documents folder; false when an error was shown.
    bool CollectDocuments();

    CVolloDB& m_repository;
    CDocumentWalk& m_walk;
    CFileCollector& m_collector;
    CLeftOutReport& m_report;
    QWidget* m_owner;
};
