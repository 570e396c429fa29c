#include "platform/keyboard/IbusBus.h"

namespace tessavo::platform {
namespace {

const QString kKeyboardPrefix = QStringLiteral("xkb:");

// The first engine by name that starts with the prefix; empty when none does.
QString firstStartingWith(const QStringList& engines, const QString& prefix) {
    QString first;
    for (const QString& engine : engines) {
        if (engine.startsWith(prefix) && (first.isEmpty() || engine < first)) first = engine;
    }
    return first;
}

}  // namespace

QString ibusAddressFileName(const QString& machineId, const QString& waylandDisplay, const QString& x11Display) {
    const QString prefix = machineId + QStringLiteral("-");
    if (!waylandDisplay.isEmpty()) return prefix + QStringLiteral("unix-") + waylandDisplay;
    const QString display = x11Display.isEmpty() ? QStringLiteral(":0") : x11Display;
    const qsizetype colon = display.indexOf(QLatin1Char(':'));
    const QString host = colon > 0 ? display.left(colon) : QStringLiteral("unix");
    const QString number = display.mid(colon + 1).section(QLatin1Char('.'), 0, 0);
    return prefix + host + QStringLiteral("-") + number;
}

QString ibusAddressIn(const QByteArray& fileText) {
    static const QByteArray key = QByteArrayLiteral("IBUS_ADDRESS=");
    for (const QByteArray& line : fileText.split('\n')) {
        const QByteArray trimmed = line.trimmed();
        if (trimmed.startsWith(key)) return QString::fromUtf8(trimmed.mid(key.size()));
    }
    return {};
}

bool isKeyboardEngine(const QString& engine) { return engine.startsWith(kKeyboardPrefix); }

QString keyboardEngineFor(const KeyboardLayout& layout, const QStringList& engines) {
    if (!layout.layout.empty()) {
        const QString name = kKeyboardPrefix + QString::fromStdString(layout.layout) + QLatin1Char(':');
        const QString withVariant =
            firstStartingWith(engines, name + QString::fromStdString(layout.variant) + QLatin1Char(':'));
        if (!withVariant.isEmpty()) return withVariant;
        const QString plain = firstStartingWith(engines, name + QLatin1Char(':'));
        if (!plain.isEmpty()) return plain;
    }
    return QStringLiteral("xkb:us::eng");
}

}  // namespace tessavo::platform
