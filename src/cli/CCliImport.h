#pragma once

#include "CCliCommand.h"

// `vollo import FILE`: merges an export into the repository.
class CCliImport : public CCliCommand {
    Q_DECLARE_TR_FUNCTIONS(CCliImport)
public:
    QString Name() const override { return QStringLiteral("import"); }
    QString Summary() const override;

protected:
    void Describe(QCommandLineParser& Parser) override;
    int Run(const QCommandLineParser& Parser) override;
};
