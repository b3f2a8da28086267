#include "SqlDialect.h"

#include "CError.h"
#include "JetDate.h"

#include <sqlite3.h>

namespace {

bool IsAsciiLetter(char16_t u) {
    return (u | 0x20) >= u'a' && (u | 0x20) <= u'z';
}

bool IsWordStart(QChar c) {
    const char16_t u = c.unicode();
    if (u < 128)
        return IsAsciiLetter(u) || u == u'_';
    return c.isLetter();
}

bool IsWordChar(QChar c) {
    const char16_t u = c.unicode();
    if (u < 128)
        return IsAsciiLetter(u) || (u >= u'0' && u <= u'9') || u == u'_' || u == u'$';
    return c.isLetterOrNumber();
}

// End (exclusive) of a run delimited by `close` that starts at `from` (the
// opening character), where a doubled closing character stands for itself.
qsizetype DelimitedEnd(const QString& s, qsizetype from, QChar close, bool doubling) {
    qsizetype j = from + 1;
    while (j < s.size()) {
        if (s.at(j) == close) {
            if (doubling && j + 1 < s.size() && s.at(j + 1) == close) {
                j += 2;
                continue;
            }
            return j + 1;
        }
        ++j;
    }
    return -1;
}

qsizetype SkipSpace(const QString& s, qsizetype i) {
    while (i < s.size() && s.at(i).isSpace())
        ++i;
    return i;
}

bool WordAt(const QString& s, qsizetype i, QLatin1StringView word) {
    if (i + word.size() > s.size())
        return false;
    if (QStringView(s).mid(i, word.size()).compare(word, Qt::CaseInsensitive) != 0)
        return false;
    return i + word.size() == s.size() || !IsWordChar(s.at(i + word.size()));
}

bool IsWord(QStringView word, QLatin1StringView name) {
    return word.compare(name, Qt::CaseInsensitive) == 0;
}

// One left-to-right pass over a statement. Each rewrite reads from the
// current position, appends its part of the result and moves past it.
class Translator {
public:
    explicit Translator(const QString& sql) : m_sql(sql), m_n(sql.size()) {
        m_out.reserve(m_n + 16);
    }
    QString Run();

private:
    void ReadStatementKind();
    void DropDeleteStar();
    qsizetype OpaqueEnd(QChar c) const;
    void CopyOpaque(QChar c);
    void RewriteString();
    void RewriteDate();
    void RewriteIdentity();
    void CopyNumber();
    void RewriteWord();
    bool RewriteSetClause(QStringView word, qsizetype end);
    bool RewriteBoolean(QStringView word, qsizetype end);
    void CopyPunctuation(QChar c);

