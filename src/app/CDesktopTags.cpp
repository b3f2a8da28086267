#include "CDesktopTags.h"

#include "AM_Vollo.h"
#include "CError.h"
#include "CWalkProgress.h"

#include <QAction>
#include <QDialog>
#include <QDialogButtonBox>
#include <QLabel>
#include <QListWidget>
#include <QMessageBox>
#include <QTimer>
#include <QVBoxLayout>

CDesktopTags::CDesktopTags(CVolloDB& repository, QWidget* owner)
    : QObject(owner), m_mirror(repository), m_import(repository), m_owner(owner) {
    m_mirror.setOnSkipped([this] {
        // One notice after the command, however many writes it made.
        if (m_noticeDue)
            return;
        m_noticeDue = true;
        QTimer::singleShot(0, this, &CDesktopTags::ShowSkipped);
    });
}

void CDesktopTags::setToggle(QAction* Action) {
    m_toggle = Action;
    Action->setCheckable(true);
    connect(Action, &QAction::triggered, this, [this](bool On) {
        AM_Vollo::Guard([&] { Toggle_OnTriggered(On); }, m_owner);
        ShowToggle();
    });
    ShowToggle();
}

void CDesktopTags::ShowToggle() {
    if (m_toggle)
        m_toggle->setChecked(m_mirror.IsOn());
}

void CDesktopTags::AskOnce() {
    if (m_mirror.Setting() != CTagMirror::State::NotAsked)
        return;
    QMessageBox question(
        QMessageBox::Question, QStringLiteral("Vollo"),
        tr("カテゴリをファイル マネージャーのタグ (user.xdg.tags) にも書き込みますか？\n\n"
           "Dolphin や Nautilus、デスクトップ検索でカテゴリが見えるようになります。"
           "文書の中身と更新日時は変わりません。カテゴリ "
           "ツリーのメニューからいつでも変えられます。"),
        QMessageBox::Yes | QMessageBox::No, m_owner);
    question.setObjectName(QStringLiteral("DesktopTagsQuestion"));
    question.setDefaultButton(QMessageBox::No);
    if (question.exec() == QMessageBox::Yes)
        TurnOn();
    else
        m_mirror.setSetting(CTagMirror::State::Off);
    ShowToggle();
}

void CDesktopTags::Toggle_OnTriggered(bool On) {
    if (On)
        TurnOn();
    else
        TurnOff();
    ShowToggle();
}

void CDesktopTags::TurnOn() {
    m_mirror.setSetting(CTagMirror::State::On);
    WithProgress(tr("カテゴリをタグに書き込んでいます..."), &CTagMirror::WriteAll);
}

void CDesktopTags::TurnOff() {
    m_mirror.setSetting(CTagMirror::State::Off);
    const auto answer =
        QMessageBox::question(m_owner, QStringLiteral("Vollo"),
                              tr("Vollo が書き込んだタグを文書から取り除きますか？\n"
                                 "ほかのプログラムが書き込んだタグはそのまま残ります。"));
    if (answer == QMessageBox::Yes)
        WithProgress(tr("書き込んだタグを取り除いています..."), &CTagMirror::RemoveAll);
}

void CDesktopTags::WithProgress(const QString& Title,
                                qint64 (CTagMirror::*Work)(const CTagMirror::Progress&)) {
    CWalkProgress progress(m_owner);
    progress.setTitle(Title);
    bool canceled = false;
    connect(&progress, &CWalkProgress::OnCancel, this, [&canceled] { canceled = true; });
    progress.Begin();
    try {
        (m_mirror.*Work)([&](qint64 done, qint64) {
            progress.setCount(done);
            progress.Pump();
            return !canceled;
        });
    } catch (...) {
        progress.End();
        throw;
    }
    progress.End();
}

bool CDesktopTags::OfferImport() {
    const QList<CTagImport::Offer> offers = m_import.Offers();
    QList<CTagImport::Offer> accepted;
    if (!offers.isEmpty()) {
        accepted = AskImport(offers);
        for (const auto& [id, name] : m_import.Accept(accepted))
            emit OnCategoryAdded(id, name);
    }
    const QString refused = m_import.Refused().Summary();
    if (!refused.isEmpty())
        QMessageBox::information(m_owner, QStringLiteral("Vollo"), refused);
    m_import.Clear();
    return !accepted.isEmpty();
}

QList<CTagImport::Offer> CDesktopTags::AskImport(const QList<CTagImport::Offer>& Offers) {
    QDialog dialog(m_owner);
    dialog.setObjectName(QStringLiteral("TagImport"));
    dialog.setWindowTitle(QStringLiteral("Vollo"));
    auto* list = new QListWidget(&dialog);
    list->setObjectName(QStringLiteral("TagList"));
    for (const CTagImport::Offer& offer : Offers) {
        auto* row = new QListWidgetItem(CTagImport::OfferText(offer), list);
        row->setFlags(row->flags() | Qt::ItemIsUserCheckable);
        row->setCheckState(Qt::Checked);
    }
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    auto* box = new QVBoxLayout(&dialog);
    box->addWidget(new QLabel(tr("取り込んだ文書にファイル マネージャーのタグが付いています。"
                                 "チェックしたタグをカテゴリにして、文書を分類しますか？"),
                              &dialog));
    box->addWidget(list);
    box->addWidget(buttons);
    QList<CTagImport::Offer> accepted;
    if (dialog.exec() != QDialog::Accepted)
        return accepted;
    for (int i = 0; i < list->count(); ++i) {
        if (list->item(i)->checkState() == Qt::Checked)
            accepted << Offers[i];
    }
    return accepted;
}

void CDesktopTags::ShowSkipped() {
    m_noticeDue = false;
    const QString notice = m_mirror.SkippedNotice();
    m_mirror.Skipped().Clear();
    if (!notice.isEmpty())
        QMessageBox::information(m_owner, QStringLiteral("Vollo"), notice);
}
