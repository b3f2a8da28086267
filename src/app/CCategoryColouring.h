#pragma once

#include <QColor>
#include <QHash>
#include <QObject>
#include <QString>
#include <functional>

class CCategory;
class CCategoryMenu;
class CTabViewer;
class CVolloDB;
class FormCategory;

// The colours of the categories as the window shows them: the colour
// submenu of the tree's menu, and a dot on each coloured category's node,
// tab and row of the category dialog.
class CCategoryColouring : public QObject {
    Q_OBJECT
public:
    CCategoryColouring(CVolloDB& repository, CCategory& Tree, CTabViewer& Tabs, FormCategory& Form);

    // Adds "色" to the tree's menu, on categories only, the stored colour
    // checked; Chosen is told the category and the palette name (empty for
    // none), and stores it.
    void AddMenu(CCategoryMenu& Commands,
                 const std::function<void(qint32, const QString&)>& Chosen);
    // The dots of every coloured category, as stored.
    void ShowAll();
    // The dot of one category, wherever it shows; an empty name takes it away.
    void Show(qint32 ID, const QString& Name);
    static QColor ColourOf(const QString& Name);

private:
    QHash<qint32, QColor> ReadColours();

    CVolloDB& m_repository;
    CCategory& m_tree;
    CTabViewer& m_tabs;
    FormCategory& m_form;
    QHash<qint32, QColor> m_colours;
};
