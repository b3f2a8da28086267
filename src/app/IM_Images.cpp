#include "IM_Images.h"

#include <QPixmap>
#include <QStyle>

namespace IM_Images {

namespace {

struct ImageSource {
    const char* key;
    const char* themeName;
    const char* alternativeName;
    QStyle::StandardPixmap fallback;
};

// Root, the categories, extension folders, the recent list, the
// toolbar commands and the picture of the selected node.
constexpr ImageSource Sources[] = {
    {"H0", "drive-harddisk", "folder", QStyle::SP_DriveHDIcon},
    // Every category, the design's and the user's own, shows as one kind.
    {"CategoryNode", "folder-documents", "folder", QStyle::SP_DirIcon},
    {"Folder", "folder", "inode-directory", QStyle::SP_DirIcon},
    {"Recent", "document-open-recent", "document-open", QStyle::SP_FileDialogContentsView},
    {"Exit", "application-exit", "window-close", QStyle::SP_DialogCloseButton},
    {"Category", "tag", "document-properties", QStyle::SP_FileDialogListView},
    {"About", "help-about", "dialog-information", QStyle::SP_MessageBoxInformation},
    {"selected", "folder-open", "document-open", QStyle::SP_DirOpenIcon},
};

} // namespace

QStringList ImageKeys() {
    QStringList keys;
    for (const ImageSource& s : Sources)
        keys << QString::fromLatin1(s.key);
    return keys;
}

QHash<QString, QIcon> ImageListTag(const QStyle* style) {
    QHash<QString, QIcon> images;
    for (const ImageSource& s : Sources) {
        QIcon icon = QIcon::fromTheme(QString::fromLatin1(s.themeName));
        if (icon.isNull())
            icon = QIcon::fromTheme(QString::fromLatin1(s.alternativeName));
        if (icon.isNull() && style != nullptr)
            icon = style->standardIcon(s.fallback);
        if (icon.isNull()) {
            // No theme and no style: a plain square still marks the node.
            QPixmap square(16, 16);
            square.fill(Qt::darkGray);
            icon = QIcon(square);
        }
        images.insert(QString::fromLatin1(s.key), icon);
    }
    return images;
}

} // namespace IM_Images
