#include "tests/support/X11Desktop.h"

#include <gtest/gtest.h>

#include <QProcess>
#include <QProcessEnvironment>
#include <stdexcept>

#include "tests/support/WaitUntil.h"

// Xlib's macros (None, Bool, Status) come after every other header.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace tessavo::test {
namespace {

int ignoreError(Display*, XErrorEvent*) { return 0; }

// Windows of other programs come and go between two requests: their errors are expected and
// leave the answer empty.
class IgnoredErrors {
public:
    explicit IgnoredErrors(Display* display) : display_(display), previous_(XSetErrorHandler(ignoreError)) {}
    ~IgnoredErrors() {
        XSync(display_, False);
        XSetErrorHandler(previous_);
    }
    IgnoredErrors(const IgnoredErrors&) = delete;
    IgnoredErrors& operator=(const IgnoredErrors&) = delete;

private:
    Display* display_;
    XErrorHandler previous_;
};

// A window property of the given type: its item size in bits and its items, as they came.
struct Property {
    int format = 0;
    unsigned long count = 0;
    QByteArray bytes;
};

std::optional<Property> propertyOf(Display* display, Window window, Atom property, Atom type) {
    const IgnoredErrors ignored(display);
    Atom actualType = 0;
    Property result;
    unsigned long remaining = 0;
    unsigned char* data = nullptr;
    if (XGetWindowProperty(display, window, property, 0, 4096, False, type, &actualType, &result.format, &result.count,
                           &remaining, &data) != Success ||
        !data) {
        return std::nullopt;
    }
    // Xlib hands 32-bit items over as longs.
    const int itemSize = result.format == 32 ? int(sizeof(long)) : result.format / 8;
    result.bytes = QByteArray(reinterpret_cast<const char*>(data), int(result.count) * itemSize);
    XFree(data);
    if (actualType != type) return std::nullopt;
    return result;
}

// The 32-bit items (atoms, cardinals) of a window property of the given type.
std::vector<unsigned long> longItems(Display* display, Window window, const char* name, Atom type) {
    const auto property = propertyOf(display, window, XInternAtom(display, name, False), type);
    if (!property || property->format != 32) return {};
    const auto* values = reinterpret_cast<const unsigned long*>(property->bytes.constData());
    return {values, values + property->count};
}

std::optional<QByteArray> bytesProperty(Display* display, Window window, Atom name, Atom type) {
    const auto property = propertyOf(display, window, name, type);
    if (!property || property->format != 8) return std::nullopt;
    return property->bytes;
}

QStringList atomNames(Display* display, const std::vector<unsigned long>& atoms) {
    QStringList names;
    for (const unsigned long atom : atoms) {
        const IgnoredErrors ignored(display);
        if (char* name = XGetAtomName(display, atom)) {
            names << QString::fromLatin1(name);
            XFree(name);
        }
    }
    return names;
}

std::optional<XWindowAttributes> attributesOf(Display* display, Window window) {
    const IgnoredErrors ignored(display);
    XWindowAttributes attributes{};
    if (!XGetWindowAttributes(display, window, &attributes)) return std::nullopt;
    return attributes;
}

// The colour of one pixel of a true-colour image, whatever the masks.
QRgb rgbOf(unsigned long pixel, const XImage& image) {
    const auto channel = [pixel](unsigned long mask) {
        if (mask == 0) return 0;
        int shift = 0;
        while (((mask >> shift) & 1UL) == 0) ++shift;
        const unsigned long value = (pixel & mask) >> shift;
        const unsigned long maximum = mask >> shift;
        return int(value * 255 / maximum);
    };
    return qRgb(channel(image.red_mask), channel(image.green_mask), channel(image.blue_mask));
}

}  // namespace

X11Desktop::X11Desktop(const std::string& display) : name_(display), display_(XOpenDisplay(display.c_str())) {
    if (!display_) throw std::runtime_error("cannot open the X display " + display);
}

X11Desktop::~X11Desktop() { XCloseDisplay(display_); }

XWindowId X11Desktop::root() const { return DefaultRootWindow(display_); }

