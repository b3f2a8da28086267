#pragma once

#include "CLeftOut.h"

#include <QCoreApplication>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>
#include <utility>

class CVolloDB;

// The desktop tags (CXdgTags) found on documents while they are collected,
// offered afterwards as categories. A tag that a document already carries as
// a category is no news and not offered again; a tag whose bytes are no
// UTF-8 text is kept out and told.
class CTagImport {
    Q_DECLARE_TR_FUNCTIONS(CTagImport)
public:
    struct Offer {
        QString name;
        QList<qint32> files;
    };
    explicit CTagImport(CVolloDB& repository);

    void Clear();
    // Reads the tags of a registered document through its shortcut.
    void Gather(qint32 FileID, const QString& ShortcutPath);
    // The same for a shortcut whose target (the document) is known.
    void GatherTarget(qint32 FileID, const QString& Target);
    // The same for tags already read (Read is what CXdgTags::Read returned).
    void GatherRead(qint32 FileID, const QString& Target, int Read, const QByteArray& Value);
    // The tags found since Clear, by name, with the documents that carry
    // them and do not yet carry a category of that name.
    QList<Offer> Offers();
    // Makes a category of every accepted tag (or takes the one of that name,
    // letter case ignored) and links its documents, in one transaction. A
    // tag "a/b" is category b nested below a. Returns the categories made,
    // parents first, with their names; a name the repository refuses is
    // told in Refused instead.
    QList<std::pair<qint32, QString>> Accept(const QList<Offer>& Accepted);
    CLeftOut& Refused() { return m_refused; }

    // An offer as the user reads it: the tag and how many documents carry it.
    static QString OfferText(const Offer& Offer);
    // The category names of a tag, top first: split on "/", blanks trimmed.
    static QStringList PathOf(const QString& Name);
    // The name of the category a tag lands in.
    static QString Leaf(const QString& Name);

private:
    QHash<QString, qint32> CategoriesByName();
    // The category of a tag, made with its missing ancestors; 0 if refused.
    qint32 CategoryFor(const QString& Name, QHash<QString, qint32>& Categories,
                       QList<std::pair<qint32, QString>>& Made);

    CVolloDB& m_repository;
    QHash<QString, QList<qint32>> m_found;
    QStringList m_order;
    CLeftOut m_refused;
};
