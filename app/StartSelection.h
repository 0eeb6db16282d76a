#pragma once

class TForm2;

namespace calvoran {
class PlaybackEngine;

// The entry that played last is kept in the settings (`LastIndex`), so that Play on the next start
// plays it instead of doing nothing for want of a selection.
void rememberPlayedEntry(PlaybackEngine &engine);
// The entry to select at start: the saved one while it lies in the list, else the first; -1 for none.
int startEntry(int saved, int count);
// Selects that entry in the playlist window; returns it (-1 for an empty list).
int selectStartEntry(TForm2 &playlist);

} // namespace calvoran
