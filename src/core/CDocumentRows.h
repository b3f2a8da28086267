#pragma once

#include "CDocumentQuery.h"

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

class CVolloDB;

// What a reader outside the window sees of each document: where it is, its
// categories by name, and its size, time and fingerprint.
class CDocumentRows {
public:
    struct Row {
        qint32 FileID = 0;
        QString Shortcut;
        QString Path; // the document; the stored path when the shortcut cannot be read
        QStringList Categories;
        qint64 Size = 0;
        qint64 Modified = 0; // nanoseconds since the epoch
        quint64 Fingerprint = 0;
        bool Missing = false;
    };

    explicit CDocumentRows(CVolloDB& repository);

    // The rows of Files in their order. Size and time are read from the
    // document; WithFingerprint takes the stored fingerprint, or reads the
    // document when none is stored.
    QList<Row> Rows(const CDocumentQuery::FileList& Files, bool WithFingerprint);
    // The document a shortcut stands for; empty when the shortcut is unreadable.
    static QString DocumentOf(const QString& Shortcut);
    // The user categories, ID -> name, in the order of their IDs.
    QList<std::pair<qint32, QString>> Categories();

private:
    QHash<qint32, QList<qint32>> LinksOf(const CDocumentQuery::FileList& Files);

    CVolloDB& m_repository;
};
