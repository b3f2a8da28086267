#include "BM_Library.h"
#include "CCategory.h"
#include "CCollationRanks.h"
#include "CContextMenu.h"
#include "CFileListModel.h"
#include "CFileListView.h"
#include "CFileListViews.h"
#include "CFindBox.h"
#include "CListViewControl.h"
#include "CMsghook.h"
#include "CTabViewer.h"
#include "support_shell.h"

#include "../support_tests.h"

#include <QtTest>
#include <QtWidgets>
#include <memory>

// One drag event as a drag from another application delivers it.
template <class Event> void sendDrag(QWidget* target, const QPoint& pos, QMimeData* data) {
    Event event(pos, Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &event);
}

void dragAndDrop(QWidget* target, const QPoint& pos, QMimeData* data) {
    sendDrag<QDragEnterEvent>(target, pos, data);
    sendDrag<QDragMoveEvent>(target, pos, data);
    sendDrag<QDropEvent>(target, pos, data);
}

class TestCategory : public QObject {
    Q_OBJECT

private slots:
    void init() {
        m_tree.reset(new QTreeWidget);
        m_tree->resize(240, 300);
        m_category.reset(new CCategory);
        m_category->Create(m_tree.get(), "すべて");
        for (const char* key : {"H1", "H2", "H3"})
            m_category->Add(QString::fromLatin1(key), "カテゴリ");
        m_tree->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_tree.get()));
    }

    void clicksAndSelection() {
        QSignalSpy click(m_category.get(), &CCategory::OnNodeClick);
        m_category->SelectNode("H2"); // from code: no report
        QCOMPARE(m_category->SelectedItem(), node("H2"));
        QCOMPARE(click.count(), 0);
        QTest::mouseClick(m_tree->viewport(), Qt::LeftButton, {}, centre("H0"));
        QTest::keyClick(m_tree.get(), Qt::Key_Down); // the keyboard reports too
        QCOMPARE(click.count(), 2);
        QCOMPARE(click[0], (QVariantList{0, QVariant::fromValue(node("H0"))}));
        QCOMPARE(click[1], (QVariantList{1, QVariant::fromValue(node("H1"))}));
        QCOMPARE(m_category->SelectedItem(), node("H1"));
    }

    void drops_data() {
        QTest::addColumn<QString>("over"); // node under the pointer; "" = empty space
        QTest::addColumn<bool>("files");
        QTest::addColumn<QString>("highlightAfter");
        QTest::newRow("files on a category") << "H2" << true << "";
        QTest::newRow("files on empty space") << "" << true << "";
        QTest::newRow("text on a category") << "H2" << false << "H2";
        QTest::newRow("text on empty space") << "" << false << "";
    }
    void drops() {
        QFETCH(QString, over);
        QFETCH(bool, files);
        QMimeData data;
        if (files)
            data.setUrls({QUrl::fromLocalFile("/tmp/-a 'b' %c 日本.doc")});
        else
            data.setText("text only");
        QSignalSpy dropped(m_category.get(), &CCategory::OnDrop);
        const QPoint pos = over.isEmpty() ? QPoint(20, 290) : centre(over);
        sendDrag<QDragEnterEvent>(m_tree->viewport(), pos, &data);
        QCOMPARE(CCategory::NodeKey(m_category->DropHighlight()), over);
        sendDrag<QDropEvent>(m_tree->viewport(), pos, &data);
        QCOMPARE(dropped.count(), files ? 1 : 0);
        if (files) {
            QCOMPARE(dropped[0][0].value<const QMimeData*>(), &data);
            QCOMPARE(dropped[0][1].value<QTreeWidgetItem*>(),
                     over.isEmpty() ? nullptr : node(over));
        }
        QTEST(CCategory::NodeKey(m_category->DropHighlight()), "highlightAfter");
    }

    void ownerMayRebuildTheTreeWhileHandlingADrop() {
        QMimeData data;
        data.setUrls({QUrl::fromLocalFile("/tmp/a.doc")});
        connect(m_category.get(), &CCategory::OnDrop, m_tree.get(), &QTreeWidget::clear);
        dragAndDrop(m_tree->viewport(), centre("H1"), &data);
        QCOMPARE(m_tree->topLevelItemCount(), 0);
        QCOMPARE(m_category->DropHighlight(), nullptr);
    }

