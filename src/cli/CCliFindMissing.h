#pragma once

#include "CCliCommand.h"
#include "CMoveRepair.h"

// `vollo find-missing [--dry-run]`: looks for the documents that moved while
// nobody watched and re-points the shortcuts of those found for certain,
// printing "old → new" for each. Documents with more than one possible new
// place, and those not found, are named on stderr and left as they are.
class CCliFindMissing : public CCliCommand {
    Q_DECLARE_TR_FUNCTIONS(CCliFindMissing)
public:
    QString Name() const override { return QStringLiteral("find-missing"); }
    QString Summary() const override;

protected:
    void Describe(QCommandLineParser& Parser) override;
    int Run(const QCommandLineParser& Parser) override;

private:
    // Re-points the document's shortcut (unless a dry run) and prints the
    // move; false when the shortcut could not be re-pointed.
    bool Relink(const CMoveRepair::Document& Document, const QString& NewPath);
    // Whether every move could be made.
    bool RelinkAll(const QList<CMoveRepair::Document>& Documents,
                   const QList<CMoveRepair::Move>& Moves);
    void TellLeft(const QList<CMoveRepair::Document>& Documents, const QList<qsizetype>& Missing,
                  const QList<CMoveMatcher::Outcome>& Outcomes);

    bool m_dryRun = false;
    qsizetype m_relinked = 0;
};
