#pragma once

#include <QEvent>
#include <QFont>
#include <QMouseEvent>
#include <QString>

namespace tessavo::platform {

// Gives a form's control the name by which handlers, tests and screen readers find it.
template <class Widget>
Widget* named(Widget* widget, const char* name) {
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

// The font of both windows: 宋体 at 13 pixels, with fall-backs that carry the same glyphs.
inline QFont formFont() {
    QFont font;
    font.setFamilies({QStringLiteral("宋体"), QStringLiteral("SimSun"), QStringLiteral("WenQuanYi Micro Hei")});
    font.setPixelSize(13);
    return font;
}

// A control's click is the left button's: the right one opens menus, the middle one pastes.
inline bool isLeftButton(const QEvent& event, QEvent::Type type) {
    return event.type() == type && static_cast<const QMouseEvent&>(event).button() == Qt::LeftButton;
}

}  // namespace tessavo::platform