private:
    QTreeWidgetItem* node(const QString& key) const { return m_category->Node(key); }
    QPoint centre(const QString& key) const { return m_tree->visualItemRect(node(key)).center(); }
    std::unique_ptr<QTreeWidget> m_tree;
    std::unique_ptr<CCategory> m_category;
};

// Rows in which every column gives its own order; sizes sort by value, not by text.
const char* const kRows[][3] = {{"b.doc", "9 KB", "2024/01/03"},
                                {"a.doc", "100 KB", "2024/01/01"},
                                {"d.doc", "2 KB", "2024/01/04"},
                                {"c.doc", "10 KB", "2024/01/02"}};

// The model under Qt's own consistency checks through every change a list goes
// through; a row's key and tag must travel with it. Each column's order both
// ways is the file list's header test.
class TestFileListModel : public QObject {
    Q_OBJECT

private slots:
    void changes_data() {
        QTest::addColumn<QString>("step");
        QTest::addColumn<int>("column");
        QTest::addColumn<int>("order");
        QTest::addColumn<QString>("shown"); // first letters of the rows afterwards, in order
        QTest::newRow("fill") << "fill" << 0 << 0 << "badc";
        QTest::newRow("name descending") << "sort" << 0 << 1 << "dcba";
        QTest::newRow("size ascending") << "sort" << 1 << 0 << "dbca";
        QTest::newRow("fill while sorted") << "sorted fill" << 0 << 1 << "dcba";
        QTest::newRow("remove") << "remove" << 0 << 0 << "bdc";
        QTest::newRow("clear") << "clear" << 0 << 0 << "";
    }
    void changes() {
        QFETCH(QString, step);
        QFETCH(int, column);
        QFETCH(int, order);
        QFETCH(QString, shown);
        CFileListModel model;
        QAbstractItemModelTester tester(&model,
                                        QAbstractItemModelTester::FailureReportingMode::QtTest);
        for (const char* title : {"名前", "サイズ", "日付"})
            model.AddColumnHeader(title);
        model.setSortKey(column);
        model.setSortOrder(order);
        model.setSorted(step == "sorted fill");
        for (const auto& row : kRows) {
            const quint64 param = model.AddRow(row[0], 0);
            model.setSubItemOf(param, 1, row[1]);
            model.setSubItemOf(param, 2, row[2]);
            model.setKeyOf(param, QStringLiteral("key ") + row[0]);
            model.setTagOf(param, QStringLiteral("tag ") + row[0]);
        }
        if (step == "sort")
            model.setSorted(true);
        else if (step == "remove")
            model.RemoveRow(1);
        else if (step == "clear")
            model.ClearRows();
        model.Flush();
        QCOMPARE(model.rowCount(), shown.size());
        for (int r = 0; r < shown.size(); ++r) {
            const QString name = shown.at(r) + QStringLiteral(".doc");
            const QModelIndex at = model.index(r, 2);
            QCOMPARE(model.index(r, 0).data().toString(), name);
            QCOMPARE(at.data(CFileListModel::KeyRole).toString(), "key " + name);
            QCOMPARE(at.data(CFileListModel::TagRole).toString(), "tag " + name);
        }
    }

    // Documents' keys are kept as numbers: every other key, however close
    // to one, must come back as it was given, and be found only by itself.
    void keysComeBackAsGiven_data() {
        QTest::addColumn<QString>("key");
        for (const char* key : {"H0", "H42", "H2147483647", "H2147483648", "H042", "H", "H-1",
                                "h42", "Hx42", "H42 ", "", "key a.doc"})
            QTest::newRow(*key ? key : "empty") << QString::fromLatin1(key);
        QTest::newRow("wide digits") << QStringLiteral("H４２");
    }
    void keysComeBackAsGiven() {
        QFETCH(QString, key);
        CFileListModel model;
        model.AddColumnHeader(QStringLiteral("名前"));
        const quint64 other = model.AddRow(QStringLiteral("other"), 0);
        model.setKeyOf(other, QStringLiteral("H42"));
        const quint64 param = model.AddRow(QStringLiteral("row"), 0);
        // Over a key of the other kind, which must not show through.
        model.setKeyOf(param, QStringLiteral("odd"));
        model.setKeyOf(param, QStringLiteral("H7"));
        model.setKeyOf(param, key);
        QCOMPARE(model.KeyOf(param), key);
        model.Flush();
        QCOMPARE(model.index(1, 0).data(CFileListModel::KeyRole).toString(), key);
        QList<std::pair<quint64, QString>> expected{{param, key}};
        if (key == QStringLiteral("H42"))
            expected.prepend({other, key});
        QCOMPARE(model.RowsWithKeys({key}), expected);
    }

