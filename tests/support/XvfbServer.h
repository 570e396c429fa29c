#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

namespace tessavo::test {

// A private X server (Xvfb) for end-to-end tests: started on a free display number, ready when
// the constructor returns, killed by the destructor. It does not reset when its last client
// disconnects, so a keyboard layout set with setxkbmap stays in force.
class XvfbServer {
public:
    // Throws std::runtime_error when Xvfb cannot be started or does not get ready in time.
    // serverOptions go on Xvfb's command line (e.g. "-extension", "XTEST" to leave one out).
    explicit XvfbServer(const std::string& screenGeometry = "1280x1024x24",
                        const std::vector<std::string>& serverOptions = {});
    ~XvfbServer();
    XvfbServer(const XvfbServer&) = delete;
    XvfbServer& operator=(const XvfbServer&) = delete;

    // The display name, ":N".
    const std::string& display() const { return display_; }

    // Runs a client program (looked up in PATH) with DISPLAY set to this server and waits for
    // it; returns its exit status, or -1 when it could not run or ended by a signal.
    int run(const std::vector<std::string>& command) const;

private:
    pid_t pid_ = -1;
    std::string display_;
};

}  // namespace tessavo::test
