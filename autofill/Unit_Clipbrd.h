#pragma once

namespace tessavo::autofill {

// The program's clipboard object: opened and closed around each operation, nested opens only
// count; the system clipboard is open while the count is above zero.
class TClipboard {
public:
    TClipboard() = default;
    ~TClipboard();
    TClipboard(const TClipboard&) = delete;
    TClipboard& operator=(const TClipboard&) = delete;

    // The first open takes the system clipboard and raises tessavo::Error
    // "Cannot open clipboard: <the system's reason>" when it cannot (the count stays as it was).
    void Open();
    // Nothing when nothing is open; the last close gives the system clipboard back.
    void Close();
    // Empties the system clipboard of everything it holds, whoever put it there: Open, empty,
    // Close, and Close also when emptying fails.
    void Clear();

    int openCount() const { return FOpenRefCount; }
    // The clipboard was emptied during the current open; each first open resets it.
    bool emptied() const { return FEmptied; }

private:
    int FOpenRefCount = 0;
    bool FEmptied = false;
};

// The process-wide instance, made on first use and destroyed when the program ends; a call
// after that makes a new one.
TClipboard& ClipboardInstance();

}  // namespace tessavo::autofill