std::vector<XWindowId> X11Desktop::children(XWindowId window) const {
    const IgnoredErrors ignored(display_);
    Window rootReturn = 0;
    Window parent = 0;
    Window* list = nullptr;
    unsigned int count = 0;
    std::vector<XWindowId> result;
    if (XQueryTree(display_, window, &rootReturn, &parent, &list, &count) && list) {
        result.assign(list, list + count);
        XFree(list);
    }
    return result;
}

std::vector<XWindowId> X11Desktop::stackingOrder() const { return children(root()); }

QString X11Desktop::title(XWindowId window) const {
    const Atom utf8 = XInternAtom(display_, "UTF8_STRING", False);
    if (auto name = bytesProperty(display_, window, XInternAtom(display_, "_NET_WM_NAME", False), utf8))
        return QString::fromUtf8(*name);
    if (auto name = bytesProperty(display_, window, XA_WM_NAME, XA_STRING)) return QString::fromLatin1(*name);
    return {};
}

std::vector<XWindowId> X11Desktop::topLevelWindows(const QString& wanted) const {
    std::vector<XWindowId> found;
    for (const XWindowId window : stackingOrder()) {
        if (title(window) == wanted) found.push_back(window);
    }
    return found;
}

std::vector<XWindowId> X11Desktop::shownWindows(std::optional<qint64> pid) const {
    std::vector<XWindowId> found;
    for (const XWindowId window : stackingOrder()) {
        const auto attributes = attributesOf(display_, window);
        if (!attributes || attributes->map_state != IsViewable || attributes->override_redirect) continue;
        if (pid) {
            const auto owner = longItems(display_, window, "_NET_WM_PID", XA_CARDINAL);
            if (owner.size() != 1 || qint64(owner[0]) != *pid) continue;
        }
        found.push_back(window);
    }
    return found;
}

std::vector<XWindowId> X11Desktop::shownPopups(qint64 pid) const {
    std::vector<XWindowId> found;
    for (const XWindowId window : stackingOrder()) {
        const auto attributes = attributesOf(display_, window);
        if (!attributes || attributes->map_state != IsViewable || !attributes->override_redirect) continue;
        const auto owner = longItems(display_, window, "_NET_WM_PID", XA_CARDINAL);
        if (owner.size() == 1 && qint64(owner[0]) == pid) found.push_back(window);
    }
    return found;
}

std::optional<XWindowId> X11Desktop::shownWindow(const QString& wanted) const {
    for (const XWindowId window : shownWindows()) {
        if (title(window) == wanted) return window;
    }
    return std::nullopt;
}

std::optional<XWindowId> X11Desktop::waitForShownWindow(const QString& wanted) const {
    std::optional<XWindowId> found;
    waitUntil([&] { return (found = shownWindow(wanted)).has_value(); });
    return found;
}

std::optional<XWindowId> X11Desktop::waitForFramedWindow(const QString& wanted) const {
    std::optional<XWindowId> found;
    waitUntil([&] { return (found = shownDescendant(root(), wanted)).has_value(); });
    return found;
}

std::optional<XWindowId> X11Desktop::shownDescendant(XWindowId ancestor, const QString& wanted) const {
    for (const XWindowId child : children(ancestor)) {
        if (isViewable(child) && title(child) == wanted) return child;
        if (auto below = shownDescendant(child, wanted)) return below;
    }
    return std::nullopt;
}

bool X11Desktop::isViewable(XWindowId window) const {
    const auto attributes = attributesOf(display_, window);
    return attributes && attributes->map_state == IsViewable;
}

QRect X11Desktop::geometry(XWindowId window) const {
    const auto attributes = attributesOf(display_, window);
    if (!attributes) return {};
    const IgnoredErrors ignored(display_);
    int x = 0;
    int y = 0;
    Window child = 0;
    XTranslateCoordinates(display_, window, root(), 0, 0, &x, &y, &child);
    return {x, y, attributes->width, attributes->height};
}

QSize X11Desktop::screenSize() const {
    return {DisplayWidth(display_, DefaultScreen(display_)), DisplayHeight(display_, DefaultScreen(display_))};
}

