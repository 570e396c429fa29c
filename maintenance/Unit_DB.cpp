#include "maintenance/Unit_DB.h"

#include <QDir>

namespace tessavo::maintenance {

QString GetTempDirectory() {
    const QString directory = QDir::tempPath();
    return directory.endsWith(u'/') ? directory : directory + u'/';
}

}  // namespace tessavo::maintenance
