// A stand-in for the desktop portal on a private session bus: it owns
// org.freedesktop.portal.Desktop and answers RemoteDesktop and GlobalShortcuts as the
// documentation describes, each request's Response signal sent before the call's reply (a
// client that subscribes late misses it). Everything it is asked is written to a log that
// tests read through its control object, where they also set the answer to Start (0xFFFFFFFF:
// none ever comes), make the next Starts fail as on a desktop without a screen yet, and use a
// bound shortcut. From RemoteDesktop version 2 on it remembers an answer for a session asked
// with persist_mode 2 and gives a restore token; a later session that brings the last token it
// gave starts without asking, one that brings another token fails.
//   tessavo_fake_portal [--without-remote-desktop] [--without-global-shortcuts]
//                       [--remote-desktop-version N]
// It prints "ready" on standard output once the name is owned.
#include <QCoreApplication>
#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusVariant>
#include <QDBusVirtualObject>
#include <QDateTime>
#include <QStringList>
#include <cstdio>
#include <string_view>

namespace {

const QString kDesktopPath = QStringLiteral("/org/freedesktop/portal/desktop");
const QString kRemoteDesktop = QStringLiteral("org.freedesktop.portal.RemoteDesktop");
const QString kGlobalShortcuts = QStringLiteral("org.freedesktop.portal.GlobalShortcuts");
const QString kControlPath = QStringLiteral("/org/tessavo/FakePortal");
const QString kControl = QStringLiteral("org.tessavo.FakePortal");
// The answer to Start that never comes.
constexpr uint kNoAnswer = 0xFFFFFFFF;

QString senderPart(const QString& sender) {
    QString part = sender.mid(1);
    part.replace(QLatin1Char('.'), QLatin1Char('_'));
    return part;
}

QVariantMap optionsAt(const QDBusMessage& message, int index) {
    return qdbus_cast<QVariantMap>(message.arguments().value(index));
}

class Portal final : public QDBusVirtualObject {
public:
    Portal(QDBusConnection bus, bool remoteDesktop, bool globalShortcuts, uint remoteDesktopVersion)
        : bus_(bus),
          remoteDesktop_(remoteDesktop),
          globalShortcuts_(globalShortcuts),
          remoteDesktopVersion_(remoteDesktopVersion) {}

    QString introspect(const QString&) const override { return {}; }

    bool handleMessage(const QDBusMessage& message, const QDBusConnection&) override {
        const QString interface = message.interface();
        const QString member = message.member();
        if (message.path() == kControlPath) return control(message);
        if (interface == QLatin1String("org.freedesktop.DBus.Properties") && member == QLatin1String("Get")) {
            return property(message);
        }
        if (interface == QLatin1String("org.freedesktop.portal.Session") && member == QLatin1String("Close")) {
            log(QStringLiteral("Session.Close %1").arg(message.path() == remoteSession_ ? "remote-desktop" : "other"));
            return reply(message, {});
        }
        if (interface == kRemoteDesktop && remoteDesktop_) return remoteDesktop(message);
        if (interface == kGlobalShortcuts && globalShortcuts_) return shortcuts(message);
        return refuse(message, QStringLiteral("org.freedesktop.DBus.Error.UnknownMethod"));
    }

private:
    bool property(const QDBusMessage& message) {
        const QString interface = message.arguments().value(0).toString();
        const bool offered =
            (interface == kRemoteDesktop && remoteDesktop_) || (interface == kGlobalShortcuts && globalShortcuts_);
        if (!offered || message.arguments().value(1).toString() != QLatin1String("version")) {
            return refuse(message, QStringLiteral("org.freedesktop.DBus.Error.UnknownProperty"));
        }
        const uint version = interface == kRemoteDesktop ? remoteDesktopVersion_ : 1u;
        return reply(message, {QVariant::fromValue(QDBusVariant(QVariant::fromValue(version)))});
    }

