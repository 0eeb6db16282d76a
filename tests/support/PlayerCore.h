#pragma once
#include "engine/PlaybackEngine.h"
#include "engine/PlaylistModel.h"
#include "tags/id3v2.h"

// The engine with its playlist and tag reader, as the program makes them.
struct PlayerCore {
    Tid3v2tag tagReader;
    calvoran::PlaylistModel playlist;
    calvoran::PlaybackEngine engine{playlist, tagReader};
};