    // A file's row is tagged with its path, which it shares with the path:
    // a new path (a relinked shortcut) must not move the tag with it.
    // A row's text is read from its path where the path ends in it: what
    // comes back is the text as given, before and after the path changes.
    void textAndTagStayWhenThePathChanges_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("path");
        QTest::newRow("shortcut") << QStringLiteral("見積書.pdf")
                                  << QStringLiteral("/links/見積書.pdf.lnk");
        QTest::newRow("document") << QStringLiteral("見積書.pdf")
                                  << QStringLiteral("/docs/見積書.pdf");
        QTest::newRow("renamed shortcut")
            << QStringLiteral("report.txt") << QStringLiteral("/links/report#1.txt.lnk");
        QTest::newRow("whole path") << QStringLiteral("a.lnk") << QStringLiteral("a.lnk");
        QTest::newRow("empty") << QString() << QStringLiteral("/links/.lnk");
        QTest::newRow("no path") << QStringLiteral("x.txt") << QString();
    }
    void textAndTagStayWhenThePathChanges() {
        QFETCH(QString, text);
        QFETCH(QString, path);
        CFileListModel model;
        model.AddColumnHeader(QStringLiteral("名前"));
        const quint64 param = model.AddRows(
            {{text, 0, {}, QStringLiteral("H3"), path, false, true, 1, 2, path, true}});
        QCOMPARE(model.TextOf(param, 0), text);
        const QString other = QStringLiteral("/links/other.lnk");
        model.setPathOf(param, other);
        QCOMPARE(model.TextOf(param, 0), text);
        QCOMPARE(model.TagOf(param), path);
        QCOMPARE(model.PathOf(param), other);
        model.setTagOf(param, other);
        model.setPathOf(param, path);
        QCOMPARE(model.TagOf(param), other);
        QCOMPARE(model.TextOf(param, 0), text);
        // Renamed in place: the new text, found and shown as it is.
        model.setTextOf(param, QStringLiteral("新しい.pdf"), 0);
        QCOMPARE(model.TextOf(param, 0), QStringLiteral("新しい.pdf"));
        QCOMPARE(model.FindRow(QStringLiteral("しい"), 0), 0);
        QCOMPARE(model.data(model.index(0, 0), Qt::DisplayRole).toString(),
                 QStringLiteral("新しい.pdf"));
    }

    // A long fill of a list that follows typing is sorted and shown on a
    // later turn of the event loop, after its last run of rows.
    void longFillShownOnALaterTurn() {
        CFileListModel model;
        model.AddColumnHeader(QStringLiteral("名前"));
        model.setSorted(true);
        model.setYieldBeforeLargeFlush(true);
        constexpr int kRows = 12000;
        model.ReserveRows(kRows);
        for (int run = 0; run < 3; ++run) {
            QList<CFileListModel::NewRow> rows;
            for (int i = run * kRows / 3; i < (run + 1) * kRows / 3; ++i) {
                CFileListModel::NewRow row;
                row.text = QStringLiteral("doc %1").arg(kRows - i, 5, 10, QLatin1Char('0'));
                rows.append(std::move(row));
            }
            model.AddRows(std::move(rows));
        }
        QCoreApplication::sendPostedEvents();
        QCOMPARE(model.rowCount(), 0);
        QTRY_COMPARE(model.rowCount(), kRows);
        QCOMPARE(model.index(0, 0).data().toString(), QStringLiteral("doc 00001"));
    }
};

