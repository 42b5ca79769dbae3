#include "ui/common/Twips.h"

#include <cmath>

namespace pelto::ui {

int twipsToPixels(int twips, qreal logicalDpi) {
    return static_cast<int>(std::lround(twips * logicalDpi / kTwipsPerInch));
}

int pixelsToTwips(int pixels, qreal logicalDpi) {
    return static_cast<int>(std::lround(pixels * kTwipsPerInch / logicalDpi));
}

QPoint twipsToPixels(QPoint twips, qreal logicalDpi) {
    return {twipsToPixels(twips.x(), logicalDpi), twipsToPixels(twips.y(), logicalDpi)};
}

QPoint pixelsToTwips(QPoint pixels, qreal logicalDpi) {
    return {pixelsToTwips(pixels.x(), logicalDpi), pixelsToTwips(pixels.y(), logicalDpi)};
}

QRect pixelsToTwips(const QRect& pixels, qreal logicalDpi) {
    return {pixelsToTwips(pixels.topLeft(), logicalDpi),
            QSize(pixelsToTwips(pixels.width(), logicalDpi),
                  pixelsToTwips(pixels.height(), logicalDpi))};
}

} // namespace pelto::ui
