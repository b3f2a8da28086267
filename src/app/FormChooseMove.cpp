#include "FormChooseMove.h"

#include <QDialogButtonBox>
#include <QDir>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

FormChooseMove::FormChooseMove(const QString& OldPath, const QStringList& Candidates,
                               QWidget* parent)
    : QDialog(parent) {
    setWindowTitle(QStringLiteral("Vollo"));
    setObjectName(QStringLiteral("ChooseMove"));
    auto* text = new QLabel(tr("「%1」が見つかりません。\n移動先の候補が複数あります。"
                               "どれがこの文書か選んでください。")
                                .arg(QDir::toNativeSeparators(OldPath)),
                            this);
    text->setTextFormat(Qt::PlainText);
    text->setWordWrap(true);
    m_list = new QListWidget(this);
    m_list->setObjectName(QStringLiteral("ListCandidates"));
    for (const QString& path : Candidates) {
        auto* item = new QListWidgetItem(QDir::toNativeSeparators(path), m_list);
        item->setData(Qt::UserRole, path);
    }
    auto* buttons = new QDialogButtonBox(this);
    QPushButton* choose = buttons->addButton(tr("選択"), QDialogButtonBox::AcceptRole);
    choose->setObjectName(QStringLiteral("ButtonChoose"));
    choose->setEnabled(false);
    buttons->addButton(tr("スキップ"), QDialogButtonBox::RejectRole)
        ->setObjectName(QStringLiteral("ButtonSkip"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    // Nothing is chosen for the user: a wrong link is worse than none.
    connect(m_list, &QListWidget::currentRowChanged, choose,
            [choose](int row) { choose->setEnabled(row >= 0); });
    connect(m_list, &QListWidget::itemDoubleClicked, this, &QDialog::accept);
    auto* box = new QVBoxLayout(this);
    box->addWidget(text);
    box->addWidget(m_list);
    box->addWidget(buttons);
    resize(560, sizeHint().height());
}

QString FormChooseMove::Chosen() const {
    const QListWidgetItem* item = m_list->currentItem();
    return result() == Accepted && item != nullptr ? item->data(Qt::UserRole).toString()
                                                   : QString();
}

QString FormChooseMove::Choose(const QString& OldPath, const QStringList& Candidates,
                               QWidget* parent) {
    FormChooseMove dialog(OldPath, Candidates, parent);
    dialog.exec();
    return dialog.Chosen();
}
