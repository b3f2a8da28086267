#pragma once

#include "CLeftOut.h"

#include <QCoreApplication>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

class CVolloDB;

// Mirrors each document's categories into its desktop tags (CXdgTags), so
// file managers and desktop search see them. Tags that others wrote stay:
// what the mirror itself wrote is remembered per file in the table
//
//   xdgowned (fileID PK -> files.ID ON DELETE CASCADE, tags)
//
// and only those are ever taken away. A document that cannot carry tags is
// skipped and collected in Skipped(); nothing stops. The user's choice lives
// in setting.xdgTags: 0 not asked yet, 1 off, 2 on.
class CTagMirror {
    Q_DECLARE_TR_FUNCTIONS(CTagMirror)
public:
    enum class State { NotAsked = 0, Off = 1, On = 2 };
    // Done and total documents; false stops the work (Cancel).
    using Progress = std::function<bool(qint64 done, qint64 total)>;
    // The name a category is shown under; the mirror writes a nested one
    // after its ancestors' names as "parent/child".
    using DisplayPath = std::function<QString(qint32 TagID, const QString& Name)>;

    explicit CTagMirror(CVolloDB& repository);

    State Setting();
    void setSetting(State Value);
    bool IsOn() { return Setting() == State::On; }
    void setDisplayPath(DisplayPath Path);

    // Writes the tags of these files when the mirror is on.
    void Update(const QList<qint32>& FileIDs);
    // The documents of a category and of every category below it, whose
    // written names change when it is renamed or moved; empty when off. A
    // deletion asks before, as its links go with it.
    QList<qint32> FilesUnder(qint32 TagID);
    // Writes the tags of those documents again.
    void UpdateCategory(qint32 TagID);
    // Writes every file's tags once; the number of documents written.
    qint64 WriteAll(const Progress& Progress = {});
    // Takes what the mirror wrote out of every document again.
    qint64 RemoveAll(const Progress& Progress = {});
    // The documents skipped since the last Clear, with the reason.
    CLeftOut& Skipped() { return m_skipped; }
    // One message naming the skipped documents; empty when none was.
    QString SkippedNotice(qint32 Shown = 5) const;
    // Told after work that skipped documents, so the owner can show the
    // notice once the user's command is done.
    void setOnSkipped(std::function<void()> Told) { m_onSkipped = std::move(Told); }

    // The tags of one document after the mirror wrote Names: the foreign
    // parts of Value stay, byte for byte, the parts in Owned that are no
    // longer in Names go. Owned becomes what the mirror now owns.
    static QByteArray Merge(const QByteArray& Value, const QStringList& Names, QStringList* Owned);

private:
    struct Doc {
        qint32 id = 0;
        QString shortcut;
        QStringList names, owned;
        QString target; // the document, when its facts know it
    };
    void Prepare();
    // Every category's written name, nested ones with their ancestors.
    QHash<qint32, QString> WrittenNames();
    QList<Doc> Load(const QString& Files, bool Names);
    qint64 Run(QList<Doc>& Docs, const Progress& Progress);
    // Stores what the mirror now owns of each document (nothing: forgotten).
    void Remember(const QList<std::pair<qint32, QStringList>>& Owned);
    // Writes the document at Target; 0 or the errno. Owned: what the mirror
    // owns of it afterwards.
    int WriteTo(const QString& Target, const Doc& Doc, QStringList* Owned);
    // The document's new owned tags, or nothing when it was skipped.
    std::optional<QStringList> MirrorOne(const Doc& Doc);
    QString TargetOf(const QString& Shortcut);

    CVolloDB& m_repository;
    std::optional<State> m_state;
    bool m_hasFacts = false;
    DisplayPath m_displayPath;
    CLeftOut m_skipped;
    int m_folder = -1; // the shortcut folder while a run lasts
    QString m_folderPath;
    std::function<void()> m_onSkipped;
};
