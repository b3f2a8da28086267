#pragma once

#include "CCliCommand.h"

// `vollo check [--repair]`: the repository's integrity, and its shortcuts
// against its rows. Changes nothing unless --repair is given.
class CCliCheck : public CCliCommand {
    Q_DECLARE_TR_FUNCTIONS(CCliCheck)
public:
    QString Name() const override { return QStringLiteral("check"); }
    QString Summary() const override;

protected:
    void Describe(QCommandLineParser& Parser) override;
    int Run(const QCommandLineParser& Parser) override;
};
