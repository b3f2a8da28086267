#pragma once

#include "CTagImport.h"
#include "CTagMirror.h"

#include <QObject>
#include <QPointer>

class CVolloDB;
class QAction;
class QWidget;

// The window's side of the desktop tags: the question whether to mirror
// categories into them (once, and from the tree's menu later on), the
// progress of writing or removing them for every document, the offer of
// tags found on collected documents, and the one notice of documents that
// could not carry tags.
class CDesktopTags : public QObject {
    Q_OBJECT
public:
    CDesktopTags(CVolloDB& repository, QWidget* owner);

    CTagMirror& Mirror() { return m_mirror; }
    CTagImport& Import() { return m_import; }
    // The tree menu's checkable command; it follows the setting.
    void setToggle(QAction* Action);

    // After the first start: asks once whether to mirror.
    void AskOnce();
    // The user turned the mirror on or off.
    void Toggle_OnTriggered(bool On);
    // After a collection: offers the tags found, once, then forgets them.
    // Whether documents were linked.
    bool OfferImport();

signals:
    // A category made from a tag; its documents are linked.
    void OnCategoryAdded(qint32 ID, const QString& Name);

private:
    void TurnOn();
    void TurnOff();
    // Runs work over every document with the progress window and Cancel.
    void WithProgress(const QString& Title,
                      qint64 (CTagMirror::*Work)(const CTagMirror::Progress&));
    QList<CTagImport::Offer> AskImport(const QList<CTagImport::Offer>& Offers);
    void ShowSkipped();
    void ShowToggle();

    CTagMirror m_mirror;
    CTagImport m_import;
    QPointer<QWidget> m_owner;
    QPointer<QAction> m_toggle;
    bool m_noticeDue = false;
};
