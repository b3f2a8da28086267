#include "CFingerprintStatus.h"

#include "AM_Vollo.h"
#include "CFingerprintWorker.h"
#include "CVolloDB.h"

#include <QEvent>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>

CFingerprintStatus::CFingerprintStatus(QLineEdit* statusLine)
    : QObject(statusLine), m_statusLine(statusLine), m_label(new QLabel(statusLine)),
      m_worker(new CFingerprintWorker(this)) {
    m_label->setObjectName(QStringLiteral("FingerprintStatus"));
    m_label->setEnabled(false); // the dimmed text of a passing remark
    m_label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    m_label->hide();
    statusLine->installEventFilter(this);
    connect(m_worker, &CFingerprintWorker::OnProgress, this,
            &CFingerprintStatus::Worker_OnProgress);
    connect(m_worker, &CFingerprintWorker::OnFinished, this,
            &CFingerprintStatus::Worker_OnFinished);
}

CFingerprintStatus::~CFingerprintStatus() {
    Stop();
}

void CFingerprintStatus::Start() {
    CVolloDB* repository = AM_Vollo::gRepository;
    if (repository == nullptr || repository->IsReadOnly() || !repository->HasFacts())
        return;
    m_worker->Start(repository->INIFileName());
}

void CFingerprintStatus::Stop() {
    m_worker->Stop();
    m_label->hide();
}

void CFingerprintStatus::Worker_OnProgress(qint64 Done, qint64 Total) {
    if (Total <= 0 || Done >= Total) {
        m_label->hide();
        return;
    }
    const QLocale locale;
    m_label->setText(tr("移動の追跡に使う情報を作成中 %1 / %2")
                         .arg(locale.toString(Done), locale.toString(Total)));
    Place();
    m_label->show();
}

void CFingerprintStatus::Worker_OnFinished() {
    m_label->hide();
}

bool CFingerprintStatus::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_statusLine && event->type() == QEvent::Resize)
        Place();
    return QObject::eventFilter(watched, event);
}

void CFingerprintStatus::Place() {
    if (!m_statusLine)
        return;
    const int margin = m_label->fontMetrics().averageCharWidth();
    const int width = m_label->sizeHint().width();
    m_label->setGeometry(m_statusLine->width() - width - margin, 0, width, m_statusLine->height());
}
