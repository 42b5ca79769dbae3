#pragma once
// Window geometry the program stores or fixes is in twips: 1440 to the logical inch, so 15 to a
// pixel at 96 dots per inch. These convert between twips and the device-independent pixels Qt
// places widgets in, for a given logical resolution.

#include <QPoint>
#include <QRect>

namespace pelto::ui {

inline constexpr int kTwipsPerInch = 1440;

// Rounded to the nearest pixel / twip; `logicalDpi` must be positive.
int twipsToPixels(int twips, qreal logicalDpi);
int pixelsToTwips(int pixels, qreal logicalDpi);
QPoint twipsToPixels(QPoint twips, qreal logicalDpi);
QPoint pixelsToTwips(QPoint pixels, qreal logicalDpi);
QRect pixelsToTwips(const QRect& pixels, qreal logicalDpi);

} // namespace pelto::ui
