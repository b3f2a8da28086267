#include "CCategoryEditor.h"

#include <QCoreApplication>
#include <QInputDialog>
#include <QMessageBox>

CCategoryEditor::CCategoryEditor(CVolloDB& repository, QWidget* owner)
    : m_store(repository), m_owner(owner) {}

qint32 CCategoryEditor::AskNew(QString* Name) {
    const QString name = AskName(
        QCoreApplication::translate("CCategoryEditor", "新しいカテゴリ"),
        QCoreApplication::translate("CCategoryEditor", "新しいカテゴリの名前:"), QString(), 0);
    if (name.isEmpty())
        return 0;
    const qint32 id = m_store.Add(name);
    if (Name != nullptr)
        *Name = name;
    return id;
}

QString CCategoryEditor::AskRename(qint32 TagID, const QString& Name) {
    QString name = AskName(
        QCoreApplication::translate("CCategoryEditor", "名前の変更"),
        QCoreApplication::translate("CCategoryEditor", "カテゴリ「%1」の新しい名前:").arg(Name),
        Name, TagID);
    if (name.isEmpty() || name == Name)
        return QString();
    m_store.Rename(TagID, name);
    return name;
}

bool CCategoryEditor::AskDelete(qint32 TagID, const QString& Name) {
    const qint32 count = m_store.FileCount(TagID);
    QMessageBox question(
        QMessageBox::Question, QCoreApplication::translate("CCategoryEditor", "カテゴリの削除"),
        QCoreApplication::translate(
            "CCategoryEditor",
            "カテゴリ「%1」を削除しますか？\n"
            "このカテゴリには %2 個のファイルがあります。ファイルはこのカテゴリから"
            "外れるだけで、ファイルそのものは削除されません。")
            .arg(Name)
            .arg(count),
        QMessageBox::Yes | QMessageBox::No, m_owner);
    question.setObjectName(QStringLiteral("CategoryDeleteQuestion"));
    // Enter alone must not delete.
    question.setDefaultButton(QMessageBox::No);
    if (question.exec() != QMessageBox::Yes)
        return false;
    m_store.Delete(TagID);
    return true;
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
        QMessageBox box(QMessageBox::Warning, Title, refusal, QMessageBox::Ok, m_owner);
        box.setObjectName(QStringLiteral("CategoryNameRefusal"));
        box.exec();
    }
}
