#pragma once

#include <QList>
#include <QStringList>
#include <QVariant>
#include <QVector>

// The in-memory result of one statement: column names and rows of values. It
// can be read again from the first row after reaching the end. Reading a field
// while no row is current throws CError.
class CRecordset {
public:
    CRecordset() = default;
    CRecordset(QStringList columns, QList<QVector<QVariant>> rows);

    bool IsEOF() const { return m_pos >= m_rows.size(); }
    void MoveFirst() { m_pos = 0; }
    void MoveNext();
    int RecordCount() const { return static_cast<int>(m_rows.size()); }
    int FieldCount() const { return static_cast<int>(m_columns.size()); }
    QString FieldName(int index) const;
    const QStringList& Columns() const { return m_columns; }

    // A field of the current row by position (0 is the first column) or by
    // name (letter case ignored).
    QVariant Field(int index) const;
    QVariant Field(const QString& name) const;

private:
    const QVector<QVariant>& CurrentRow() const;

    QStringList m_columns;
    QList<QVector<QVariant>> m_rows;
    qsizetype m_pos = 0;
};