    const QString& m_sql;
    const qsizetype m_n;
    QString m_out;
    qsizetype m_i = 0;
    // Where an UPDATE stands in its SET list; the rewrites of that list apply
    // only there, outside brackets.
    bool m_isUpdate = false;
    QString m_updateTable;
    int m_depth = 0;
    bool m_inSet = false;
    bool m_setDone = false;
    bool m_expectTarget = false;
};

QString Translator::Run() {
    m_i = SkipSpace(m_sql, 0);
    m_out += QStringView(m_sql).left(m_i);
    ReadStatementKind();
    while (m_i < m_n) {
        const QChar c = m_sql.at(m_i);
        const QChar next = m_i + 1 < m_n ? m_sql.at(m_i + 1) : QChar();
        if (c == u'"')
            RewriteString();
        else if (c == u'\'' || c == u'[' || c == u'`' || (c == u'-' && next == u'-') ||
                 (c == u'/' && next == u'*'))
            CopyOpaque(c);
        else if (c == u'#')
            RewriteDate();
        else if (c == u'@' && next == u'@' && WordAt(m_sql, m_i + 2, QLatin1StringView("IDENTITY")))
            RewriteIdentity();
        else if (c.isDigit())
            CopyNumber();
        else if (IsWordStart(c))
            RewriteWord();
        else
            CopyPunctuation(c);
    }
    return m_out;
}

// The statement kind decides the rewrites that only apply to it.
void Translator::ReadStatementKind() {
    if (WordAt(m_sql, m_i, QLatin1StringView("DELETE"))) {
        DropDeleteStar();
    } else if (WordAt(m_sql, m_i, QLatin1StringView("UPDATE"))) {
        m_isUpdate = true;
        const qsizetype t = SkipSpace(m_sql, m_i + 6);
        qsizetype e = t;
        while (e < m_n && IsWordChar(m_sql.at(e)))
            ++e;
        m_updateTable = m_sql.mid(t, e - t);
    }
}

// DELETE * FROM t: SQLite knows no star there.
void Translator::DropDeleteStar() {
    const qsizetype star = SkipSpace(m_sql, m_i + 6);
    if (star >= m_n || m_sql.at(star) != u'*')
        return;
    const qsizetype from = SkipSpace(m_sql, star + 1);
    if (!WordAt(m_sql, from, QLatin1StringView("FROM")))
        return;
    m_out += QStringView(m_sql).mid(m_i, 6);
    m_out += u' ';
    m_i = from;
}

// End of a single-quoted string, a quoted name or a comment; an unclosed one
// runs to the end of the text.
qsizetype Translator::OpaqueEnd(QChar c) const {
    qsizetype e = -1;
    if (c == u'\'') {
        e = DelimitedEnd(m_sql, m_i, u'\'', true);
    } else if (c == u'[') {
        e = DelimitedEnd(m_sql, m_i, u']', false);
    } else if (c == u'`') {
        e = DelimitedEnd(m_sql, m_i, u'`', true);
    } else if (c == u'-') {
        e = m_sql.indexOf(u'\n', m_i);
    } else {
        e = m_sql.indexOf(QStringLiteral("*/"), m_i + 2);
        return e < 0 ? m_n : e + 2;
    }
    return e < 0 ? m_n : e;
}

void Translator::CopyOpaque(QChar c) {
    const qsizetype e = OpaqueEnd(c);
    m_out += QStringView(m_sql).mid(m_i, e - m_i);
    m_i = e;
}

// "text" becomes 'text': a doubled " stands for one, a ' is doubled. An
// unclosed string is left as written.
void Translator::RewriteString() {
    const qsizetype e = DelimitedEnd(m_sql, m_i, u'"', true);
    if (e < 0) {
        m_out += QStringView(m_sql).mid(m_i);
        m_i = m_n;
        return;
    }
    m_out += u'\'';
    for (qsizetype k = m_i + 1; k < e - 1; ++k) {
        const QChar ch = m_sql.at(k);
        if (ch == u'"')
            ++k; // the first of a doubled pair
        else if (ch == u'\'')
            m_out += ch;
        m_out += ch;
    }
    m_out += u'\'';
    m_i = e;
}

// #date# becomes 'YYYY-MM-DD'; a lone # stays.
void Translator::RewriteDate() {
    const qsizetype e = m_sql.indexOf(u'#', m_i + 1);
    if (e < 0) {
        m_out += u'#';
        ++m_i;
        return;
    }
    const QString literal = m_sql.mid(m_i + 1, e - m_i - 1);
    const QString iso = JetDate::ToIso(literal);
    if (iso.isEmpty())
        throw CError(SQLITE_ERROR,
                     QStringLiteral("The date #%1# is in no date form the program reads.\n"
                                    "Statement: %2")
                         .arg(literal, m_sql));
    m_out += u'\'';
    m_out += iso;
    m_out += u'\'';
    m_i = e + 1;
}

void Translator::RewriteIdentity() {
    m_out += QStringLiteral("last_insert_rowid()");
    m_i += 10;
}

void Translator::CopyNumber() {
    qsizetype e = m_i;
    while (e < m_n && (IsWordChar(m_sql.at(e)) || m_sql.at(e) == u'.'))
        ++e;
    m_out += QStringView(m_sql).mid(m_i, e - m_i);
    m_i = e;
    m_expectTarget = false;
}

void Translator::RewriteWord() {
    qsizetype e = m_i;
    while (e < m_n && IsWordChar(m_sql.at(e)))
        ++e;
    const QStringView word = QStringView(m_sql).mid(m_i, e - m_i);
    if (RewriteSetClause(word, e))
        return;
    if (!RewriteBoolean(word, e))
        m_out += word;
    m_expectTarget = false;
    m_i = e;
}

// UPDATE t SET t.col=...: SQLite names the assigned column alone; the table is
// implied. Qualifiers elsewhere, and of other tables, stay.
bool Translator::RewriteSetClause(QStringView word, qsizetype end) {
    if (m_isUpdate && m_depth == 0 && !m_inSet && !m_setDone &&
        IsWord(word, QLatin1StringView("SET"))) {
        m_inSet = true;
        m_expectTarget = true;
        m_out += word;
        m_i = end;
        return true;
    }
    if (m_inSet && m_depth == 0 &&
        (IsWord(word, QLatin1StringView("WHERE")) || IsWord(word, QLatin1StringView("FROM")))) {
        m_inSet = false;
        m_setDone = true;
        m_out += word;
        m_i = end;
        return true;
    }
    if (m_inSet && m_expectTarget && end < m_n && m_sql.at(end) == u'.' &&
        word.compare(m_updateTable, Qt::CaseInsensitive) == 0) {
        m_i = end + 1;
        return true;
    }
    return false;
}

// The bare words True and False become 1 and 0; a column or table of that name
// (qualified by a dot) stays.
bool Translator::RewriteBoolean(QStringView word, qsizetype end) {
    const bool qualified =
        (m_i > 0 && m_sql.at(m_i - 1) == u'.') || (end < m_n && m_sql.at(end) == u'.');
    if (qualified)
        return false;
    if (!IsWord(word, QLatin1StringView("True")) && !IsWord(word, QLatin1StringView("False")))
        return false;
    m_out += word.size() == 4 ? u'1' : u'0';
    return true;
}

// Brackets are counted so that a SET list's end is found outside subqueries.
void Translator::CopyPunctuation(QChar c) {
    if (c == u'(')
        ++m_depth;
    else if (c == u')')
        --m_depth;
    else if (c == u',' && m_inSet && m_depth == 0)
        m_expectTarget = true;
    m_out += c;
    ++m_i;
}

bool StartsDataStatement(const QString& sql) {
    const qsizetype i = SkipSpace(sql, 0);
    for (const char* word : {"SELECT", "INSERT", "UPDATE", "DELETE", "REPLACE", "WITH"}) {
        if (WordAt(sql, i, QLatin1StringView(word)))
            return true;
    }
    return false;
}

} // namespace

