#pragma once

#include <QString>
#include <QStringList>

// The program's own statement dialect, and the rewriting SQLite needs before it
// reads a statement: "double-quoted" strings become 'single-quoted', #date#
// literals become ISO text, SELECT @@IDENTITY becomes last_insert_rowid(),
// DELETE * FROM loses its star, UPDATE t SET t.col=... loses the qualifier of
// the assigned column, and the bare words True and False become 1 and 0.
// Quoted names, single-quoted strings and comments are never touched.
namespace SqlDialect {

// A translated statement, and the same with its string literals taken out as
// parameters: statements that differ only in their texts (one per registered
// file) then share one prepared form.
struct Shape {
    QString translated;
    QString text;
    QStringList values;
};

// The statement in SQLite's dialect. Throws CError for a date literal in no
// form the program reads.
QString Translate(const QString& sql);

// The translated statement with its string literals as parameters. Texts that
// are no data statement, or that carry parameters of their own, keep `text`
// equal to `translated` and no values.
Shape Parameterize(QString translated);

} // namespace SqlDialect
