#include "bass.h"

extern "C" DWORD BASS_GetVersion(void) {
    return 2;
}
