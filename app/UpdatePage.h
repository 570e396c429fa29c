#pragma once

#include <QString>

namespace tessavo::app {

// The maker's site: one neutral host name for the address on the about page and the
// update check.
inline QString makerAddress() { return QStringLiteral("https://www.tessavo.example"); }

// The update page's address carries the version text right after "Tessavo", no separator.
inline QString updatePageAddress(const QString& version) {
    return makerAddress() + QStringLiteral("/?v=Tessavo") + version;
}

}  // namespace tessavo::app
