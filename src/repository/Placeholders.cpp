#include "Placeholders.h"

#include <QLocale>
#include <cmath>

namespace {

QString ValueText(const QVariant& value) {
    switch (value.typeId()) {
    case QMetaType::Bool:
        return value.toBool() ? QStringLiteral("True") : QStringLiteral("False");
    case QMetaType::Int:
    case QMetaType::Short:
    case QMetaType::Long:
    case QMetaType::LongLong:
    case QMetaType::SChar:
        return QString::number(value.toLongLong());
    case QMetaType::UInt:
    case QMetaType::UShort:
    case QMetaType::ULong:
    case QMetaType::ULongLong:
    case QMetaType::UChar:
        return QString::number(value.toULongLong());
    case QMetaType::Float:
    case QMetaType::Double: {
        const double d = value.toDouble();
        // Whole numbers (window positions in twips) carry no fraction part;
        // the point is always ".", whatever the user's locale writes.
        if (std::isfinite(d) && d == std::trunc(d) && std::fabs(d) < 1e15)
            return QString::number(static_cast<qint64>(d));
        return QString::number(d, 'g', QLocale::FloatingPointShortest);
    }
    default:
        return value.toString();
    }
}

QString Escaped(const QString& text, QChar quote) {
    if (quote.isNull() || !text.contains(quote))
        return text;
    QString out = text;
    out.replace(quote, QString(2, quote));
    return out;
}

} // namespace

QString FillPlaceholders(const QString& sql, const QList<QPair<QString, QVariant>>& values) {
    QList<QString> texts;
    texts.reserve(values.size());
    // First characters of the names: a quick test before comparing names.
    bool latinStart[128] = {};
    bool otherStart = false;
    qsizetype extra = 0;
    for (const auto& [name, value] : values) {
        texts.append(ValueText(value));
        extra += texts.constLast().size();
        if (name.isEmpty())
            continue;
        if (name.at(0).unicode() < 128)
            latinStart[name.at(0).unicode()] = true;
        else
            otherStart = true;
    }

    QString out;
    out.reserve(sql.size() + extra);
    QChar context; // the quote or bracket the scan is inside, if any
    const QStringView view(sql);
    qsizetype i = 0;
    while (i < sql.size()) {
        const QChar c = sql.at(i);
        if (c.unicode() < 128 ? latinStart[c.unicode()] : otherStart) {
            qsizetype best = -1;
            qsizetype bestLength = 0;
            for (qsizetype k = 0; k < values.size(); ++k) {
                const QString& name = values.at(k).first;
                if (name.size() > bestLength && view.mid(i).startsWith(name)) {
                    best = k;
                    bestLength = name.size();
                }
            }
            if (best >= 0) {
                out += Escaped(texts.at(best), context == u'[' ? QChar() : context);
                i += bestLength;
                continue;
            }
        }
        if (context.isNull()) {
            if (c == u'\'' || c == u'"' || c == u'[')
                context = c;
        } else if ((context == u'[' && c == u']') || (context != u'[' && c == context)) {
            // A doubled quote closes and at once reopens, which keeps the context.
            context = QChar();
        }
        out += c;
        ++i;
    }
    return out;
}
