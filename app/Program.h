#pragma once

#include <QString>
#include <memory>

namespace tessavo::access {
class TForm2;
}  // namespace tessavo::access

namespace tessavo::app {

class TForm1;

// The program's two windows, made in start-up order: the main window (whose creation prepares
// everything the login gate needs), then the login window, which reaches back into it.
class Program {
public:
    explicit Program(const QString& appDir);
    ~Program();
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    TForm1& main() { return *main_; }
    access::TForm2& login() { return *login_; }

private:
    std::unique_ptr<TForm1> main_;
    std::unique_ptr<access::TForm2> login_;
};

}  // namespace tessavo::app