// The list's own ranking must give exactly the order of the collator the
// rest of the window compares with; a long list takes the two-thread path.
class TestCollationRanks : public QObject {
    Q_OBJECT

private slots:
    void sameOrderAsTheCollator_data() {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<int>("generated");
        for (const char* name : {"en_US", "ja_JP", "de_DE", "sv_SE", "C"})
            QTest::newRow(name) << name << 0;
        QTest::newRow("ja_JP, long list") << "ja_JP" << 40000;
    }
    void sameOrderAsTheCollator() {
        QFETCH(QString, locale);
        QFETCH(int, generated);
        // Case, accents (composed and not), digits as numbers, kana and
        // kanji, a surrogate pair, a key longer than first guessed.
        QStringList texts = QStringLiteral("|a|A|a|á|a\u0301|b|résumé|Resume|resume|file 9|file "
                                           "10|file 010|File 10|file 9.5|ファイル|ふぁいる|文書 "
                                           "2|文書 10|Ärger|Zebra|ångström|\U0001F600 smile|x\ty|"
                                           "-dash|_under")
                                .split(QLatin1Char('|'));
        texts << QString(300, QChar(0x6587));
        const QStringList stems{"報告", "report", "Rapport", "écrit", "notes", "ノート"};
        for (int i = 0; i < generated; ++i)
            texts << QStringLiteral("%1 %2").arg(stems[i % stems.size()]).arg((i * 7919) % 50000);
        const std::vector<QStringView> views(texts.cbegin(), texts.cend());
        const QLocale chosen(locale);
        QCOMPARE(CCollationRanks::Ranks(chosen, views),
                 CCollationRanks::CollatorRanks(chosen, views));
    }
};

