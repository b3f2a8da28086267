#include "CQueryParser.h"

#include "CQueryError.h"
#include "TC_TextCompare.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QRegularExpression>
#include <QTimeZone>

#include <cmath>
#include <limits>

namespace {

using Node = CQueryNode;
using NodePtr = std::unique_ptr<CQueryNode>;

QString Tr(const char* text) {
    return QCoreApplication::translate("CQueryParser", text);
}

// Deeper nesting than any person writes; it keeps the recursion (and the
// statement made from the tree) within bounds whatever the input.
constexpr int kMaxDepth = 64;
constexpr int kMaxTerms = 200;

enum class Tok { Word, Open, Close, And, Or, Not, End };

struct Token {
    Tok kind = Tok::End;
    int position = 0;
    QString text;
    bool quoted = false;
    // A word written key:value, with where the value starts.
    QString key;
    QString value;
    int valuePosition = -1;
};

Token MakeToken(Tok kind, int position, const QString& text = QString()) {
    Token token;
    token.kind = kind;
    token.position = position;
    token.text = text;
    return token;
}

bool IsOpenQuote(QChar c) {
    return c == u'"' || c == u'「';
}

bool IsBracket(QChar c) {
    return c == u'(' || c == u')' || c == u'（' || c == u'）';
}

bool Ends(QChar c) {
    return c.isSpace() || IsBracket(c) || IsOpenQuote(c);
}

// Text between quotes starting at text[at]; at is left past the closing one.
QString ReadQuoted(const QString& text, int& at) {
    const int start = at;
    const QChar close = text[at] == u'「' ? u'」' : u'"';
    QString inside;
    for (++at; at < text.size(); ++at) {
        if (text[at] != close) {
            inside += text[at];
        } else if (close == u'"' && at + 1 < text.size() && text[at + 1] == u'"') {
            inside += u'"';
            ++at;
        } else {
            ++at;
            return inside;
        }
    }
    throw CQueryError(start, Tr("引用符が閉じられていません"));
}

Tok OperatorOf(const QString& word) {
    const QString plain = word.normalized(QString::NormalizationForm_KC);
    if (plain == QLatin1String("AND") || plain == QStringLiteral("かつ"))
        return Tok::And;
    if (plain == QLatin1String("OR") || plain == QStringLiteral("または"))
        return Tok::Or;
    if (plain == QLatin1String("NOT") || plain == QStringLiteral("でない"))
        return Tok::Not;
    return Tok::Word;
}

// A word from text[at] on; key:value words keep both halves.
Token ReadWord(const QString& text, int& at) {
    Token token = MakeToken(Tok::Word, at);
    while (at < text.size() && !Ends(text[at]))
        token.text += text[at++];
    const qsizetype colon = token.text.indexOf(QRegularExpression(QStringLiteral("[:：]")));
    if (colon > 0) {
        token.key = token.text.left(colon);
        token.value = token.text.mid(colon + 1);
        token.valuePosition = token.position + int(colon) + 1;
        if (token.value.isEmpty() && at < text.size() && IsOpenQuote(text[at])) {
            token.valuePosition = at;
            token.value = ReadQuoted(text, at);
            token.text += token.value;
        }
    }
    token.kind = OperatorOf(token.text);
    return token;
}

QList<Token> Tokens(const QString& text) {
    QList<Token> tokens;
    int at = 0;
    while (true) {
        while (at < text.size() && text[at].isSpace())
            ++at;
        if (at >= text.size())
            break;
        const QChar c = text[at];
        if (IsBracket(c)) {
            tokens.append(MakeToken(c == u'(' || c == u'（' ? Tok::Open : Tok::Close, at++));
        } else if (IsOpenQuote(c)) {
            Token token = MakeToken(Tok::Word, at);
            token.text = ReadQuoted(text, at);
            token.quoted = true;
            tokens.append(token);
        } else if ((c == u'-' || c == u'－') && at + 1 < text.size() && !text[at + 1].isSpace() &&
                   text[at + 1] != u')' && text[at + 1] != u'）') {
            tokens.append(MakeToken(Tok::Not, at++, QStringLiteral("-")));
        } else {
            tokens.append(ReadWord(text, at));
        }
    }
    tokens.append(MakeToken(Tok::End, int(text.size())));
    return tokens;
}

// The key of a filter, whatever the language, letter case and width.
enum class Key { None, Type, Modified, Size, In, Is };

Key KeyOf(const QString& key) {
    static const QList<std::pair<QString, Key>> keys{{QStringLiteral("type"), Key::Type},
                                                     {QStringLiteral("種類"), Key::Type},
                                                     {QStringLiteral("modified"), Key::Modified},
                                                     {QStringLiteral("更新"), Key::Modified},
                                                     {QStringLiteral("更新日"), Key::Modified},
                                                     {QStringLiteral("size"), Key::Size},
                                                     {QStringLiteral("サイズ"), Key::Size},
                                                     {QStringLiteral("大きさ"), Key::Size},
                                                     {QStringLiteral("in"), Key::In},
                                                     {QStringLiteral("場所"), Key::In},
                                                     {QStringLiteral("is"), Key::Is},
                                                     {QStringLiteral("状態"), Key::Is}};
    const QString folded = TC_TextCompare::Fold(key);
    for (const auto& [name, found] : keys)
        if (TC_TextCompare::Fold(name) == folded)
            return found;
    return Key::None;
}

// A comparison written before a value: the value and which side it bounds.
enum class Compare { Equal, Above, AtLeast, Below, AtMost };

Compare TakeCompare(QString& value, int& position) {
    static const QList<std::pair<QString, Compare>> prefixes{
        {QStringLiteral(">="), Compare::AtLeast},
        {QStringLiteral("<="), Compare::AtMost},
        {QStringLiteral(">"), Compare::Above},
        {QStringLiteral("<"), Compare::Below},
        {QStringLiteral("="), Compare::Equal}};
    for (const auto& [prefix, compare] : prefixes) {
        if (value.startsWith(prefix)) {
            value = value.mid(prefix.size());
            position += int(prefix.size());
            return compare;
        }
    }
    return Compare::Equal;
}

// A value read as the range [first, past) it stands for.
using Range = std::pair<qint64, qint64>;
using RangeReader = Range (*)(const QString& value, int position);

// Sets the node's bounds from a value: a range a..b, or one value with an
// optional comparison before it.
void ReadBounds(Node& node, const QString& written, int position, RangeReader read) {
    QString value = written.normalized(QString::NormalizationForm_KC);
    const qsizetype dots = value.indexOf(QLatin1String(".."));
    if (dots >= 0) {
        node.low = read(value.left(dots), position).first;
        node.high = read(value.mid(dots + 2), position + int(dots) + 2).second;
        return;
    }
    const Compare compare = TakeCompare(value, position);
    const Range range = read(value, position);
    if (compare == Compare::Equal || compare == Compare::AtLeast)
        node.low = range.first;
    if (compare == Compare::Equal || compare == Compare::AtMost)
        node.high = range.second;
    if (compare == Compare::Above)
        node.low = range.second;
    if (compare == Compare::Below)
        node.high = range.first;
}

qint64 NanosecondsAt(const QDate& day) {
    // Nanoseconds run out in 2262; a day beyond lies past every stored time.
    constexpr qint64 limit = std::numeric_limits<qint64>::max() / 1000000;
    const qint64 ms = QDateTime(day, QTime(0, 0)).toMSecsSinceEpoch();
    if (ms >= limit)
        return std::numeric_limits<qint64>::max();
    if (ms <= -limit)
        return std::numeric_limits<qint64>::min();
    return ms * 1000000;
}

Range DateRange(const QString& value, int position) {
    static const QRegularExpression date(
        QStringLiteral("^(\\d{4})(?:[-/.](\\d{1,2})(?:[-/.](\\d{1,2}))?)?$"));
    const QRegularExpressionMatch match = date.match(value.trimmed());
    const int year = match.captured(1).toInt();
    const int month = match.captured(2).isEmpty() ? 1 : match.captured(2).toInt();
    const int day = match.captured(3).isEmpty() ? 1 : match.captured(3).toInt();
    const QDate first(year, month, day);
    if (!match.hasMatch() || !first.isValid())
        throw CQueryError(position, Tr("日付が読めません (例: 2024、2024-03、2024-03-15)"));
    const QDate past = !match.captured(3).isEmpty()   ? first.addDays(1)
                       : !match.captured(2).isEmpty() ? first.addMonths(1)
                                                      : first.addYears(1);
    return {NanosecondsAt(first), NanosecondsAt(past)};
}

Range SizeRange(const QString& value, int position) {
    static const QRegularExpression size(
        QStringLiteral("^(\\d+(?:\\.\\d+)?)\\s*(b|k|kb|kib|m|mb|mib|g|gb|gib|t|tb|tib)?$"),
        QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch match = size.match(value.trimmed());
    const QString unit = match.captured(2).toLower();
    const int power =
        unit.isEmpty() || unit == u'b' ? 0 : int(QStringLiteral("kmgt").indexOf(unit[0])) + 1;
    const double bytes = match.captured(1).toDouble() * std::pow(1024.0, power);
    if (!match.hasMatch() || bytes > 1e18)
        throw CQueryError(position, Tr("大きさが読めません (例: 10MB、>500KB)"));
    const auto first = qint64(std::ceil(bytes));
    return {first, first + 1};
}

QString FolderOf(const QString& value, int position) {
    QString folder = value;
    if (folder == u'~' || folder.startsWith(QLatin1String("~/")))
        folder = QDir::homePath() + folder.mid(1);
    else if (!folder.startsWith(u'/'))
        folder = QDir::homePath() + u'/' + folder;
    if (value.isEmpty())
        throw CQueryError(position, Tr("場所のフォルダーを書いてください"));
    return QDir::cleanPath(folder);
}

Node::State StateOf(const QString& value, int position) {
    const QString folded = TC_TextCompare::Fold(value);
    for (const char* name : {"uncategorised", "uncategorized", "untagged", "未分類"})
        if (folded == TC_TextCompare::Fold(QString::fromUtf8(name)))
            return Node::State::Uncategorised;
    for (const char* name : {"missing", "見つかりません"})
        if (folded == TC_TextCompare::Fold(QString::fromUtf8(name)))
            return Node::State::Missing;
    for (const char* name : {"duplicate", "duplicates", "重複"})
        if (folded == TC_TextCompare::Fold(QString::fromUtf8(name)))
            return Node::State::Duplicate;
    throw CQueryError(position, Tr("状態は 未分類、見つかりません、重複 のどれかです"));
}

NodePtr Leaf(Node::Kind kind, const Token& token) {
    auto node = std::make_unique<Node>();
    node->kind = kind;
    node->position = token.position;
    node->text = token.text;
    return node;
}

NodePtr FilterOf(const Token& token) {
    const Key key = token.quoted ? Key::None : KeyOf(token.key);
    const int at = token.valuePosition;
    if (key == Key::None)
        return Leaf(Node::Kind::Text, token);
    if (token.value.trimmed().isEmpty() && key != Key::In)
        throw CQueryError(at, Tr("「%1:」の後に値を書いてください").arg(token.key));
    NodePtr node = Leaf(Node::Kind::Text, token);
    switch (key) {
    case Key::Type:
        node->kind = Node::Kind::Type;
        node->text = token.value;
        break;
    case Key::Modified:
        node->kind = Node::Kind::Modified;
        ReadBounds(*node, token.value, at, &DateRange);
        break;
    case Key::Size:
        node->kind = Node::Kind::Size;
        ReadBounds(*node, token.value, at, &SizeRange);
        break;
    case Key::In:
        node->kind = Node::Kind::In;
        node->text = FolderOf(token.value, at);
        break;
    default:
        node->kind = Node::Kind::State;
        node->state = StateOf(token.value, at);
        break;
    }
    return node;
}

// Recursive descent over the tokens: or := and {OR and}; and := unary
// {[AND] unary}; unary := NOT unary | primary; primary := ( or ) | word.
class Reader {
public:
    explicit Reader(QList<Token> tokens) : m_tokens(std::move(tokens)) {}

    NodePtr Query() {
        NodePtr root = Either(0);
        if (Current().kind == Tok::Close)
            throw CQueryError(Current().position, Tr("「(」のない「)」です"));
        return root;
    }

private:
    const Token& Current() const { return m_tokens[m_at]; }

    bool StartsCondition() const {
        const Tok kind = Current().kind;
        return kind == Tok::Word || kind == Tok::Open || kind == Tok::Not;
    }

    // Moves past an operator that needs a condition after it.
    void PassOperator() {
        const Token& op = Current();
        ++m_at;
        if (!StartsCondition())
            throw CQueryError(op.position, Tr("「%1」の後に条件がありません").arg(op.text));
    }

    static NodePtr Join(Node::Kind kind, NodePtr left, NodePtr right) {
        if (left->kind != kind) {
            auto joined = std::make_unique<Node>();
            joined->kind = kind;
            joined->position = left->position;
            joined->children.push_back(std::move(left));
            left = std::move(joined);
        }
        left->children.push_back(std::move(right));
        return left;
    }

    NodePtr Either(int depth) {
        NodePtr left = Both(depth);
        while (Current().kind == Tok::Or) {
            PassOperator();
            left = Join(Node::Kind::Or, std::move(left), Both(depth));
        }
        return left;
    }

    NodePtr Both(int depth) {
        NodePtr left = Unary(depth);
        while (Current().kind == Tok::And || StartsCondition()) {
            if (Current().kind == Tok::And)
                PassOperator();
            left = Join(Node::Kind::And, std::move(left), Unary(depth));
        }
        return left;
    }

    NodePtr Unary(int depth) {
        const Token& token = Current();
        if (++depth > kMaxDepth)
            throw CQueryError(token.position, Tr("入れ子が深すぎます"));
        if (token.kind == Tok::Not) {
            PassOperator();
            NodePtr node = Leaf(Node::Kind::Not, token);
            node->children.push_back(Unary(depth));
            return node;
        }
        if (token.kind == Tok::Open)
            return Group(depth);
        if (token.kind == Tok::Word) {
            if (++m_terms > kMaxTerms)
                throw CQueryError(token.position, Tr("条件が多すぎます"));
            ++m_at;
            return FilterOf(token);
        }
        if (token.kind == Tok::Close)
            throw CQueryError(token.position, Tr("「(」のない「)」です"));
        throw CQueryError(token.position, Tr("「%1」の前に条件がありません").arg(token.text));
    }

    NodePtr Group(int depth) {
        const Token& open = Current();
        ++m_at;
        if (Current().kind == Tok::Close)
            throw CQueryError(open.position, Tr("括弧の中に条件がありません"));
        if (Current().kind == Tok::End)
            throw CQueryError(open.position, Tr("「(」が「)」で閉じられていません"));
        NodePtr inner = Either(depth);
        if (Current().kind != Tok::Close)
            throw CQueryError(open.position, Tr("「(」が「)」で閉じられていません"));
        ++m_at;
        return inner;
    }

    QList<Token> m_tokens;
    qsizetype m_at = 0;
    int m_terms = 0;
};

} // namespace

std::unique_ptr<CQueryNode> CQueryParser::Parse(const QString& text) {
    QList<Token> tokens = Tokens(text);
    if (tokens.size() == 1)
        return nullptr;
    return Reader(std::move(tokens)).Query();
}

QString CQueryParser::Quote(const QString& name) {
    bool plain = !name.isEmpty() && OperatorOf(name) == Tok::Word && !name.startsWith(u'-') &&
                 !name.startsWith(u'－');
    for (const QChar c : name)
        plain = plain && !Ends(c) && c != u':' && c != u'：' && c != u'」';
    if (plain)
        return name;
    QString inside = name;
    return u'"' + inside.replace(u'"', QLatin1String("\"\"")) + u'"';
}
