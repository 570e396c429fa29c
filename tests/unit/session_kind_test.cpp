// The session the program starts in and the fill path chosen for it, from the environment.
#include <gtest/gtest.h>

#include "platform/desktop/SessionKind.h"

namespace tessavo::platform {
namespace {

struct SessionCase {
    SessionEnvironment environment;  // XDG_SESSION_TYPE, WAYLAND_DISPLAY, DISPLAY
    SessionKind kind;
};

TEST(SessionKind, TheEnvironmentTellsTheSession) {
    const SessionCase cases[] = {
        {{"", "", ":0"}, SessionKind::X11},
        {{"x11", "", ":0"}, SessionKind::X11},
        {{"x11", "", ""}, SessionKind::X11},
        {{"x11", "wayland-1", ":1"}, SessionKind::X11},   // a compositor nested in an X session
        {{"", "wayland-0", ":0"}, SessionKind::Wayland},  // Xwayland beside it
        {{"", "wayland-0", ""}, SessionKind::Wayland},
        {{"wayland", "", ":0"}, SessionKind::Wayland},
        {{"wayland", "wayland-0", ":0"}, SessionKind::Wayland},
        {{"Wayland", "", ""}, SessionKind::Wayland},
        {{"tty", "", ":0"}, SessionKind::X11},
        {{"tty", "", ""}, SessionKind::None},
        {{"", "", ""}, SessionKind::None},
    };
    for (const SessionCase& c : cases) {
        const SessionEnvironment& e = c.environment;
        EXPECT_EQ(sessionKindOf(e), c.kind)
            << "XDG_SESSION_TYPE=" << e.sessionType.toStdString()
            << " WAYLAND_DISPLAY=" << e.waylandDisplay.toStdString() << " DISPLAY=" << e.display.toStdString();
    }
}

TEST(SessionKind, OnlyAWaylandSessionWithoutABackendHasNothingToTypeWith) {
    EXPECT_EQ(chooseFillPath(SessionKind::X11), FillPath::X11);
    EXPECT_EQ(chooseFillPath(SessionKind::None), FillPath::X11);
    EXPECT_EQ(chooseFillPath(SessionKind::Wayland), FillPath::None);
    EXPECT_TRUE(canType(FillPath::X11));
    EXPECT_TRUE(canType(FillPath::WaylandWlroots));
    EXPECT_TRUE(canType(FillPath::WaylandPortal));
    EXPECT_FALSE(canType(FillPath::None));
}

TEST(SessionKind, AWaylandSessionTypesWithWhatItOffers) {
    struct Case {
        SessionKind session;
        WaylandOffers offers;  // virtual keyboard, portal RemoteDesktop
        FillPath path;
    };
    const Case cases[] = {
        {SessionKind::Wayland, {false, false}, FillPath::None},
        {SessionKind::Wayland, {false, true}, FillPath::WaylandPortal},
        {SessionKind::Wayland, {true, false}, FillPath::WaylandWlroots},
        {SessionKind::Wayland, {true, true}, FillPath::WaylandWlroots},  // the compositor's own keyboard first
        {SessionKind::X11, {true, true}, FillPath::X11},                 // X11 sessions type as always
        {SessionKind::None, {false, true}, FillPath::X11},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(chooseFillPath(c.session, c.offers), c.path)
            << fillPathName(c.path) << " expected; virtual keyboard " << c.offers.virtualKeyboard << ", portal "
            << c.offers.portalRemoteDesktop;
    }
}

}  // namespace
}  // namespace tessavo::platform
