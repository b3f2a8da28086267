#pragma once

#include <QByteArray>
#include <QCoreApplication>
#include <QList>
#include <QString>
#include <QStringList>

// Reads the CSV form of an export (RFC 4180: fields in double quotes may
// hold commas, line breaks and doubled quotes) and hands it on as the JSON
// form, so both forms are merged by the one import. The first line names the
// columns: the path first, then, if named, the fingerprint, then the
// categories, one a column.
class CCsvImport {
    Q_DECLARE_TR_FUNCTIONS(CCsvImport)
public:
    // Whether Data is meant as CSV: the name ends in .csv, or the text is no
    // JSON object and its first line names a path column.
    static bool IsCsv(const QByteArray& Data, const QString& FileName);
    // The records of Data, each a list of fields. Throws CError naming
    // FileName and the line where a quoted field is not closed.
    static QList<QStringList> Records(const QByteArray& Data, const QString& FileName);
    // The export Data stands for, as JSON. Throws CError naming FileName
    // when Data is no CSV export.
    static QByteArray AsJson(const QByteArray& Data, const QString& FileName);
};
