#include "app/NotesEditor.h"

#include <QPlainTextEdit>
#include <QStringView>
#include <QTextBlock>
#include <array>

namespace tessavo::app {
namespace {

// Every sequence at which the editor starts a new paragraph when it takes a text: the
// carriage return with line feed first, so that the pair counts once. A paragraph's user state
// is the index of its break here; -1 (the state of a paragraph the user made) is the
// program's own break.
constexpr std::array<QStringView, 6> kBreaks = {u"\r\n", u"\r", u"\n", u"\u2029", u"\uFDD0", u"\uFDD1"};
constexpr QStringView kTypedBreak = kBreaks[0];

// The index of the break that starts at this position, or -1.
int breakAt(const QString& text, qsizetype position) {
    const QStringView rest = QStringView(text).mid(position);
    for (std::size_t kind = 0; kind < kBreaks.size(); ++kind)
        if (rest.startsWith(kBreaks[kind])) return static_cast<int>(kind);
    return -1;
}

QStringView breakOf(const QTextBlock& paragraph) {
    const int kind = paragraph.userState();
    return kind >= 0 && kind < static_cast<int>(kBreaks.size()) ? kBreaks[kind] : kTypedBreak;
}

}  // namespace

void showNotes(QPlainTextEdit& editor, const QString& notes) {
    editor.setPlainText(notes);
    QTextBlock paragraph = editor.document()->firstBlock();
    for (qsizetype position = 0; position < notes.size() && paragraph.isValid(); ++position) {
        const int kind = breakAt(notes, position);
        if (kind < 0) continue;
        paragraph.setUserState(kind);
        paragraph = paragraph.next();
        position += kBreaks[kind].size() - 1;
    }
}

QString notesOf(const QPlainTextEdit& editor) {
    QString notes;
    for (QTextBlock paragraph = editor.document()->firstBlock(); paragraph.isValid(); paragraph = paragraph.next()) {
        notes += paragraph.text();
        if (paragraph.next().isValid()) notes += breakOf(paragraph);
    }
    return notes;
}

}  // namespace tessavo::app
