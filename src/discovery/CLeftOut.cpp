#include "CLeftOut.h"

#include "CError.h"

#include <QDir>
#include <QFile>
#include <QStringList>

#include <algorithm>
#include <cerrno>
#include <cstring>

void CLeftOut::Add(const QString& Path, const QString& Reason) {
    m_items.append({Path, Reason});
}

QString CLeftOut::Summary(qint32 Shown) const {
    if (m_items.isEmpty())
        return QString();
    QStringList lines;
    lines << tr("%Ln 件を取り込めませんでした。", nullptr, int(m_items.size()));
    for (qsizetype i = 0; i < m_items.size() && i < Shown; ++i)
        lines
            << tr("・%1\n    %2").arg(QDir::toNativeSeparators(m_items[i].Path), m_items[i].Reason);
    if (m_items.size() > Shown)
        lines << tr("ほか %L1 件").arg(m_items.size() - Shown);
    lines << QString()
          << tr("名前を変える、読み取りの権限を確かめるなどしてから、もう一度取り込んでください。"
                "取り込めたものはそのまま残っています。");
    return lines.join(QLatin1Char('\n'));
}

bool CLeftOut::IsFaithfulName(const char* Raw) {
    const qsizetype size = qsizetype(std::strlen(Raw));
    return IsFaithfulName(Raw, size, QFile::decodeName(QByteArray::fromRawData(Raw, size)));
}

bool CLeftOut::IsFaithfulName(const char* Raw, qsizetype Size, const QString& Decoded) {
    // Plain ASCII always survives: most names need no encoding back.
    if (std::all_of(Raw, Raw + Size,
                    [](char c) { return (static_cast<unsigned char>(c) & 0x80) == 0; }))
        return true;
    return QFile::encodeName(Decoded) == QByteArrayView(Raw, Size);
}

QString CLeftOut::BadNameReason() {
    return tr("名前に UTF-8 でない文字が含まれているため、取り込めません。");
}

QString CLeftOut::ReasonFor(int Errno) {
    switch (Errno) {
    case EACCES:
    case EPERM:
        return tr("読み取りか書き込みの権限がありません。");
    case ENAMETOOLONG:
        return tr("名前かパスが長すぎます。");
    case ENOSPC:
    case EDQUOT:
        return tr("ディスクの空きが足りません。");
    case EROFS:
        return tr("書き込めない（読み取り専用の）場所です。");
    case ENOENT:
        return tr("見つかりません。");
    case ELOOP:
        return tr("リンクが自分自身をたどる輪になっていて、先がありません。");
    default:
        return tr("エラー: %1").arg(qt_error_string(Errno));
    }
}

void CLeftOut::Add(const QString& Path, const CError& Error) {
    Add(Path, Error.Code() > 0 && Error.Code() < 4096 ? ReasonFor(Error.Code()) : Error.Text());
}