    bool remoteDesktop(const QDBusMessage& message) {
        const QString member = message.member();
        if (member == QLatin1String("CreateSession")) {
            const QVariantMap options = optionsAt(message, 0);
            remoteSession_ = path(message, QStringLiteral("session"), options.value("session_handle_token").toString());
            started_ = false;
            log(QStringLiteral("RemoteDesktop.CreateSession"));
            return answer(message, options, 0, {{QStringLiteral("session_handle"), remoteSession_}});
        }
        const QString session = message.arguments().value(0).value<QDBusObjectPath>().path();
        if (session != remoteSession_)
            return refuse(message, QStringLiteral("org.freedesktop.DBus.Error.AccessDenied"));
        if (member == QLatin1String("SelectDevices")) {
            const QVariantMap options = optionsAt(message, 1);
            QString line = QStringLiteral("RemoteDesktop.SelectDevices types=%1").arg(options.value("types").toUInt());
            if (remoteDesktopVersion_ >= 2) {
                persist_ = options.value("persist_mode").toUInt();
                restoreToken_ = options.value("restore_token").toString();
                if (persist_) line += QStringLiteral(" persist_mode=%1").arg(persist_);
                if (!restoreToken_.isEmpty()) line += QStringLiteral(" restore_token=%1").arg(restoreToken_);
            }
            log(line);
            return answer(message, options, 0, {});
        }
        if (member == QLatin1String("Start")) {
            if (!restoreToken_.isEmpty()) return startRestored(message);
            log(QStringLiteral("RemoteDesktop.Start"));
            if (failStarts_ > 0) {
                --failStarts_;
                answer(message, optionsAt(message, 2), 2, {});
                closeRemoteSession();
                return true;
            }
            // The user has not answered the desktop's question yet.
            if (startAnswer_ == kNoAnswer) {
                const QString token = optionsAt(message, 2).value("handle_token").toString();
                return reply(message,
                             {QVariant::fromValue(QDBusObjectPath(path(message, QStringLiteral("request"), token)))});
            }
            started_ = startAnswer_ == 0;
            const QVariantMap results = started_ ? startedResults() : QVariantMap{};
            answer(message, optionsAt(message, 2), startAnswer_, results);
            // Like the real portal, one that does not start the session closes it after the answer.
            if (!started_) closeRemoteSession();
            return true;
        }
        if (member == QLatin1String("NotifyKeyboardKeysym") || member == QLatin1String("NotifyKeyboardKeycode")) {
            if (!started_ || failKeys_)
                return refuse(message, QStringLiteral("org.freedesktop.DBus.Error.AccessDenied"));
            const int key = message.arguments().value(2).toInt();
            const uint state = message.arguments().value(3).toUInt();
            log(QStringLiteral("%1 0x%2 %3")
                    .arg(member == QLatin1String("NotifyKeyboardKeysym") ? "keysym" : "keycode")
                    .arg(key, 0, 16)
                    .arg(state ? "down" : "up"));
            return reply(message, {});
        }
        return refuse(message, QStringLiteral("org.freedesktop.DBus.Error.UnknownMethod"));
    }

    // A session that brings a restore token starts without asking, if the token is the last one given.
    bool startRestored(const QDBusMessage& message) {
        started_ = restoreToken_ == issuedToken_;
        log(QStringLiteral("RemoteDesktop.Start %1").arg(started_ ? "restored" : "with an unknown token"));
        answer(message, optionsAt(message, 2), started_ ? 0 : 2, started_ ? startedResults() : QVariantMap{});
        if (!started_) closeRemoteSession();
        return true;
    }

    QVariantMap startedResults() {
        QVariantMap results{{QStringLiteral("devices"), QVariant::fromValue(1u)}};
        if (persist_ == 2) {
            issuedToken_ = QStringLiteral("token-%1").arg(++tokensIssued_);
            results.insert(QStringLiteral("restore_token"), issuedToken_);
        }
        return results;
    }

    bool shortcuts(const QDBusMessage& message) {
        const QString member = message.member();
        if (member == QLatin1String("CreateSession")) {
            const QVariantMap options = optionsAt(message, 0);
            shortcutSession_ =
                path(message, QStringLiteral("session"), options.value("session_handle_token").toString());
            log(QStringLiteral("GlobalShortcuts.CreateSession token=%1")
                    .arg(options.value("session_handle_token").toString()));
            if (options.contains("shortcuts")) {
                logShortcuts(QStringLiteral("GlobalShortcuts.CreateSession"),
                             options.value("shortcuts").value<QDBusArgument>());
            }
            return answer(message, options, 0, {{QStringLiteral("session_handle"), shortcutSession_}});
        }
        if (member == QLatin1String("BindShortcuts")) {
            if (message.arguments().value(0).value<QDBusObjectPath>().path() != shortcutSession_) {
                return refuse(message, QStringLiteral("org.freedesktop.DBus.Error.AccessDenied"));
            }
            logShortcuts(QStringLiteral("GlobalShortcuts.BindShortcuts"),
                         message.arguments().value(1).value<QDBusArgument>());
            return answer(message, optionsAt(message, 3), 0, {});
        }
        return refuse(message, QStringLiteral("org.freedesktop.DBus.Error.UnknownMethod"));
    }

    // One line for each shortcut of an a(sa{sv}) list: "<prefix> <id> \"<description>\" <trigger>".
    void logShortcuts(const QString& prefix, const QDBusArgument& list) {
        list.beginArray();
        while (!list.atEnd()) {
            QString id;
            QVariantMap properties;
            list.beginStructure();
            list >> id >> properties;
            list.endStructure();
            log(QStringLiteral("%1 %2 \"%3\" %4")
                    .arg(prefix, id, properties.value("description").toString(),
                         properties.value("preferred_trigger").toString()));
        }
        list.endArray();
    }

