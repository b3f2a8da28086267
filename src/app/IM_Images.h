#pragma once

#include <QHash>
#include <QIcon>
#include <QStringList>

class QStyle;

// The main window's pictures (its ImageListTag): tree nodes and toolbar
// buttons, from the desktop's icon theme, with the style's own pictures where
// the theme has none, so every key always has an image.
namespace IM_Images {

// The keys, in the order of the image list.
QStringList ImageKeys();
// Every key with its 16 x 16 picture.
QHash<QString, QIcon> ImageListTag(const QStyle* style);

} // namespace IM_Images
