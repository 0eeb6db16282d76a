#pragma once

class Tid3v2tag;

// The playlist's tag reader: created by the program before its first window, released after the
// message loop. Null outside a program run (tests set it).
extern Tid3v2tag *PlaylistTagReader;
