// Collects what Qt SVG says while a test draws: it warns (category "qt.svg")
// about every element or attribute it does not render, which would mean a
// picture looks different in the game than it was drawn.
#pragma once

#include <QStringList>

namespace vimbo::art::test {

// Installs the collecting message handler (other messages go on to Qt's own).
void watchSvgWarnings();

// The Qt SVG messages collected since the last call, then forgets them.
QStringList takeSvgWarnings();

} // namespace vimbo::art::test
