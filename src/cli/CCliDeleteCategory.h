#pragma once

#include "CCliCommand.h"

// `vollo delete-category NAME`: asks on a terminal unless --yes; without a
// terminal to ask on, --yes is required.
class CCliDeleteCategory : public CCliCommand {
    Q_DECLARE_TR_FUNCTIONS(CCliDeleteCategory)
public:
    QString Name() const override { return QStringLiteral("delete-category"); }
    QString Summary() const override;

protected:
    void Describe(QCommandLineParser& Parser) override;
    int Run(const QCommandLineParser& Parser) override;

private:
    bool Confirm(const QString& Category, qint32 Count);
};
