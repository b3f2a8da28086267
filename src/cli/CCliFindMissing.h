#pragma once

#include "CCliCommand.h"

// `vollo find-missing [--dry-run]`: looks for the documents that moved
// while no window watched, prints old -> new and relinks those found for
// certain.
class CCliFindMissing : public CCliCommand {
    Q_DECLARE_TR_FUNCTIONS(CCliFindMissing)
public:
    QString Name() const override { return QStringLiteral("find-missing"); }
    QString Summary() const override;

protected:
    void Describe(QCommandLineParser& Parser) override;
    int Run(const QCommandLineParser& Parser) override;
};
