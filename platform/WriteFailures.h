#pragma once
#include <QString>
#include <QStringList>

class QWidget;

namespace calvoran {

// Files the player keeps that could not be written. A failure while the user is there is shown in a
// box naming the file; settings are written on every change, so each file is named only once per run.
// While the player closes on a signal (logout) nobody would answer a box: the failure goes to
// standard error and a note that the next start shows.
namespace WriteFailures {

// The close that follows comes from a signal.
void setClosingOnSignal(bool on);
bool closingOnSignal();

// Tells the user that `path` was not written. `always` shows it even when the file was named before
// (a command the user gave, such as Save Playlist).
void report(QWidget *owner, const QString &path, const QString &reason, bool always = false);

// Where the notes of an unattended close are kept: $XDG_STATE_HOME/calvoran/unsaved.txt, or
// unsaved.txt in the program folder when CALVORAN_HOME names it.
QString notePath();
// The notes left by the last unattended close; the note file is removed.
QStringList takeNotes();
// Shows the notes of the last unattended close, if any.
void showNotes(QWidget *owner);

// Forgets which files were named (tests).
void resetForTests();

} // namespace WriteFailures

} // namespace calvoran
