#pragma once

#include <QString>

class QPlainTextEdit;

namespace tessavo::app {

// The notes editor shows each line of a note as a paragraph, and Qt's text views would give
// the note back with every line break as one kind and every no-break space as a blank. Each
// paragraph remembers the break that ended it in the note, and the note is read back from the
// paragraphs' own characters: a note nobody touched comes back character for character, and
// an edited one keeps the breaks and characters of everything the user left alone.
void showNotes(QPlainTextEdit& editor, const QString& notes);

// The note as the editor holds it; a line break the user typed is carriage return and line
// feed, as the program always stored them.
QString notesOf(const QPlainTextEdit& editor);

}  // namespace tessavo::app
