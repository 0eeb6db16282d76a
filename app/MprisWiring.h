#pragma once
#include <memory>

class TForm1;
class TForm2;

namespace calvoran {
class MprisService;
class PlaybackEngine;
class PlaylistModel;

// The bus service over the main window's handlers; null when there is no session bus, which leaves the
// player as it was.
std::unique_ptr<MprisService> startMpris(PlaybackEngine &engine, PlaylistModel &playlist, TForm1 &main,
                                         TForm2 &list);

} // namespace calvoran
