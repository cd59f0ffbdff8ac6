#include "app/Fonts.h"

#include <QFontMetrics>

namespace kvqor::app {

QFont FixedPitchFont(int lineHeightPx) {
    QFont font(QStringLiteral("Courier"));
    font.setStyleHint(QFont::TypeWriter);
    font.setFixedPitch(true);
    // The family behind "Courier" differs between desktops; pick the size by what its lines take.
    int size = lineHeightPx;
    for (; size > 6; --size) {
        font.setPixelSize(size);
        if (QFontMetrics(font).height() <= lineHeightPx)
            break;
    }
    font.setPixelSize(size);
    return font;
}

}  // namespace kvqor::app
