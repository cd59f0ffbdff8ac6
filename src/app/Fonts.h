#pragma once
// The fixed-pitch font the result lines and the dump use, so padded texts line up in columns.

#include <QFont>

namespace kvqor::app {

// "Courier" or, where it is missing, the desktop's fixed-pitch font, sized so that one line
// takes at most `lineHeightPx` pixels.
QFont FixedPitchFont(int lineHeightPx);

}  // namespace kvqor::app
