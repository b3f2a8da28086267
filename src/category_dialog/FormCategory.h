#pragma once

#include "CCheckListView.h"
#include "CRecordset.h"

#include <QColor>
#include <QHash>
#include <QList>
#include <QRect>
#include <QStringList>
#include <QVariant>
#include <QWidget>
#include <optional>

class QLabel;
class QLineEdit;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

// The modeless window that lists every category as a check list and shows
// which of them one file carries. Ticking or unticking a row is reported at
// once through OnItemClick; the window never writes to the repository.
//
// The window is "loaded" between Load (or being shown, or SetCategory) and
// closing it: loading builds the rows from CategorySet, closing lets go of
// them, empties the path and lifts a freeze.
class FormCategory : public QWidget {
    Q_OBJECT
public:
    // Design layout in twips: client area, the two controls, the height
    // below which the window will not go.
    static constexpr int DesignWidth = 4680;
    static constexpr int DesignHeight = 3915;
    static constexpr QRect LabelFilePathDesign{120, 60, 4575, 195};
    static constexpr QRect ListViewCategoryDesign{0, 300, 4680, 3600};
    static constexpr int MinHeight = 1620;
    static constexpr int TwipsPerPixel = 15;

    explicit FormCategory(QWidget* parent = nullptr);
    ~FormCategory() override;

    // All categories, one record each (field 0 identifier, field 1 name);
    // read when the window loads.
    const std::optional<CRecordset>& CategorySet() const { return m_categorySet; }
    void setCategorySet(std::optional<CRecordset> ARecordSet);
    // The parent of every nested category by identifier: its row goes under
    // its parent's, indented. Applied at the next load, or by ArrangeRows.
    void setCategoryParents(const QHash<qint32, qint32>& Parents);
    // The colour of each coloured category, a dot at its row's end; applied
    // as the parents are.
    void setCategoryColours(const QHash<qint32, QColor>& Colours);
    // Orders the loaded rows as the hierarchy goes and indents them.
    void ArrangeRows();

    // Column captions used instead of the design column when not empty;
    // read when the window loads.
    QStringList ColumnHeader() const { return m_columnHeader; }
    void setColumnHeader(const QStringList& captions);

    // Caption used instead of the design caption when not empty at load;
    // setting it while loaded shows it as it stands, empty or not.
    QString Title() const { return m_title; }
    void setTitle(const QString& title);

    QString FilePath() const { return m_filePath; }
    void setFilePath(const QString& path);

    // The file shown; -1 when the selected row had no key.
    qint32 FileID() const { return m_fileID; }
    void setFileID(qint32 id) { setFileIDs({id}); }
    // Every file shown: the one of FileID, or the whole selection of a list,
    // whose count the caption then names.
    QList<qint32> FileIDs() const { return m_fileIDs; }
    void setFileIDs(const QList<qint32>& ids);
    // The label's text for a selection of Count files.
    static QString SelectionText(qint32 Count);

    QVariant ClassDebugID() const { return QVariant::fromValue(m_classDebugID); }
    bool IsLoaded() const { return m_isLoaded; }
    // Where the rows are filtered by name; shown only when there are many.
    QLineEdit* FilterField() const { return m_filter; }
    bool IsFreezed() const { return m_isFreezed; }

    // Grey and disable the path and the list while no single file is at
    // hand. Before load only the flag is kept; it takes effect at load.
    void Freeze();
    void Unfreeze();

    // Unchecks every row, then checks the category of each record from the
    // recordset's current position to its end, leaving it at its end. Loads
    // the window first, without showing it, when needed. Throws CError
    // naming the key of a category that the list does not hold.
    void SetCategory(CRecordset& ARecordSet);
    void SetCategory(CRecordset&& ARecordSet) { SetCategory(ARecordSet); }

    // Shows the categories of several files at once: a category that all
    // Total files carry is checked, one that some carry is grayed, one that
    // none carries unchecked. Counts holds, by category ID, how many carry
    // it. Loads the window first, without showing it, when needed.
    void SetCategoryCounts(const QHash<qint32, qint32>& Counts, qint32 Total);

    // Builds the window's contents; a no-op while loaded.
    void Load();
    // Hides the window and lets go of its contents, as closing it does.
    void Unload();

    // Where the two controls go for an outer size and client height (all in
    // twips); nothing when the height is at the floor or below it, where the
    // window only restores the floor. A label taller than its design height
    // (a larger font) pushes the list down rather than under it.
    struct ControlLayout {
        QRect ListViewCategory;
        QRect LabelFilePath;
    };
    static std::optional<ControlLayout> ResizeLayout(int outerWidth, int outerHeight,
                                                     int clientHeight, int labelHeight);

    QLabel* LabelFilePath() const { return m_labelFilePath; }
    QTreeWidget* ListViewCategory() const { return m_listViewCategory; }
    QPushButton* CloseButton() const { return m_closeButton; }
    CCheckListView* CheckListView() const { return FCheckListView; }

    void setVisible(bool visible) override;

signals:
    // state 1: the category was ticked; 0: it was unticked.
    void OnItemClick(qint32 state, QTreeWidgetItem* Item);

protected:
    void changeEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private slots:
    void FCheckListView_OnItemClick(qint32 state, QTreeWidgetItem* Item);

private:
    void Form_Resize();
    void Form_Unload();
    void ApplyFrozenLook(bool frozen);
    void ResetControls();
    void ShowFilePath();
    void DrawImages();
    int LabelHeightTwips() const;
    // Shows the rows whose name holds Text, with the rows above them.
    void FilterRows(const QString& Text);
    void ShowCaption();
    // The close button in the bottom right corner, the list ending above it.
    void PlaceCloseButton();

    qint32 m_classDebugID;
    bool m_isLoaded = false;
    std::optional<CRecordset> m_categorySet;
    QString m_title;
    QStringList m_columnHeader;
    QString m_filePath;
    qint32 m_fileID = 0;
    QList<qint32> m_fileIDs;
    bool m_isFreezed = false;
    QHash<qint32, qint32> m_parents;
    QHash<qint32, QColor> m_colours;

    QLabel* m_labelFilePath;
    QTreeWidget* m_listViewCategory;
    QLineEdit* m_filter;
    QPushButton* m_closeButton;
    CCheckListView::ImageList ImageListIcon;
    CCheckListView* FCheckListView;
};
