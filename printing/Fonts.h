#pragma once

#include <QFont>

// The program's two font names come from the Windows world. Map them to installed faces that
// render Chinese: "宋体" to the Ming-style AR PL UMing, "MS Sans Serif" to a plain sans face.
namespace fonts {

// Call once after the Q(Gui)Application exists.
void installSubstitutions();

// "宋体" at a pixel size (the windows' controls) or a point size (the waybill fields).
QFont songPixels(int pixelSize, bool bold = false);
QFont songPoints(qreal pointSize);
QFont msSansSerifPixels(int pixelSize);
QFont msSansSerifPoints(qreal pointSize);

} // namespace fonts
