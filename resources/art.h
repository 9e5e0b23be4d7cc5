// The game's pictures: the 40 card faces, the card back, the opening picture
// and the window icon, all SVG drawings carried inside the executable (Qt
// resources under ":/"), and a renderer that turns them into pixmaps.
// GUI thread only (pixmaps and the render cache live there).
#pragma once

#include <QIcon>
#include <QPixmap>
#include <QSize>
#include <QString>

namespace vimbo::art {

// Size in logical pixels each picture is drawn for.
inline constexpr QSize kFaceSize{62, 100};
inline constexpr QSize kBackSize{64, 100}; // shown squeezed to kFaceSize on the stock
inline constexpr QSize kTitleSize{410, 354};
inline constexpr QSize kIconSize{32, 32};

// Resource path of the face of card 1..40 (":/cards/card01.svg" ..); an empty
// string for any other number, which render() turns into a null pixmap.
QString cardFacePath(int card);
QString backPath();
QString titlePath();
QString iconPath();

// The picture at `path` drawn into logicalSize * devicePixelRatio device pixels,
// tagged with that ratio, so it stays sharp on a high-density screen. Each
// (path, size, ratio) is drawn once and cached: the window paints faces on every
// repaint. A path that does not hold a picture gives a null pixmap.
QPixmap render(const QString& path, QSize logicalSize, qreal devicePixelRatio);

// The window icon, with sizes from 16 to 256 pixels drawn from the SVG.
QIcon icon();

} // namespace vimbo::art
