#include "FormAbout.h"

#include <QColor>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QLabel>
#include <QPalette>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRect>
#include <QWidget>

namespace {

struct Version {
    int major = VOLLO_VERSION_MAJOR;
    int minor = VOLLO_VERSION_MINOR;
    int revision = VOLLO_VERSION_PATCH;
};

Version& ProgramVersion() {
    static Version version;
    return version;
}

// The window is laid out in twips, 15 to a device-independent pixel.
QRect FromTwips(int left, int top, int width, int height) {
    return QRect(left / 15, top / 15, width / 15, height / 15);
}

// A larger desktop font or a longer translation must not run the text into
// the banner's pictures: the font shrinks until the text fits its place.
void ShrinkToFit(QLabel* label) {
    QFont font = label->font();
    const auto fits = [label](const QFont& f) {
        const QFontMetrics metrics(f);
        return metrics.horizontalAdvance(label->text()) <= label->width() &&
               metrics.height() <= label->height();
    };
    while (font.pointSizeF() > 6 && !fits(font))
        font.setPointSizeF(font.pointSizeF() - 0.5);
    label->setFont(font);
}

} // namespace

// The resources live in a static library, whose registration the linker would
// otherwise drop; the macro cannot stand inside a namespace.
static void InitAboutResources() {
    Q_INIT_RESOURCE(about);
}

void FormAbout::setVersionOverride(int major, int minor, int revision) {
    if (major < 0)
        ProgramVersion() = Version();
    else
        ProgramVersion() = Version{major, minor, revision};
}

FormAbout::FormAbout(QWidget* parent)
    : QDialog(parent), m_copyright(QStringLiteral("Copyright (C) 2026 Vollo developers")),
      m_description(
          tr("本ソフトウェアは、文書を移動することなくカテゴリで整理するためのプログラムです。"
             "本ソフトウェアは現状のまま提供され、商品性および特定目的への適合性を含め、"
             "明示・黙示を問わず一切の保証はありません。本ソフトウェアの使用または使用不能に"
             "より生じたいかなる損害についても、開発者は責任を負いません。")) {
    InitAboutResources();
    setObjectName(QStringLiteral("FormAbout"));
    setModal(true);
    setWindowTitle(tr("バージョン情報"));
    setFixedSize(FromTwips(0, 0, 4395, 4890).size());

    Picture1 = new QWidget(this);
    Picture1->setObjectName(QStringLiteral("Picture1"));
    Picture1->setGeometry(FromTwips(0, 0, 4395, 1095));
    Image1 = new QLabel(Picture1);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setGeometry(Picture1->rect());
    Image1->setScaledContents(true);
    Image1->setPixmap(QPixmap(QStringLiteral(":/about/banner.jpg")));
    Image1->setAccessibleName(QStringLiteral("Vollo"));

    // The tagline is text over the picture, not part of it, so it is translated.
    lblTagline = new QLabel(tr("文書をそのままに、カテゴリで整理"), Picture1);
    lblTagline->setObjectName(QStringLiteral("lblTagline"));
    lblTagline->setTextFormat(Qt::PlainText);
    lblTagline->setGeometry(FromTwips(270, 660, 2700, 300));
    // It stands on the banner's dark blue in every theme: the banner's colour, not the palette's.
    QPalette onBanner = lblTagline->palette();
    onBanner.setColor(QPalette::WindowText, QColor(0xe6, 0xee, 0xf5));
    lblTagline->setPalette(onBanner);
    ShrinkToFit(lblTagline);

    lblTitle = new QLabel(tr("製品名"), this);
    lblTitle->setObjectName(QStringLiteral("lblTitle"));
    // Titles and names are shown as they are, never read as markup.
    lblTitle->setTextFormat(Qt::PlainText);
    lblTitle->setGeometry(FromTwips(240, 1260, 3885, 540));
    QFont titleFont = lblTitle->font();
    titleFont.setBold(true);
    if (titleFont.pointSizeF() > 0)
        titleFont.setPointSizeF(titleFont.pointSizeF() * 1.5);
    lblTitle->setFont(titleFont);

    lblVersion = new QLabel(tr("バージョン"), this);
    lblVersion->setObjectName(QStringLiteral("lblVersion"));
    lblVersion->setTextFormat(Qt::PlainText);
    lblVersion->setGeometry(FromTwips(240, 1860, 3885, 220));

    lblCopyright = new QLabel(tr("著作権"), this);
    lblCopyright->setObjectName(QStringLiteral("lblCopyright"));
    lblCopyright->setTextFormat(Qt::PlainText);
    lblCopyright->setGeometry(FromTwips(240, 2160, 3885, 435));
    lblCopyright->setWordWrap(true);
    lblCopyright->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    txtDescription = new QPlainTextEdit(this);
    txtDescription->setObjectName(QStringLiteral("txtDescription"));
    txtDescription->setGeometry(FromTwips(240, 2700, 3915, 1515));
    txtDescription->setReadOnly(true);

    cmdOK = new QPushButton(QStringLiteral("OK"), this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdOK->setGeometry(FromTwips(2760, 4380, 1380, 345));
    cmdOK->setDefault(true);
    connect(cmdOK, &QPushButton::clicked, this, &FormAbout::cmdOK_Click);
}

void FormAbout::setVisible(bool visible) {
    if (visible && !isVisible())
        Form_Load();
    QDialog::setVisible(visible);
}

void FormAbout::Form_Load() {
    const QString t = m_title.isEmpty() ? QGuiApplication::applicationDisplayName() : m_title;
    const Version& v = ProgramVersion();
    const QString number = QStringLiteral("%1.%2.%3").arg(v.major).arg(v.minor).arg(v.revision);
    QString caption;
    QString versionLine;
    QString heading;
    QString described; // the text box's name for screen readers
    if (m_language == 2) {
        caption = t + QStringLiteral(" のバージョン情報");
        versionLine = QStringLiteral("バージョン ") + number;
        heading = QStringLiteral("説明：");
        described = QStringLiteral("説明");
    } else {
        caption = QStringLiteral("About ") + t;
        versionLine = QStringLiteral("Version ") + number;
        heading = QStringLiteral("Description:");
        described = QStringLiteral("Description");
    }
    txtDescription->setAccessibleName(described);
    setWindowTitle(caption);
    lblVersion->setText(versionLine);
    lblTitle->setText(t);
    lblCopyright->setText(m_copyright);
    // A text box's own line break; the platform's is a plain line feed.
    txtDescription->setPlainText(heading + QLatin1Char('\n') + m_description);
}

void FormAbout::cmdOK_Click() {
    accept();
}