class TestFileListView : public QObject {
    Q_OBJECT

private slots:
    void init() {
        m_desktop = std::make_unique<DesktopStub>();
        m_window = std::make_unique<CListViewControl>();
        m_list = m_window.get();
        m_list->resize(600, 400);
        for (const char* title : {"名前", "サイズ", "日付"})
            m_list->AddColumnHeader(title, 2000);
        m_view = std::make_unique<CFileListView>();
        m_view->Create(m_list, new CMsghook(m_list));
        m_list->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_list));
    }
    void cleanup() {
        if (QMenu* menu = CContextMenu::CurrentMenu())
            menu->close();
        m_view.reset();
        m_window.reset();
        m_desktop.reset();
    }

    void find_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("found");
        QTest::newRow("letter case") << "abc" << QString("XABCY.doc");
        QTest::newRow("full-width letters") << "ＡＢＣ" << QString("XABCY.doc");
        QTest::newRow("full-width in the row") << "zen" << QString("ＺＥＮ.txt");
        QTest::newRow("hiragana finds katakana") << "かな" << QString("カナ表.xls");
        QTest::newRow("katakana finds hiragana") << "メモ" << QString("めもちょう.txt");
        QTest::newRow("half-width katakana") << "ﾒﾓ" << QString("めもちょう.txt");
        QTest::newRow("voiced half-width") << "ﾊﾟｽ" << QString("パスワード.txt");
        QTest::newRow("full-width digits") << "2024" << QString("report２０２４.doc");
        QTest::newRow("small kana") << "ふぁ" << QString("ファイル.txt");
        QTest::newRow("accented capitals") << "été" << QString("ÉTÉ.doc");
        QTest::newRow("voiced kana differ: no match") << "がな" << QString("alpha.doc");
        QTest::newRow("no match keeps the selection") << "zzz" << QString("alpha.doc");
    }
    void find() {
        QFETCH(QString, text);
        for (const char* name :
             {"alpha.doc", "XABCY.doc", "ＺＥＮ.txt", "カナ表.xls", "めもちょう.txt",
              "パスワード.txt", "report２０２４.doc", "ファイル.txt", "ÉTÉ.doc"})
            addRow(name);
        m_view->Item(1).setSelected(true);
        m_view->Find(text);
        const CListItem row = m_view->SelectedItem();
        QTEST(row.Text(), "found");
        // The owner's key and tag are still the row's after sorting moved it.
        QCOMPARE(m_view->Key(row.Index()), "K" + row.Text());
        QCOMPARE(m_view->Tag(row.Index()), m_desktop->dir.filePath(row.Text() + ".lnk"));
    }

    // Find starts over, FindNext (F3 and Shift+F3 too) goes on after the
    // selection and never wraps; Clear forgets rows, selection and paths.
    void findNextAndClear() {
        for (const char* name : {"ax.doc", "b.doc", "cx.doc", "dx.doc"})
            addRow(name);
        m_list->Model()->Flush();
        // Each row shows its document's icon.
        QVERIFY(!m_list->model()->index(0, 0).data(Qt::DecorationRole).value<QIcon>().isNull());
        const auto found = [this] { return m_view->SelectedItem().Index(); };
        m_view->Find("X");
        QCOMPARE(found(), 1);
        m_view->FindNext();
        QCOMPARE(found(), 3);
        QTest::keyClick(m_list, Qt::Key_F3);
        QCOMPARE(found(), 4);
        m_view->FindNext();
        QCOMPARE(found(), 4);
        m_view->Find("x");
        QCOMPARE(found(), 1);
        m_view->UnselectListItem();
        m_view->FindNext(); // nothing selected: from the first row
        QCOMPARE(found(), 1);
        m_view->Item(2).setSelected(true); // a selection made elsewhere counts too
        QTest::keyClick(m_list, Qt::Key_F3, Qt::ShiftModifier);
        QCOMPARE(found(), 3);
        m_view->Clear();
        QCOMPARE(m_view->Count(), 0);
        QVERIFY(m_view->SelectedItem().IsEmpty());
        QCOMPARE(m_view->FilePath(addRow("two.doc")), m_desktop->dir.filePath("two.doc.lnk"));
    }

    // Three clicks on a header: ascending, descending, ascending; the name
    // column already is the sort column, so its first click reverses. A
    // refilled list keeps the order, and a click on another column then sorts
    // by that column's numbers, not by those the rows sorted by before.
    void sortsByBytesAndTimeTiesByName_data() {
        QTest::addColumn<int>("column");
        QTest::addColumn<QString>("ascending"); // first letters of the names
        QTest::addColumn<QString>("thenOther"); // after a click on the size or date column
        QTest::newRow("name") << 0 << "abcd"
                              << "cdab";
        // 1.3 MB, 1.5 MB and 1.25 MB as texts; c and d are the same size and age.
        QTest::newRow("size by byte count") << 1 << "cdab"
                                            << "bcda";
        QTest::newRow("date by time") << 2 << "bcda"
                                      << "cdab";
    }
    void sortsByBytesAndTimeTiesByName() {
        QFETCH(int, column);
        QFETCH(QString, ascending);
        QFETCH(QString, thenOther);
        QString descending = ascending;
        std::reverse(descending.begin(), descending.end());
        const QDateTime start(QDate(2024, 5, 1), QTime(9, 0));
        QList<QVariantList> rows;
        for (const auto& [name, bytes, minutes] : {std::tuple{"d.doc", 1310720, 1},
                                                   {"a.doc", 1363149, 2},
                                                   {"b.doc", 1572864, 0},
                                                   {"c.doc", 1310720, 1}}) {
            QFile document(m_desktop->document(name));
            QVERIFY(document.open(QIODevice::ReadWrite) && document.resize(bytes));
            QVERIFY(document.setFileTime(start.addSecs(qint64(60) * minutes),
                                         QFileDevice::FileModificationTime));
            const QString path = document.fileName();
            rows.append({m_desktop->shortcut(QString(name) + ".lnk", path),
                         BM_Library::FileSizeText(path), BM_Library::FileDateTimeText(path)});
        }
        const auto fill = [&] {
            for (QVariantList values : rows)
                m_view->AddItem(values);
            m_list->Model()->Flush();
        };
        const auto shown = [this] {
            QString letters;
            for (int i = 1; i <= m_view->Count(); ++i)
                letters += m_view->Item(i).Text().front();
            return letters;
        };
        fill();
        QHeaderView* bar = m_list->header();
        const auto click = [bar](int at) {
            const int x = bar->sectionViewportPosition(at) + bar->sectionSize(at) / 2;
            QTest::mouseClick(bar->viewport(), Qt::LeftButton, {}, QPoint(x, bar->height() / 2));
        };
        const int first = column == 0 ? 1 : 0;
        for (int order : {first, 1 - first, first}) {
            click(column);
            QCOMPARE(m_list->SortOrder(), order);
            QCOMPARE(bar->sortIndicatorSection(), column);
            QCOMPARE(shown(), order == 1 ? descending : ascending);
        }
        m_view->Clear();
        fill();
        QCOMPARE(shown(), first == 1 ? descending : ascending);
        click(column == 1 ? 2 : 1);
        QCOMPARE(shown(), thenOther);
    }

    void gestures_data() {
        QTest::addColumn<QString>("gesture");
        QTest::addColumn<bool>("onRow");
        QTest::addColumn<QString>("counts"); // item clicks, menus shown, documents opened
        QTest::newRow("click, row") << "click" << true << "100";
        QTest::newRow("click, empty space") << "click" << false << "000";
        QTest::newRow("right-click, row") << "right" << true << "010";
        QTest::newRow("right-click, empty space") << "right" << false << "000";
        QTest::newRow("double-click, row") << "double" << true << "101";
        QTest::newRow("double-click, empty space") << "double" << false << "000";
        QTest::newRow("Enter, row selected") << "Enter" << true << "001";
        QTest::newRow("keypad Enter, row selected") << "keypad" << true << "001";
        QTest::newRow("Enter, nothing selected") << "Enter" << false << "000";
    }
    void gestures() {
        QFETCH(QString, gesture);
        QFETCH(bool, onRow);
        addRow("one.doc");
        addRow("two words.doc");
        m_list->Model()->Flush();
        m_view->Item(1).setSelected(true);
        QSignalSpy clicks(m_view.get(), &CFileListView::OnItemClick);
        QSignalSpy menus(m_view->ContextMenu(), &CContextMenu::OnMenuShown);
        QWidget* viewport = m_list->viewport();
        const QPoint pos = onRow ? m_list->visualRect(m_list->Model()->index(1, 0)).center()
                                 : QPoint(50, viewport->height() - 10);
        if (gesture == "Enter" || gesture == "keypad") { // opens the selected row
            m_view->Item(onRow ? 2 : 1).setSelected(onRow);
            QTest::keyClick(m_list, gesture == "Enter" ? Qt::Key_Return : Qt::Key_Enter);
        } else if (gesture == "right") {
            QTest::mouseClick(viewport, Qt::RightButton, {}, pos);
            QContextMenuEvent event(QContextMenuEvent::Mouse, pos, viewport->mapToGlobal(pos));
            QCoreApplication::sendEvent(viewport, &event);
        } else {
            QTest::mouseClick(viewport, Qt::LeftButton, {}, pos);
            if (gesture == "double")
                QTest::mouseDClick(viewport, Qt::LeftButton, {}, pos);
        }
        QTEST(QString("%1%2%3").arg(clicks.size()).arg(menus.size()).arg(m_desktop->urls.size()),
              "counts");
        if (!clicks.isEmpty())
            QCOMPARE(clicks.first().first().value<CListItem>().Text(), "two words.doc");
        if (!m_desktop->urls.isEmpty())
            QCOMPARE(m_desktop->urls.first(),
                     QUrl::fromLocalFile(m_desktop->dir.filePath("two words.doc")));
        if (gesture == "right") // the menu's row, or the selection left alone
            QCOMPARE(m_view->SelectedItem().Index(), onRow ? 2 : 1);
        QVERIFY(m_desktop->errors.isEmpty());
    }

