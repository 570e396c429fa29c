#pragma once

namespace tessavo::platform {

// Keeps decrypted secrets out of core files and away from other processes of the same user:
// no core dumps and no ptrace attach or /proc reads (the process is not dumpable). The program
// does so in Release builds.
void hardenProcess();

// The same in every build, for a process that never needs another to inspect it (the
// command-line tool, which holds the whole file's passwords in the clear during an export).
void hardenProcessAlways();

// Opens the process to reads of its /proc entries by other processes of the same user for the
// object's life, where the hardening had closed them (core files stay off), and closes it again
// after the last one. The desktop portal identifies its caller through /proc/PID/root at the
// caller's first method call and remembers the answer for the caller's bus connection, so only
// that first call needs it. Scopes may overlap: the last one to end closes the process again.
class ReadableToTheDesktop {
public:
    ReadableToTheDesktop();
    ~ReadableToTheDesktop();
    ReadableToTheDesktop(const ReadableToTheDesktop&) = delete;
    ReadableToTheDesktop& operator=(const ReadableToTheDesktop&) = delete;
};

}  // namespace tessavo::platform