    bool control(const QDBusMessage& message) {
        const QString member = message.member();
        if (member == QLatin1String("Log")) return reply(message, {log_});
        if (member == QLatin1String("SetStartAnswer")) {
            startAnswer_ = message.arguments().value(0).toUInt();
            return reply(message, {});
        }
        if (member == QLatin1String("Use") || member == QLatin1String("Press")) {
            // A press and a release of the bound shortcut, as the desktop tells them; a press
            // alone, as a desktop does that never tells the release.
            const bool released = member == QLatin1String("Use");
            for (const char* signal : {"Activated", "Deactivated"}) {
                if (!released && signal != std::string_view("Activated")) continue;
                QDBusMessage use = QDBusMessage::createSignal(kDesktopPath, kGlobalShortcuts, QLatin1String(signal));
                use << QVariant::fromValue(QDBusObjectPath(shortcutSession_)) << message.arguments().value(0)
                    << QVariant::fromValue(qulonglong(QDateTime::currentMSecsSinceEpoch())) << QVariantMap();
                bus_.send(use);
            }
            return reply(message, {});
        }
        if (member == QLatin1String("FailStarts")) {
            failStarts_ = message.arguments().value(0).toUInt();
            return reply(message, {});
        }
        if (member == QLatin1String("FailKeys")) {
            failKeys_ = true;
            return reply(message, {});
        }
        if (member == QLatin1String("EndRemoteDesktop")) {
            started_ = false;
            closeRemoteSession();
            return reply(message, {});
        }
        return refuse(message, QStringLiteral("org.freedesktop.DBus.Error.UnknownMethod"));
    }

    void closeRemoteSession() {
        bus_.send(QDBusMessage::createSignal(remoteSession_, QStringLiteral("org.freedesktop.portal.Session"),
                                             QStringLiteral("Closed"))
                  << QVariantMap());
    }

    QString path(const QDBusMessage& message, const QString& kind, const QString& token) const {
        return QStringLiteral("%1/%2/%3/%4").arg(kDesktopPath, kind, senderPart(message.service()), token);
    }

    // The Response on the predicted request path first, then the reply naming that path.
    bool answer(const QDBusMessage& message, const QVariantMap& options, uint code, const QVariantMap& results) {
        const QString request = path(message, QStringLiteral("request"), options.value("handle_token").toString());
        QDBusMessage response = QDBusMessage::createSignal(request, QStringLiteral("org.freedesktop.portal.Request"),
                                                           QStringLiteral("Response"));
        response << code << results;
        bus_.send(response);
        return reply(message, {QVariant::fromValue(QDBusObjectPath(request))});
    }

    bool reply(const QDBusMessage& message, const QVariantList& arguments) {
        bus_.send(message.createReply(arguments));
        return true;
    }

    bool refuse(const QDBusMessage& message, const QString& error) {
        log(QStringLiteral("refused %1.%2").arg(message.interface(), message.member()));
        bus_.send(message.createErrorReply(error, QStringLiteral("the fake portal does not do that")));
        return true;
    }

    void log(const QString& line) { log_ << line; }

    QDBusConnection bus_;
    const bool remoteDesktop_;
    const bool globalShortcuts_;
    QString remoteSession_;
    QString shortcutSession_;
    const uint remoteDesktopVersion_;
    bool started_ = false;
    uint failStarts_ = 0;  // so many Starts fail before the desktop can ask
    uint persist_ = 0;
    QString restoreToken_;  // what the session brought
    QString issuedToken_;   // the last token given
    int tokensIssued_ = 0;
    bool failKeys_ = false;  // every key event from now on fails, the session still standing
    uint startAnswer_ = 0;
    QStringList log_;
};

}  // namespace

int main(int argc, char** argv) {
    const QCoreApplication app(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    QDBusConnection bus = QDBusConnection::sessionBus();
    const qsizetype versionAt = arguments.indexOf(QStringLiteral("--remote-desktop-version"));
    const uint version = versionAt >= 0 ? arguments.value(versionAt + 1).toUInt() : 1u;
    Portal portal(bus, !arguments.contains(QStringLiteral("--without-remote-desktop")),
                  !arguments.contains(QStringLiteral("--without-global-shortcuts")), version);
    if (!bus.registerVirtualObject(kDesktopPath, &portal, QDBusConnection::SubPath) ||
        !bus.registerVirtualObject(kControlPath, &portal) ||
        !bus.registerService(QStringLiteral("org.freedesktop.portal.Desktop"))) {
        std::fprintf(stderr, "the fake portal cannot take its name: %s\n", qPrintable(bus.lastError().message()));
        return 1;
    }
    std::puts("ready");
    std::fflush(stdout);
    return QCoreApplication::exec();
}