QStringList X11Desktop::states(XWindowId window) const {
    return atomNames(display_, longItems(display_, window, "_NET_WM_STATE", XA_ATOM));
}

QStringList X11Desktop::windowTypes(XWindowId window) const {
    return atomNames(display_, longItems(display_, window, "_NET_WM_WINDOW_TYPE", XA_ATOM));
}

XWindowId X11Desktop::focusedWindow() const {
    Window focus = 0;
    int revert = 0;
    XGetInputFocus(display_, &focus, &revert);
    return focus;
}

bool X11Desktop::focus(XWindowId window) {
    {
        const IgnoredErrors ignored(display_);
        XSetInputFocus(display_, window, RevertToParent, CurrentTime);
    }
    return waitUntil([&] { return focusedWindow() == window; });
}

bool X11Desktop::selectionOwned(const char* selection) const {
    return XGetSelectionOwner(display_, XInternAtom(display_, selection, False)) != 0;
}

XWindowId X11Desktop::openCoveringWindow(const QRect& area) {
    const int screen = DefaultScreen(display_);
    const Window window =
        XCreateSimpleWindow(display_, root(), area.x(), area.y(), unsigned(area.width()), unsigned(area.height()), 0,
                            BlackPixel(display_, screen), WhitePixel(display_, screen));
    XStoreName(display_, window, "covering window of the test");
    XMapRaised(display_, window);
    XSync(display_, False);
    waitUntil([&] { return isViewable(window); });
    return window;
}

void X11Desktop::closeWindow(XWindowId window) {
    const IgnoredErrors ignored(display_);
    XDestroyWindow(display_, window);
}

QImage X11Desktop::grab(XWindowId window) const {
    const QRect area = geometry(window);
    if (area.isEmpty()) return {};
    const IgnoredErrors ignored(display_);
    XImage* image =
        XGetImage(display_, window, 0, 0, unsigned(area.width()), unsigned(area.height()), AllPlanes, ZPixmap);
    if (!image) return {};
    QImage picture(area.size(), QImage::Format_RGB32);
    for (int y = 0; y < area.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(picture.scanLine(y));
        for (int x = 0; x < area.width(); ++x) line[x] = rgbOf(XGetPixel(image, x, y), *image);
    }
    XDestroyImage(image);
    return picture;
}

void X11Desktop::xdotool(const QStringList& arguments) const {
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("DISPLAY"), QString::fromStdString(name_));
    process.setProcessEnvironment(environment);
    process.start(QStringLiteral("xdotool"), arguments);
    const bool done = process.waitForFinished(int(kPatience.count()));
    if (!done) process.kill();
    if (!done || process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
        ADD_FAILURE() << "xdotool " << arguments.join(u' ').toStdString()
                      << " failed: " << process.readAllStandardError().toStdString();
    }
    process.waitForFinished();
}

QPoint X11Desktop::pointer() const {
    Window rootReturn = 0;
    Window child = 0;
    int x = 0;
    int y = 0;
    int windowX = 0;
    int windowY = 0;
    unsigned int buttons = 0;
    XQueryPointer(display_, root(), &rootReturn, &child, &x, &y, &windowX, &windowY, &buttons);
    return {x, y};
}

// xdotool's own --sync waits long when the pointer is there already.
void X11Desktop::moveMouse(const QPoint& at) {
    xdotool({QStringLiteral("mousemove"), QString::number(at.x()), QString::number(at.y())});
    if (!waitUntil([&] { return pointer() == at; })) ADD_FAILURE() << "the pointer did not move";
}

void X11Desktop::click(const QPoint& at, int button) {
    moveMouse(at);
    xdotool({QStringLiteral("click"), QString::number(button)});
}

void X11Desktop::type(const QString& text) {
    xdotool({QStringLiteral("type"), QStringLiteral("--delay"), QStringLiteral("40"), QStringLiteral("--"), text});
}

void X11Desktop::keys(const QStringList& names) {
    xdotool(QStringList{QStringLiteral("key"), QStringLiteral("--delay"), QStringLiteral("60")} + names);
}

}  // namespace tessavo::test
