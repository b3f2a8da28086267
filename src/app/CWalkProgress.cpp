#include "CWalkProgress.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFontMetrics>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

CWalkProgress::CWalkProgress(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("Vollo"));
    setWindowModality(Qt::ApplicationModal);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    setObjectName(QStringLiteral("WalkProgress"));

    m_titleLabel = new QLabel(tr("ドキュメントを収集しています..."), this);
    m_countLabel = new QLabel(this);
    m_countLabel->setObjectName(QStringLiteral("LabelCount"));
    m_folderLabel = new QLabel(this);
    m_folderLabel->setObjectName(QStringLiteral("LabelFolder"));
    m_folderLabel->setTextFormat(Qt::PlainText);
    // Long folder paths are elided in setFolder; a fixed width keeps the window
    // from jumping around while folders change.
    m_folderLabel->setMinimumWidth(420);
    m_cancelButton = new QPushButton(tr("キャンセル"), this);
    m_cancelButton->setObjectName(QStringLiteral("ButtonCancel"));
    connect(m_cancelButton, &QPushButton::clicked, this, &CWalkProgress::Cancel);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_cancelButton);
    auto* box = new QVBoxLayout(this);
    box->addWidget(m_titleLabel);
    box->addWidget(m_countLabel);
    box->addWidget(m_folderLabel);
    box->addLayout(buttons);
    ShowCount();
}

void CWalkProgress::Begin() {
    m_canceled = false;
    m_running = true;
    m_cancelButton->setEnabled(true);
    m_count = 0;
    m_folder.clear();
    ShowCount();
    show();
    raise();
    // Paint at once: the first pump may be a while away on a slow disk.
    QCoreApplication::processEvents();
    m_sincePump.start();
}

void CWalkProgress::End() {
    m_running = false;
    hide();
}

void CWalkProgress::setTitle(const QString& title) {
    m_titleLabel->setText(title);
}

void CWalkProgress::setCount(qint64 count) {
    // Shown at the next pump: formatting a text per document would cost more
    // than collecting it.
    m_count = count;
}

void CWalkProgress::setFolder(const QString& folder) {
    m_folder = folder;
    const QFontMetrics metrics(m_folderLabel->font());
    m_folderLabel->setText(
        metrics.elidedText(folder, Qt::ElideMiddle, m_folderLabel->minimumWidth()));
}

void CWalkProgress::Pump() {
    if (!m_running)
        return;
    if (m_sincePump.isValid() && m_sincePump.elapsed() < PumpIntervalMs)
        return;
    ShowCount();
    QCoreApplication::processEvents();
    m_sincePump.restart();
}

void CWalkProgress::reject() {
    // Escape and the title bar's close button cancel, as the button does.
    Cancel();
}

void CWalkProgress::closeEvent(QCloseEvent* event) {
    if (m_running) {
        event->ignore();
        Cancel();
        return;
    }
    QDialog::closeEvent(event);
}

void CWalkProgress::Cancel() {
    if (m_canceled)
        return;
    m_canceled = true;
    m_cancelButton->setEnabled(false);
    emit OnCancel();
}

void CWalkProgress::ShowCount() {
    m_countLabel->setText(tr("%Ln 個のファイル", nullptr, static_cast<int>(m_count)));
}
