#pragma once

#include "CCliCommand.h"

// `vollo backup FILE`: a consistent copy of the repository, also while the
// window writes.
class CCliBackup : public CCliCommand {
    Q_DECLARE_TR_FUNCTIONS(CCliBackup)
public:
    QString Name() const override { return QStringLiteral("backup"); }
    QString Summary() const override;

protected:
    void Describe(QCommandLineParser& Parser) override;
    int Run(const QCommandLineParser& Parser) override;
};
