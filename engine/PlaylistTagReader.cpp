#include "PlaylistTagReader.h"

Tid3v2tag *PlaylistTagReader = nullptr;
