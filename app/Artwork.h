#pragma once

#include <QIcon>
#include <QPixmap>

namespace tessavo::app {

// The program's own pictures, drawn at start instead of shipped as files.
QIcon programIcon();
QPixmap bannerPicture(int width, int height);

// Writes the program's icon as a PNG picture beside the executable ("<executable>.png"), for
// launchers to show; an identical picture already there is kept. Returns its path, or nothing
// when there is no picture there (a read-only folder, say).
QString writeProgramIconBeside(const QString& executable);

}  // namespace tessavo::app
