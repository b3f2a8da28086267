#pragma once

#include "CCliCommand.h"

#include <QHash>

// `vollo tag CATEGORY FILE...` links files to a category, collecting those
// not collected yet; `vollo untag CATEGORY FILE...` takes them out of it.
class CCliTag : public CCliCommand {
    Q_DECLARE_TR_FUNCTIONS(CCliTag)
public:
    explicit CCliTag(bool Link) : m_link(Link) {}

    QString Name() const override;
    QString Summary() const override;

protected:
    void Describe(QCommandLineParser& Parser) override;
    int Run(const QCommandLineParser& Parser) override;

private:
    // The registered documents among Paths (absolute), by path.
    QHash<QString, qint32> Known(const QStringList& Paths);
    QList<qint32> Collect(const QStringList& Files, bool* AllFound);
    QList<qint32> Registered(const QStringList& Files, bool* AllFound);

    bool m_link;
};
