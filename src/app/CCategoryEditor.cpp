#include "CCategoryEditor.h"

#include <QCoreApplication>
#include <QInputDialog>
#include <QMessageBox>

CCategoryEditor::CCategoryEditor(CVolloDB& repository, QWidget* owner)
    : m_store(repository), m_owner(owner) {}

namespace {

// A label with a buddy reads "&" as a mnemonic; the name stays as typed.
QString LabelText(const QString& Name) {
    return QString(Name).replace(QLatin1Char('&'), QLatin1String("&&"));
}

} // namespace

qint32 CCategoryEditor::AskNew(QString* Name, qint32 ParentID) {
    const QString name = AskName(
        QCoreApplication::translate("CCategoryEditor", "新しいカテゴリ"),
        QCoreApplication::translate("CCategoryEditor", "新しいカテゴリの名前:"), QString(), 0);
    if (name.isEmpty())
        return 0;
    const qint32 id = m_store.Add(name, ParentID);
    if (Name != nullptr)
        *Name = name;
    return id;
}

QString CCategoryEditor::AskRename(qint32 TagID, const QString& Name) {
    QString name =
        AskName(QCoreApplication::translate("CCategoryEditor", "名前の変更"),
                QCoreApplication::translate("CCategoryEditor", "カテゴリ「%1」の新しい名前:")
                    .arg(LabelText(Name)),
                Name, TagID);
    if (name.isEmpty() || name == Name)
        return QString();
    m_store.Rename(TagID, name);
    return name;
}

bool CCategoryEditor::AskDelete(qint32 TagID, const QString& Name) {
    const qsizetype below = m_store.Descendants(TagID).size();
    const QString text =
        below == 0
            ? QCoreApplication::translate(
                  "CCategoryEditor",
                  "カテゴリ「%1」を削除しますか？\n"
                  "このカテゴリには %Ln 個のファイルがあります。ファイルはこのカテゴリから"
                  "外れるだけで、ファイルそのものは削除されません。",
                  nullptr, m_store.FileCount(TagID))
                  .arg(Name)
            : QCoreApplication::translate(
                  "CCategoryEditor",
                  "カテゴリ「%1」を削除しますか？\n"
                  "この下には %2 があり、合わせて %Ln 個のファイルがあります。"
                  "下のカテゴリは一つ上に移ります。ファイルはカテゴリから外れるだけで、"
                  "ファイルそのものは削除されません。",
                  nullptr, m_store.FileCountWithDescendants(TagID))
                  .arg(Name, QCoreApplication::translate("CCategoryEditor", "%Ln 個のカテゴリ",
                                                         nullptr, int(below)));
    QMessageBox question(QMessageBox::Question,
                         QCoreApplication::translate("CCategoryEditor", "カテゴリの削除"), text,
                         QMessageBox::Yes | QMessageBox::No, m_owner);
    question.setObjectName(QStringLiteral("CategoryDeleteQuestion"));
    question.setTextFormat(Qt::PlainText);
    // Enter alone must not delete.
    question.setDefaultButton(QMessageBox::No);
    if (question.exec() != QMessageBox::Yes)
        return false;
    m_store.Delete(TagID);
    return true;
}

void CCategoryEditor::Tell(const QString& Text, QWidget* owner) {
    QMessageBox box(QMessageBox::Warning,
                    QCoreApplication::translate("CCategoryEditor", "カテゴリ"), Text,
                    QMessageBox::Ok, owner);
    box.setObjectName(QStringLiteral("CategoryNameRefusal"));
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

QString CCategoryEditor::AskName(const QString& Title, const QString& Prompt, const QString& Name,
                                 qint32 ExceptID) {
    QString name = Name;
    for (;;) {
        QInputDialog dialog(m_owner);
        dialog.setObjectName(QStringLiteral("CategoryNameDialog"));
        dialog.setWindowTitle(Title);
        dialog.setLabelText(Prompt);
        dialog.setTextValue(name);
        if (dialog.exec() != QDialog::Accepted)
            return QString();
        name = dialog.textValue();
        const QString refusal = m_store.Refusal(name, ExceptID);
        if (refusal.isEmpty())
            return name.trimmed();
        Tell(refusal, m_owner);
    }
}
