#pragma once

#include <QCoreApplication>
#include <QList>
#include <QString>

class CError;

// What a walk, a drop or a folder collection could not take, and why. Work
// goes on past a refused document; afterwards the owner tells the user once,
// naming the first few, instead of stopping at the first or raising a box per
// document.
class CLeftOut {
    Q_DECLARE_TR_FUNCTIONS(CLeftOut)
public:
    struct Item {
        QString Path;
        QString Reason;
    };

    void Add(const QString& Path, const QString& Reason);
    // A document refused by the platform: the reason from its errno.
    void Add(const QString& Path, const CError& Error);
    void Clear() { m_items.clear(); }
    qint32 Count() const { return qint32(m_items.size()); }
    bool IsEmpty() const { return m_items.isEmpty(); }
    const QList<Item>& Items() const { return m_items; }

    // One message for the user: how many were left out, the first Shown of
    // them with their reasons, and what the user can do. Empty when nothing
    // was left out.
    QString Summary(qint32 Shown = 5) const;

    // Whether a file name read from the file system comes back byte for byte
    // once decoded and encoded again; a name that does not (a Shift-JIS or
    // Latin-1 name on a UTF-8 system) names no file once it is text.
    static bool IsFaithfulName(const char* Raw);
    // The same for Size bytes already decoded into Decoded.
    static bool IsFaithfulName(const char* Raw, qsizetype Size, const QString& Decoded);
    // Reasons, as the user reads them.
    static QString BadNameReason();
    static QString ReasonFor(int Errno);

private:
    QList<Item> m_items;
};
