#pragma once
// The program's pictures, drawn at run time so that no image file has to travel with it.

#include <QImage>

namespace kvqor::app {

inline constexpr QSize kAdapterBoardSize{150, 107};
inline constexpr QSize kProgrammerWithAdapterSize{280, 205};
inline constexpr QSize kAboutPictureSize{96, 96};

// The AT90S8535 adapter board on its own, 24-bit colour.
QImage AdapterBoardPicture();

// The programmer with the adapter fitted in its socket, 24-bit colour.
QImage ProgrammerWithAdapterPicture();

// The About box picture: a chip in its socket; also the window icon.
QImage AboutPicture();

}  // namespace kvqor::app