private:
    // A row for a shortcut "<document>.lnk" to a new document, as the owner adds it.
    CListItem addRow(const QString& document) {
        const QString link = m_desktop->shortcut(document + ".lnk", m_desktop->document(document));
        QVariantList values{link, "1 KB", QStringLiteral("2024/01/02 03:04:05")};
        CListItem item = m_view->AddItem(values);
        item.setTag(link);
        item.setKey("K" + document);
        return item;
    }

    std::unique_ptr<DesktopStub> m_desktop;
    std::unique_ptr<CListViewControl> m_window;
    CListViewControl* m_list = nullptr;
    std::unique_ptr<CFileListView> m_view;
};

class TestFileListViews : public QObject {
    Q_OBJECT

private slots:
    void init() {
        m_window.reset(new QWidget);
        auto* layout = new QVBoxLayout(m_window.get());
        m_views.reset(new CFileListViews);
        m_views->Create();
        m_lists.clear();
        for (int i = 0; i < 3; ++i) {
            auto* list = new CListViewControl;
            list->AddColumnHeader("名前", 3000);
            list->AddListItem("row", 0);
            list->Model()->Flush();
            layout->addWidget(list);
            m_lists.append(list);
            m_views->Add(list, new CMsghook(m_window.get()), QStringLiteral("H%1").arg(i));
        }
        m_window->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    }

