#pragma once

#include <QString>
#include <memory>

namespace tessavo::platform {

// The system clipboard as the program uses it: opened and closed around each operation,
// emptied of everything whoever put it there, and given text.
class Clipboard {
public:
    virtual ~Clipboard() = default;
    // False when the clipboard cannot be taken; lastError() then tells why.
    virtual bool open() = 0;
    virtual void close() = 0;
    // Empties the CLIPBOARD and PRIMARY selections, whoever owns them.
    virtual void empty() = 0;
    // A secret carries the hint that keeps clipboard managers from storing it.
    virtual void setText(const QString& text, bool secret) = 0;
    // The primary selection becomes the text too, for the programs that paste from it (xterm's
    // Shift+Insert); the secret hint as for setText.
    virtual void setPrimaryText(const QString& text, bool secret) = 0;
    virtual QString lastError() const = 0;
};

Clipboard& clipboard();
std::unique_ptr<Clipboard> installClipboard(std::unique_ptr<Clipboard> replacement);

}  // namespace tessavo::platform
