#pragma once

#include <QAbstractButton>
#include <QAction>
#include <QObject>
#include <functional>
#include <type_traits>
#include <utility>

namespace tessavo::platform {

// Runs one handler so that no exception crosses the Qt event loop.
//
// At the outermost level an escaping error is shown in the standard error box and the
// program goes on. A handler started by another handler (a triggered click) hands its
// error back instead: trigger() rethrows it in the caller, so the caller's later steps
// are skipped exactly as when the handlers call each other directly.
// Returns true when the handler ran to its end.
bool runGuarded(const std::function<void()>& handler) noexcept;

// Clicks a button (hidden ones too) and runs its handler synchronously; an error of that
// handler continues in the caller.
void trigger(QAbstractButton* button);
void trigger(QAction* action);

// Connects a signal to a member handler through the guard.
template <class Sender, class Signal, class Receiver>
void bindGuarded(Sender* sender, Signal signal, Receiver* receiver, void (Receiver::*handler)()) {
    QObject::connect(sender, signal, receiver,
                     [receiver, handler] { runGuarded([receiver, handler] { (receiver->*handler)(); }); });
}

// Connects a signal to any callable through the guard; the signal's arguments are passed on
// when the callable takes them.
template <class Sender, class Signal, class Receiver, class Callable>
void bindGuardedCall(Sender* sender, Signal signal, Receiver* context, Callable callable) {
    QObject::connect(sender, signal, context, [callable](const auto&... args) {
        runGuarded([&] {
            if constexpr (std::is_invocable_v<Callable, decltype(args)...>) {
                callable(args...);
            } else {
                callable();
            }
        });
    });
}

}  // namespace tessavo::platform