    void forwarding_data() {
        QTest::addColumn<QStringList>("chosen"); // SelectItem calls, in order
        QTest::addColumn<int>("source");         // the list clicked and dropped on
        QTest::addColumn<bool>("forwarded");
        QTest::addColumn<QString>("dropKey");
        QTest::newRow("chosen list") << QStringList{"H0"} << 0 << true << "H0";
        QTest::newRow("last added, not chosen") << QStringList{"H0"} << 2 << false << "";
        QTest::newRow("choice moved on") << QStringList{"H1", "H0"} << 1 << false << "";
        QTest::newRow("choice moved back") << QStringList{"H1", "H0", "H1"} << 1 << true << "H1";
    }
    void forwarding() {
        QFETCH(QStringList, chosen);
        QFETCH(int, source);
        QFETCH(bool, forwarded);
        m_lists[source]->setSelectedItem(m_lists[source]->ListItem(1));
        for (const QString& key : chosen)
            QCOMPARE(m_views->SelectItem(key)->ListView(), m_lists[key.mid(1).toInt()]);
        if (chosen.contains(QStringLiteral("H%1").arg(source))) // choosing unselects
            QVERIFY(m_lists[source]->SelectedItem().IsEmpty());
        QSignalSpy clicks(m_views.get(), &CFileListViews::OnItemClick);
        QSignalSpy drops(m_views.get(), &CFileListViews::OnDrop);
        const QRect row = m_lists[source]->visualRect(m_lists[source]->model()->index(0, 0));
        QTest::mouseClick(m_lists[source]->viewport(), Qt::LeftButton, {}, row.center());
        QMimeData data;
        data.setUrls({QUrl::fromLocalFile("/tmp/-a 'b' \"c\" %d 日本.doc")});
        dragAndDrop(m_lists[source]->viewport(), QPoint(20, 20), &data);
        QCOMPARE(QPoint(clicks.count(), drops.count()), QPoint(forwarded, forwarded));
        if (forwarded) {
            QCOMPARE(clicks[0][0].value<CListItem>().ListView(), m_lists[source]);
            QTEST(drops[0][0].toString(), "dropKey");
            QCOMPARE(drops[0][1].value<const QMimeData*>(), &data);
        }
    }

private:
    std::unique_ptr<QWidget> m_window;
    std::unique_ptr<CFileListViews> m_views;
    QList<CListViewControl*> m_lists;
};

// The search field's focus cycle and its Enter and F3 rules, with real focus
// changes in an active offscreen window.
class TestFindBox : public QObject {
    Q_OBJECT

private slots:
    void init() {
        m_window.reset(new QWidget);
        auto* layout = new QVBoxLayout(m_window.get());
        layout->addWidget(m_other = new QLineEdit);
        layout->addWidget(m_field = new QLineEdit);
        m_window->show();
        m_window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
        focus(m_other);
        m_box.reset(new CFindBox);
        m_box->Create(m_field);
    }

