#include "CStatementShape.h"

#include "CDatabase.h"
#include "CError.h"
#include "Placeholders.h"
#include "SqlDialect.h"

namespace {

// Two noncharacters: no path or stored statement holds them, and the
// translation copies string literals as they stand.
const QString kMarker = QStringLiteral("\uFDD0\uFDD1");

} // namespace

CStatementShape::CStatementShape(const QString& sql, const QString& varying,
                                 const QList<QPair<QString, QVariant>>& fixed)
    : m_sql(sql), m_fill(fixed) {
    m_fill.append({varying, QString()});
    if (sql.contains(kMarker.at(0)))
        return;
    QList<QPair<QString, QVariant>> marked = m_fill;
    marked.last().second = kMarker;
    SqlDialect::Shape shape;
    try {
        shape = SqlDialect::Parameterize(SqlDialect::Translate(FillPlaceholders(sql, marked)));
    } catch (const CError&) {
        return; // the filled text fails the same way, where it is told
    }
    if (shape.values.isEmpty() || shape.text.contains(kMarker.at(0)))
        return;
    bool found = false;
    for (const QString& literal : std::as_const(shape.values)) {
        if (literal == kMarker) {
            m_values.append(QVariant());
            found = true;
        } else if (literal.contains(kMarker.at(0))) {
            return; // the value is part of a longer text
        } else {
            m_values.append(literal);
        }
    }
    m_text = shape.text;
    m_shaped = found;
}

bool CStatementShape::Bindable(CDatabase& connection) const {
    if (!m_shaped)
        return false;
    if (!m_accepted)
        m_accepted = connection.ParameterCount(m_text) == m_values.size();
    return *m_accepted;
}

QVariantList CStatementShape::Values(const QString& value) const {
    QVariantList values = m_values;
    for (QVariant& v : values) {
        if (v.isNull())
            v = value;
    }
    return values;
}

QString CStatementShape::Filled(const QString& value) const {
    QList<QPair<QString, QVariant>> fill = m_fill;
    fill.last().second = value;
    return FillPlaceholders(m_sql, fill);
}
