#pragma once

#include "CLeftOut.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QHash>
#include <QString>

class CVolloDB;
class QJsonObject;

// Takes in what CRepositoryExport wrote. A document is found by its path
// first, then by its fingerprint (it may have moved), and collected only when
// neither finds it, so an import never registers a document twice; its
// categories are added to those it has. All in one transaction.
class CRepositoryImport {
    Q_DECLARE_TR_FUNCTIONS(CRepositoryImport)
public:
    struct Result {
        qint32 Collected = 0;  // documents registered by the import
        qint32 Known = 0;      // documents found in the repository
        qint32 Categories = 0; // categories added
        qint32 Links = 0;      // category links added
        qint32 Searches = 0;   // saved searches added
        CLeftOut LeftOut;      // documents that could not be collected
    };

    explicit CRepositoryImport(CVolloDB& repository);

    // Throws CError naming FileName when Data is no export, and repository
    // errors; nothing is changed then.
    Result Import(const QByteArray& Data, const QString& FileName);

private:
    struct Known {
        QHash<QString, qint32> byPath;
        QHash<quint64, qint32> byFingerprint; // 0 where two documents share one
    };
    Known ReadKnown();
    void Merge(const QJsonObject& root, Result& result);
    // Adds the saved searches whose names the repository does not have yet.
    void MergeSearches(const QJsonObject& root, Result& result);

    CVolloDB& m_repository;
};