namespace SqlDialect {

QString Translate(const QString& sql) {
    return Translator(sql).Run();
}

Shape Parameterize(QString translated) {
    Shape shape;
    shape.translated = std::move(translated);
    const QString& sql = shape.translated;
    shape.text = sql;
    if (!StartsDataStatement(sql))
        return shape;

    const qsizetype n = sql.size();
    QString out;
    out.reserve(n);
    QStringList values;
    qsizetype i = 0;
    while (i < n) {
        const QChar c = sql.at(i);
        const QChar next = i + 1 < n ? sql.at(i + 1) : QChar();
        qsizetype e = -1; // end of a run copied as it stands
        if (c == u'\'') {
            e = DelimitedEnd(sql, i, u'\'', true);
            if (e < 0)
                return shape;
            if (i == 0 || !IsWordChar(sql.at(i - 1))) { // not a blob x'..'
                QString value = sql.mid(i + 1, e - i - 2);
                if (value.contains(u'\''))
                    value.replace(QStringLiteral("''"), QStringLiteral("'"));
                values.append(std::move(value));
                out += u'?';
                i = e;
                continue;
            }
        } else if (c == u'"' || c == u'`') {
            e = DelimitedEnd(sql, i, c, true);
        } else if (c == u'[') {
            e = DelimitedEnd(sql, i, u']', false);
        } else if (c == u'-' && next == u'-') {
            e = sql.indexOf(u'\n', i);
            e = e < 0 ? n : e;
        } else if (c == u'/' && next == u'*') {
            e = sql.indexOf(QStringLiteral("*/"), i + 2);
            e = e < 0 ? n : e + 2;
        } else if (c == u'?' || ((c == u':' || c == u'@' || c == u'$') && IsWordStart(next))) {
            return shape; // parameters of its own: left as written
        } else {
            out += c;
            ++i;
            continue;
        }
        if (e < 0)
            return shape;
        out += QStringView(sql).mid(i, e - i);
        i = e;
    }
    if (!values.isEmpty()) {
        shape.text = std::move(out);
        shape.values = std::move(values);
    }
    return shape;
}

} // namespace SqlDialect
