#include "platform/desktop/QtTexts.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>
#include <memory>

namespace tessavo::platform {

QTranslator* installQtChineseTexts(QCoreApplication& application) {
    auto translator = std::make_unique<QTranslator>();
    const QLocale chinese(QLocale::Chinese, QLocale::SimplifiedChineseScript, QLocale::China);
    if (!translator->load(chinese, QStringLiteral("qtbase"), QStringLiteral("_"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath)) ||
        !QCoreApplication::installTranslator(translator.get())) {
        return nullptr;
    }
    translator->setParent(&application);
    return translator.release();
}

}  // namespace tessavo::platform
