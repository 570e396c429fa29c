#include "platform/base/Error.h"

#include <QString>

namespace tessavo {

Error::Error(const QString& text) : std::runtime_error(text.toStdString()) {}

}  // namespace tessavo
