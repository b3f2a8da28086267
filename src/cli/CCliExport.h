#pragma once

#include "CCliCommand.h"

// `vollo export [--format json|csv] [FILE]`: the categories, documents and
// saved searches, to FILE or stdout.
class CCliExport : public CCliCommand {
    Q_DECLARE_TR_FUNCTIONS(CCliExport)
public:
    QString Name() const override { return QStringLiteral("export"); }
    QString Summary() const override;

protected:
    void Describe(QCommandLineParser& Parser) override;
    int Run(const QCommandLineParser& Parser) override;
};
