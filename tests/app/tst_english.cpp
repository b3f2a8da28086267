#include "support_app.h"

#include "AM_Vollo.h"
#include "CContextMenu.h"
#include "CFileListView.h"
#include "CFileListViews.h"
#include "CLanguage.h"
#include "CVolloDB.h"
#include "FormAbout.h"
#include "FormMain.h"

#include <QtTest>
#include <QtWidgets>

using namespace AppTest;

namespace {

bool HasJapanese(const QString& text) {
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        // Kana and CJK punctuation, CJK ideographs, full-width forms.
        if ((u >= 0x3000 && u <= 0x30ff) || (u >= 0x4e00 && u <= 0x9fff) ||
            (u >= 0xff00 && u <= 0xffef))
            return true;
    }
    return false;
}

void AddModelTexts(const QAbstractItemModel* model, const QModelIndex& parent, QStringList& out) {
    if (parent == QModelIndex()) {
        for (int c = 0; c < model->columnCount(); ++c)
            out << model->headerData(c, Qt::Horizontal).toString();
    }
    for (int r = 0; r < model->rowCount(parent); ++r) {
        for (int c = 0; c < model->columnCount(parent); ++c) {
            const QModelIndex index = model->index(r, c, parent);
            out << index.data().toString() << index.data(Qt::ToolTipRole).toString();
            if (c == 0)
                AddModelTexts(model, index, out);
        }
    }
}

void AddActionTexts(const QList<QAction*>& actions, QStringList& out) {
    for (const QAction* a : actions) {
        out << a->text() << a->toolTip() << a->statusTip();
        if (a->menu() != nullptr)
            AddActionTexts(a->menu()->actions(), out);
    }
}

// Every text a window shows: titles, captions, tabs, tree nodes and list
// cells, header captions, actions and their tips, names for screen readers.
QStringList ShownTexts(QWidget* root) {
    QStringList out;
    QList<QWidget*> widgets = root->findChildren<QWidget*>();
    widgets.prepend(root);
    for (QWidget* w : std::as_const(widgets)) {
        out << w->windowTitle() << w->toolTip() << w->accessibleName() << w->statusTip();
        if (auto* label = qobject_cast<QLabel*>(w))
            out << label->text();
        if (auto* button = qobject_cast<QAbstractButton*>(w))
            out << button->text();
        if (auto* edit = qobject_cast<QLineEdit*>(w))
            out << edit->text() << edit->placeholderText();
        if (auto* text = qobject_cast<QPlainTextEdit*>(w))
            out << text->toPlainText();
        if (auto* tabs = qobject_cast<QTabBar*>(w)) {
            for (int i = 0; i < tabs->count(); ++i)
                out << tabs->tabText(i) << tabs->tabToolTip(i);
        }
        if (auto* view = qobject_cast<QAbstractItemView*>(w); view && view->model())
            AddModelTexts(view->model(), QModelIndex(), out);
        AddActionTexts(w->actions(), out);
    }
    out.removeAll(QString());
    return out;
}

QStringList Japanese(const QStringList& texts) {
    QStringList found;
    for (const QString& t : texts) {
        if (HasJapanese(t))
            found << t;
    }
    return found;
}

} // namespace

// The program speaks Japanese on a Japanese desktop and English on any other,
// texts stored in the repository included.
class TestEnglish : public QObject {
    Q_OBJECT
private slots:
    void cleanup() {
        QLocale::setDefault(QLocale::system());
        CLanguage::Load(QLocale::system());
        if (AM_Vollo::gMainForm != nullptr)
            AM_Vollo::gMainForm->close();
        delete AM_Vollo::gMainForm;
        AM_Vollo::gMainForm = nullptr;
        AM_Vollo::ReleaseRepository();
    }

    void window_data() {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<bool>("japanese");
        QTest::newRow("en_GB") << "en_GB" << false;
        QTest::newRow("de_DE") << "de_DE" << false;
        QTest::newRow("ja_JP") << "ja_JP" << true;
    }
    void window() {
        QFETCH(QString, locale);
        QFETCH(bool, japanese);
        ResetAll();
        WriteFile(DocumentsFolder() + "/report.txt");
        WriteFile(DocumentsFolder() + "/sheet.csv");
        QLocale::setDefault(QLocale(locale));
        QCOMPARE(CLanguage::Load(QLocale()), true);
        QCOMPARE(CLanguage::Japanese(), japanese);

        ModalAnswerer answerer(QMessageBox::Ok);
        AM_Vollo::OpenRepository();
        FormMain* form = AM_Vollo::ShowMainForm();
        // The stored first-start question, the window, the context menu, the
        // category dialog and the about box.
        QStringList texts = answerer.Texts();
        QCOMPARE(texts.size(), 1);
        CFileListView* list = form->FileListViews()->Item(QStringLiteral("H0"));
        QCOMPARE(list->Count(), 2);
        QMenu* menu = list->ContextMenu()->ShowMenuAt(list->Tag(1), QPoint(10, 10));
        QVERIFY(menu != nullptr);
        AddActionTexts(menu->actions(), texts);
        menu->close();
        form->findChild<QAction*>(QStringLiteral("Category"))->trigger();
        texts << ShownTexts(form);
        QTimer::singleShot(0, form, [&texts] {
            if (auto* about = qobject_cast<FormAbout*>(QApplication::activeModalWidget())) {
                texts << ShownTexts(about);
                about->close();
            }
        });
        form->findChild<QAction*>(QStringLiteral("About"))->trigger();
        QVERIFY(form->findChild<FormAbout*>() != nullptr);

        const QStringList shownJapanese = Japanese(texts);
        if (!japanese) {
            QVERIFY2(shownJapanese.isEmpty(), qPrintable(shownJapanese.join(" | ")));
            QVERIFY(texts.contains("All Files") && texts.contains("Name") &&
                    texts.contains("Exit") && texts.contains("2 files"));
        } else {
            const QString all = texts.join(QLatin1Char('\n'));
            for (const char* expected : {"すべてのファイル", "名前", "終了", "2 個のファイル",
                                         "カテゴリ設定", "重要", "のバージョン情報"})
                QVERIFY2(all.contains(QString::fromUtf8(expected)), expected);
        }
        // Nothing translated reached the repository.
        QCOMPARE(AM_Vollo::gRepository->RunQuery("getRootFolder").Field("Value").toString(),
                 QString::fromUtf8("すべてのファイル"));
    }

    // The installed way: the desktop's LANGUAGE picks the language of the
    // real program, whose catalogue lies relative to it.
    void commandLine_data() {
        QTest::addColumn<QString>("language");
        QTest::addColumn<QString>("expected");
        QTest::newRow("en") << "en"
                            << "Organises your documents";
        QTest::newRow("fr:de") << "fr:de"
                               << "Organises your documents";
        QTest::newRow("ja") << "ja" << QString::fromUtf8("カテゴリで整理");
    }
    void commandLine() {
        QFETCH(QString, language);
        QFETCH(QString, expected);
        QProcess process;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("LANG", "C.UTF-8");
        env.insert("LANGUAGE", language);
        process.setProcessEnvironment(env);
        process.start(QCoreApplication::applicationDirPath() + "/vollo", {"--help"});
        QVERIFY(process.waitForFinished(10000));
        const QString help = QString::fromUtf8(process.readAllStandardOutput());
        QVERIFY2(help.contains(expected), qPrintable(help));
    }
};

QTEST_MAIN(TestEnglish)
#include "tst_english.moc"
