#include "CQueryCompleter.h"

#include "CQueryParser.h"

#include <QLineEdit>
#include <QStringListModel>

CQueryCompleter::CQueryCompleter(QObject* parent) : QCompleter(parent) {
    setModel(new QStringListModel(this));
    setCaseSensitivity(Qt::CaseInsensitive);
    setCompletionMode(QCompleter::PopupCompletion);
}

void CQueryCompleter::setNames(const QStringList& Names) {
    static_cast<QStringListModel*>(model())->setStringList(Names);
}

qsizetype CQueryCompleter::LastWordStart(const QString& text) {
    qsizetype at = text.size();
    while (at > 0 && !text[at - 1].isSpace() && text[at - 1] != u'(' && text[at - 1] != u'-' &&
           text[at - 1] != u'"')
        --at;
    return at;
}

QStringList CQueryCompleter::splitPath(const QString& path) const {
    return {path.mid(LastWordStart(path))};
}

QString CQueryCompleter::pathFromIndex(const QModelIndex& index) const {
    QString name = CQueryParser::Quote(index.data().toString());
    const auto* field = qobject_cast<const QLineEdit*>(widget());
    if (field == nullptr)
        return name;
    QString before = field->text().left(LastWordStart(field->text()));
    if (before.endsWith(u'"'))
        before.chop(1);
    return before + name;
}
