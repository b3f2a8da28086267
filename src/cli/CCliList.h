#pragma once

#include "CCliCommand.h"

// `vollo list [QUERY]`: the documents a query names, one path a line, NUL
// separated with -0, or as JSON objects with --json.
class CCliList : public CCliCommand {
    Q_DECLARE_TR_FUNCTIONS(CCliList)
public:
    QString Name() const override { return QStringLiteral("list"); }
    QString Summary() const override;

protected:
    void Describe(QCommandLineParser& Parser) override;
    int Run(const QCommandLineParser& Parser) override;

private:
    void PrintJson(const QString& Query);
};
