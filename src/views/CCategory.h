#pragma once

#include <QColor>
#include <QHash>
#include <QIcon>
#include <QMimeData>
#include <QObject>
#include <QPersistentModelIndex>
#include <QPointer>
#include <QString>
#include <QTreeWidget>
#include <QVariant>

class CCategoryMenu;
class QPointF;

// Drives the category tree: one root "H0" standing for all registered files,
// every category a direct child of it. Reports clicks on nodes and drops of
// files onto nodes to the owner.
class CCategory : public QObject {
    Q_OBJECT
public:
    // Images of the nodes by key; the owner supplies them (the tree has no
    // image list of its own). A key without image shows a generic icon.
    using ImageList = QHash<QString, QIcon>;

    // Where a node keeps its key, tag and image keys.
    enum NodeRole {
        KeyRole = Qt::UserRole + 1,
        TagRole,
        ImageRole,
        SelectedImageRole,
        ColourRole, // the QColor of the dot beside the image; none when invalid
    };

    explicit CCategory(QObject* parent = nullptr);
    ~CCategory() override;

    // Binds the tree and adds the root "H0" with RootName as text and the
    // image "H0". Called once, before Add.
    void Create(QTreeWidget* objTreeView, const QString& RootName);

    // Adds a category under the root, after the ones added before, and opens
    // the root. Throws CError when the key is taken or the root is missing.
    QTreeWidgetItem* Add(const QString& Key, const QString& Caption);

    // Selects the node with that key without reporting a click. Throws
    // CError naming the key when no node has it.
    void SelectNode(const QString& Key);

    // Adds a category under the root at Position among the root's children
    // (the ones there from Position on move down). Throws as Add does.
    QTreeWidgetItem* Insert(int Position, const QString& Key, const QString& Caption);
    // Removes the node with that key; nothing when no node has it.
    void Remove(const QString& Key);
    // The context menu and keys of the tree; made by Create.
    CCategoryMenu* Commands() const { return mvarCommands; }

    // The node with that key, or nullptr.
    QTreeWidgetItem* Node(const QString& Key) const;

    QTreeWidgetItem* SelectedItem() const;
    qint32 ClassDebugID() const { return mvarClassDebugID; }
    QTreeWidget* TreeView() const { return mvarTreeView; }

    // The node marked as the target of a drag, or nullptr.
    QTreeWidgetItem* DropHighlight() const;
    void setDropHighlight(QTreeWidgetItem* node);

    ImageList Images() const { return mvarImages; }
    void setImages(const ImageList& images);

    // Node properties. The image keys are looked up in Images(); the selected
    // image is shown while the node is selected (its own image otherwise).
    static QString NodeKey(const QTreeWidgetItem* node);
    // The number in a category node's key; 0 (the root's) for a node that
    // names no category, such as a saved search.
    static qint32 NodeID(const QTreeWidgetItem* node);
    static QString NodeTag(const QTreeWidgetItem* node);
    static void setNodeTag(QTreeWidgetItem* node, const QString& tag);
    static QString NodeImage(const QTreeWidgetItem* node);
    void setNodeImage(QTreeWidgetItem* node, const QString& imageKey);
    static QString NodeSelectedImage(const QTreeWidgetItem* node);
    void setNodeSelectedImage(QTreeWidgetItem* node, const QString& imageKey);
    static QColor NodeColour(const QTreeWidgetItem* node);
    void setNodeColour(QTreeWidgetItem* node, const QColor& colour);

signals:
    // Data is the drag's own object, valid only while the handler runs.
    void OnDrop(const QMimeData* Data, QTreeWidgetItem* Node);
    void OnNodeClick(qint32 ID, QTreeWidgetItem* Node);
    // Commands of the tree's context menu and keys. Rename and delete come
    // only for nodes marked editable (CCategoryMenu::setNodeEditable).
    void OnNewCategoryRequest();
    void OnRenameRequest(qint32 ID, QTreeWidgetItem* Node);
    void OnDeleteRequest(qint32 ID, QTreeWidgetItem* Node);
    void OnCollectFolderRequest();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void mvarTreeView_NodeClick(QTreeWidgetItem* Node);
    void mvarTreeView_OLEDragOver(const QPointF& pos);
    bool mvarTreeView_OLEDragDrop(const QMimeData* Data);
    void RefreshIcon(QTreeWidgetItem* node);
    void SetupCommands();
    QIcon ImageOf(const QString& imageKey) const;
    QTreeWidgetItem* Root() const;

    QPointer<QTreeWidget> mvarTreeView;
    qint32 mvarClassDebugID;
    ImageList mvarImages;
    QPersistentModelIndex mvarDropHighlight;
    QVariant mvarSavedBackground; // the highlighted node's own colours
    QVariant mvarSavedForeground;
    bool mvarKeyboardMove = false;
    CCategoryMenu* mvarCommands = nullptr;
};
