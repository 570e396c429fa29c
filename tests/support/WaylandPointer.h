#pragma once

#include <QPoint>
#include <QSize>
#include <QString>
#include <memory>

namespace tessavo::test {

// A mouse for a wlroots compositor that has no input device of its own (a headless one): a
// virtual pointer on its seat, moved to absolute positions on the output.
class WaylandPointer {
public:
    // Throws std::runtime_error when the display cannot be reached or has no virtual pointers.
    WaylandPointer(const QString& waylandSocket, QSize outputSize);
    ~WaylandPointer();
    WaylandPointer(const WaylandPointer&) = delete;
    WaylandPointer& operator=(const WaylandPointer&) = delete;

    // Moves to the point of the output and clicks the left button there.
    void click(QPoint at);

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace tessavo::test
