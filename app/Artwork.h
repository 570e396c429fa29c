#pragma once

#include <QIcon>
#include <QPixmap>

namespace tessavo {

// The program's own pictures, drawn at start instead of shipped as files.
QIcon ProgramIcon();
QPixmap BannerPicture(int width, int height);

}  // namespace tessavo
