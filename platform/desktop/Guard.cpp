#include "platform/desktop/Guard.h"

#include <QString>
#include <exception>

#include "platform/desktop/Dialogs.h"

namespace tessavo::platform {
namespace {

int depth = 0;
std::exception_ptr pending;

void report(const std::exception_ptr& error) {
    try {
        std::rethrow_exception(error);
    } catch (const std::exception& e) {
        showError(QString::fromUtf8(e.what()));
    } catch (...) {
        // Not a standard error: there is no text of its own to show.
        showError(QStringLiteral("程序发生未知错误."));
    }
}

void rethrowPending() {
    if (pending) std::rethrow_exception(std::exchange(pending, nullptr));
}

}  // namespace

bool runGuarded(const std::function<void()>& handler) noexcept {
    ++depth;
    std::exception_ptr error;
    try {
        handler();
    } catch (...) {
        error = std::current_exception();
    }
    --depth;
    if (depth == 0 && !error) error = std::exchange(pending, nullptr);  // nobody picked it up
    if (!error) return true;
    if (depth > 0) {
        pending = error;  // picked up by the trigger() that started this handler
        return false;
    }
    try {
        report(error);
    } catch (...) {
        // showing the box failed as well: there is nobody left to tell
    }
    return false;
}

void trigger(QAbstractButton* button) {
    button->click();
    rethrowPending();
}

void trigger(QAction* action) {
    action->trigger();
    rethrowPending();
}

}  // namespace tessavo::platform
