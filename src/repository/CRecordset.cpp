#include "CRecordset.h"

#include "CError.h"

#include <utility>

CRecordset::CRecordset(QStringList columns, QList<QVector<QVariant>> rows)
    : m_columns(std::move(columns)), m_rows(std::move(rows)) {}

void CRecordset::MoveNext() {
    if (IsEOF())
        throw CError(QStringLiteral("The recordset has no current row: it is already at its end."));
    ++m_pos;
}

QString CRecordset::FieldName(int index) const {
    if (index < 0 || index >= m_columns.size())
        throw CError(QStringLiteral("The recordset has no column %1.").arg(index));
    return m_columns.at(index);
}

const QVector<QVariant>& CRecordset::CurrentRow() const {
    if (IsEOF())
        throw CError(
            QStringLiteral("The recordset has no current row (no row, or read to its end)."));
    return m_rows.at(m_pos);
}

QVariant CRecordset::Field(int index) const {
    const QVector<QVariant>& row = CurrentRow();
    if (index < 0 || index >= row.size())
        throw CError(QStringLiteral("The recordset has no column %1.").arg(index));
    return row.at(index);
}

QVariant CRecordset::Field(const QString& name) const {
    const QVector<QVariant>& row = CurrentRow();
    for (int i = 0; i < m_columns.size(); ++i) {
        if (m_columns.at(i).compare(name, Qt::CaseInsensitive) == 0)
            return row.at(i);
    }
    throw CError(QStringLiteral("The recordset has no column named \"%1\".").arg(name));
}
