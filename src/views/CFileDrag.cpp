#include "CFileDrag.h"

#include <QCoreApplication>
#include <QMimeData>
#include <QUrl>

namespace {

// The process comes first: rows of another running Vollo (another repository)
// carry IDs that mean nothing here.
QByteArray Owner() {
    return QByteArray::number(QCoreApplication::applicationPid());
}

} // namespace

QString CFileDrag::MimeType() {
    return QStringLiteral("application/x-vollo-file-ids");
}

QMimeData* CFileDrag::Make(const QList<qint32>& FileIDs, const QStringList& Documents) {
    auto* data = new QMimeData;
    QByteArray payload = Owner();
    for (qint32 id : FileIDs)
        payload += ' ' + QByteArray::number(id);
    data->setData(MimeType(), payload);
    QList<QUrl> urls;
    urls.reserve(Documents.size());
    for (const QString& document : Documents) {
        if (!document.isEmpty())
            urls << QUrl::fromLocalFile(document);
    }
    if (!urls.isEmpty())
        data->setUrls(urls);
    return data;
}

bool CFileDrag::IsRowDrag(const QMimeData* Data) {
    if (Data == nullptr || !Data->hasFormat(MimeType()))
        return false;
    const QByteArray payload = Data->data(MimeType());
    return payload.split(' ').value(0) == Owner();
}

QList<qint32> CFileDrag::FileIDs(const QMimeData* Data) {
    QList<qint32> ids;
    if (!IsRowDrag(Data))
        return ids;
    const QList<QByteArray> words = Data->data(MimeType()).split(' ');
    ids.reserve(words.size() - 1);
    for (qsizetype i = 1; i < words.size(); ++i) {
        bool ok = false;
        const qint32 id = words.at(i).toInt(&ok);
        if (ok && id > 0)
            ids << id;
    }
    return ids;
}
