#pragma once

namespace tessavo {

// The program's clipboard object: nested opens only count, the system clipboard is open
// while the count is above zero.
class TClipboard {
public:
    TClipboard() = default;
    ~TClipboard();
    TClipboard(const TClipboard&) = delete;
    TClipboard& operator=(const TClipboard&) = delete;

    // Raises tessavo::Error "Cannot open clipboard: %s" when the clipboard cannot be taken.
    void Open();
    void Close();
    // Empties the clipboard of everything it holds; closes again also when emptying fails.
    void Clear();

    int openCount() const { return FOpenRefCount; }
    bool emptied() const { return FEmptied; }

private:
    int FOpenRefCount = 0;
    bool FEmptied = false;
};

// The process-wide instance, made on first use.
TClipboard& ClipboardInstance();

}  // namespace tessavo
