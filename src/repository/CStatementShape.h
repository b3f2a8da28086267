#pragma once

#include <QList>
#include <QPair>
#include <QString>
#include <QVariant>
#include <optional>

class CDatabase;

// A stored statement run once per file with one placeholder filled anew (the
// file's path): translated once, with that value and every other text literal
// bound as parameters, instead of a new text translated and prepared for
// each file. The value must stand alone between quotes to be bound; where it
// does not, or SQLite takes no parameter there, the filled text runs as
// before.
class CStatementShape {
public:
    CStatementShape() = default;
    // As FillPlaceholders(sql, fixed + {varying, value}) would fill it.
    CStatementShape(const QString& sql, const QString& varying,
                    const QList<QPair<QString, QVariant>>& fixed = {});

    bool IsEmpty() const { return m_sql.isEmpty(); }
    // Whether Text and Values can run in place of Filled on that connection.
    bool Bindable(CDatabase& connection) const;
    // The statement in SQLite's dialect with ? in place of its text literals.
    const QString& Text() const { return m_text; }
    // The parameters of Text for one value, in their order.
    QVariantList Values(const QString& value) const;
    // The statement filled the plain way.
    QString Filled(const QString& value) const;

private:
    QString m_sql;
    QList<QPair<QString, QVariant>> m_fill; // fixed values, then the varying one
    QString m_text;
    QVariantList m_values; // constants, and a null where the value goes
    bool m_shaped = false;
    mutable std::optional<bool> m_accepted;
};