    void focusCycle_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("afterLeave");
        QTest::addColumn<QString>("afterReturn");
        QTest::newRow("empty gets the placeholder") << "" << QString("検索") << QString();
        QTest::newRow("user text stays") << "report" << QString("report") << QString("report");
        QTest::newRow("typed placeholder is emptied") << "検索" << QString("検索") << QString();
    }
    void focusCycle() {
        QFETCH(QString, typed);
        QCOMPARE(m_field->text(), QStringLiteral("検索"));
        QCOMPARE(back(), theme(QPalette::Button));
        focus(m_field);
        // The field's context menu takes the focus for a moment: a paste must
        // not land behind a restored placeholder.
        QFocusEvent popup(QEvent::FocusOut, Qt::PopupFocusReason);
        QCoreApplication::sendEvent(m_field, &popup);
        QCOMPARE(m_field->text(), QString());
        QCOMPARE(back(), theme(QPalette::Base));
        m_field->setText(typed);
        focus(m_other);
        QTEST(m_field->text(), "afterLeave");
        QCOMPARE(back(), theme(QPalette::Button));
        focus(m_field);
        QTEST(m_field->text(), "afterReturn");
    }

    void keys_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("key");
        QTest::addColumn<QString>("counts"); // finds, then find-nexts
        QTest::newRow("Enter") << "abc" << int(Qt::Key_Return) << "10";
        QTest::newRow("keypad Enter") << "-x '%\" 日本" << int(Qt::Key_Enter) << "10";
        QTest::newRow("placeholder searched for") << "検索" << int(Qt::Key_Return) << "10";
        QTest::newRow("F3") << "abc" << int(Qt::Key_F3) << "01";
        QTest::newRow("other key") << "abc" << int(Qt::Key_A) << "00";
        QTest::newRow("Enter when empty") << "" << int(Qt::Key_Return) << "00";
        QTest::newRow("F3 when empty") << "" << int(Qt::Key_F3) << "00";
    }
    void keys() {
        QFETCH(QString, text);
        QFETCH(int, key);
        QSignalSpy find(m_box.get(), &CFindBox::OnFind);
        QSignalSpy next(m_box.get(), &CFindBox::OnFindNext);
        focus(m_field);
        m_field->setText(text);
        QTest::keyClick(m_field, Qt::Key(key));
        // A held key's repeated releases search nothing more.
        QKeyEvent repeat(QEvent::KeyRelease, key, Qt::NoModifier, QString(), true);
        QCoreApplication::sendEvent(m_field, &repeat);
        QTEST(QString("%1%2").arg(find.count()).arg(next.count()), "counts");
        if (!find.isEmpty())
            QCOMPARE(find.first().first().toString(), text);
    }

private:
    void focus(QWidget* w) {
        w->setFocus(Qt::OtherFocusReason);
        QTRY_VERIFY(w->hasFocus());
    }
    QColor back() const { return m_field->palette().color(QPalette::Active, QPalette::Base); }
    QColor theme(QPalette::ColorRole role) const {
        return QApplication::palette(m_field).color(QPalette::Active, role);
    }

    std::unique_ptr<QWidget> m_window;
    std::unique_ptr<CFindBox> m_box;
    QLineEdit* m_field = nullptr;
    QLineEdit* m_other = nullptr;
};

// Plain widgets stand in for the lists behind the tabs.
class TestTabViewer : public QObject {
    Q_OBJECT

private slots:
    void init() {
        m_form.reset(new QWidget);
        m_tabs.reset(new CTabViewer);
        m_tabs->Create(m_form.get(), m_bar = new QTabBar(m_form.get()));
        m_lists.clear();
        for (int i = 0; i < 3; ++i) {
            m_lists.append(new QWidget(m_form.get()));
            QCOMPARE(m_tabs->Add(m_lists[i], QStringLiteral("H%1").arg(i), QString()), i + 1);
            QVERIFY(m_lists[i]->isHidden());
        }
        m_form->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_form.get()));
    }

    void choosing_data() {
        QTest::addColumn<QString>("key");
        QTest::addColumn<bool>("byUser");
        // "H0" is the tab the strip selected by itself when it was added.
        QTest::newRow("code, tab already selected") << "H0" << false;
        QTest::newRow("code, other tab") << "H2" << false;
        QTest::newRow("user click") << "H1" << true;
    }
    void choosing() {
        QFETCH(QString, key);
        QFETCH(bool, byUser);
        QCOMPARE(m_tabs->SelectedListView(), nullptr);
        QSignalSpy click(m_tabs.get(), &CTabViewer::OnClick);
        const int index = key.mid(1).toInt();
        if (byUser)
            QTest::mouseClick(m_bar, Qt::LeftButton, {}, m_bar->tabRect(index).center());
        else
            m_tabs->SelectTab(key);
        QCOMPARE(click.count(), 1);
        QCOMPARE(click[0][0].toString(), key);
        QCOMPARE(m_tabs->SelectedListView(), m_lists[index]);
        QVERIFY(m_lists[index]->isVisible());
        QCOMPARE(m_form->children().last(), m_lists[index]); // raised to the front
    }

private:
    std::unique_ptr<QWidget> m_form;
    std::unique_ptr<CTabViewer> m_tabs;
    QTabBar* m_bar = nullptr;
    QList<QWidget*> m_lists;
};

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setAttribute(Qt::AA_Use96Dpi, true);
    return RunAll<TestCategory, TestCollationRanks, TestFileListModel, TestFileListView,
                  TestFileListViews, TestFindBox, TestTabViewer>(argc, argv);
}
#include "tst_views.moc"
