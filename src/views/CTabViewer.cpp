#include "CTabViewer.h"

#include "CError.h"

CTabViewer::CTabViewer(QObject* parent) : QObject(parent) {}

CTabViewer::~CTabViewer() = default;

void CTabViewer::Create(QWidget* objForm, QTabBar* objTabStrip) {
    if (!objTabStrip)
        throw CError(QStringLiteral("CTabViewer.Create: no tab strip was given."));
    if (mvarTabStrip)
        disconnect(mvarTabStrip, nullptr, this, nullptr);
    mvarForm = objForm;
    mvarTabStrip = objTabStrip;
    // currentChanged covers mouse and keyboard alike; changes made by this
    // class are held back and reported by the operation itself.
    connect(mvarTabStrip, &QTabBar::currentChanged, this, [this](int index) {
        if (!mvarChanging && index >= 0)
            mvarTabStrip_Click();
    });
}

qint32 CTabViewer::Add(QWidget* objListView, const QString& Key, const QString& Caption) {
    RequireCreated(QStringLiteral("Add"));
    if (mvarControls.contains(Key))
        throw CError(QStringLiteral("CTabViewer.Add: the tab key \"%1\" has already been "
                                    "used; a key cannot be added twice.")
                         .arg(Key));
    if (Key.isEmpty())
        throw CError(QStringLiteral("CTabViewer.Add: a tab needs a key to find its list by."));
    if (!objListView)
        throw CError(QStringLiteral("CTabViewer.Add(\"%1\"): no list view was given.").arg(Key));
    mvarChanging = true;
    // A category's name is shown as typed: "&" is no mnemonic here.
    const int index =
        mvarTabStrip->addTab(QString(Caption).replace(QLatin1Char('&'), QLatin1String("&&")));
    mvarTabStrip->setTabData(index, Key);
    mvarChanging = false;
    mvarControls.insert(Key, objListView);
    objListView->setVisible(false);
    return qint32(mvarTabStrip->count());
}

void CTabViewer::Delete(const QString& Key) {
    RequireCreated(QStringLiteral("Delete"));
    const int index = IndexOf(Key);
    if (index < 0)
        throw CError(QStringLiteral("CTabViewer.Delete: no tab has the key \"%1\".").arg(Key));
    const bool wasSelected = index == mvarTabStrip->currentIndex();
    mvarChanging = true;
    mvarTabStrip->removeTab(index);
    mvarChanging = false;
    // A category made later may take the deleted one's number, and its key.
    mvarControls.remove(Key);
    // The neighbour the tab strip selects in its place must show its own
    // list, not leave the removed tab's list in front.
    if (wasSelected && mvarTabStrip->currentIndex() >= 0)
        mvarTabStrip_Click();
}

void CTabViewer::SelectTab(const QString& Key) {
    RequireCreated(QStringLiteral("SelectTab"));
    const int index = IndexOf(Key);
    if (index < 0)
        throw CError(QStringLiteral("CTabViewer.SelectTab: no tab has the key \"%1\".").arg(Key));
    mvarChanging = true;
    mvarTabStrip->setCurrentIndex(index);
    mvarChanging = false;
    // Handled here rather than by the tab strip's signal, which stays silent
    // when the tab was selected already: the list must be shown and the owner
    // told either way.
    mvarTabStrip_Click();
}

QString CTabViewer::SelectedKey() const {
    if (!mvarTabStrip || mvarTabStrip->currentIndex() < 0)
        return QString();
    return mvarTabStrip->tabData(mvarTabStrip->currentIndex()).toString();
}

void CTabViewer::mvarTabStrip_Click() {
    const QString key = SelectedKey();
    if (QWidget* control = mvarControls.value(key)) {
        control->raise();
        control->setVisible(true);
        mvarSelectedListView = control;
    }
    emit OnClick(key);
}

void CTabViewer::RequireCreated(const QString& operation) const {
    if (!mvarTabStrip)
        throw CError(QStringLiteral("CTabViewer.%1: no tab strip is bound; Create must run "
                                    "first.")
                         .arg(operation));
}

int CTabViewer::IndexOf(const QString& Key) const {
    for (int i = 0; i < mvarTabStrip->count(); ++i) {
        if (mvarTabStrip->tabData(i).toString() == Key)
            return i;
    }
    return -1;
}
