/* The interface between the player's visual plug-in library (bass_vis.h) and a visual plug-in.
 *
 * A plug-in is a shared object that exports one C function named CALVORAN_VIS_ENTRY_NAME, of type
 * CalvoranVisEntry, returning a description that lives as long as the object is loaded. The library
 * loads plug-ins with dlopen(RTLD_NOW | RTLD_LOCAL), so plug-ins never see each other's symbols, and
 * refuses a description whose abiVersion is not CALVORAN_VIS_ABI_VERSION. All calls come from one thread.
 *
 * Pixels are 32-bit 0xAARRGGBB values (alpha ignored, write 0xFF); rows are `stride` bytes apart. A plug-in
 * writes every pixel of its width × height area and nothing outside it: the area it is given always has
 * the size it was created with. */
#ifndef CALVORAN_VIS_PLUGIN_H
#define CALVORAN_VIS_PLUGIN_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#define CALVORAN_VIS_ABI_VERSION 1u
#define CALVORAN_VIS_ENTRY_NAME "calvoran_vis_plugin"

/* What a plug-in wants computed for each frame (CalvoranVisPlugin.wants). */
#define CALVORAN_VIS_WANTS_WAVE 1u
#define CALVORAN_VIS_WANTS_SPECTRUM 2u

#define CALVORAN_VIS_WAVE_FRAMES 512
#define CALVORAN_VIS_SPECTRUM_BINS 256

typedef struct CalvoranVisData {
    /* CALVORAN_VIS_WAVE_FRAMES stereo frames, left and right interleaved, -1..1, oldest first; zeros when
     * not wanted. Scaled by the wave zoom. */
    const float *wave;
    /* CALVORAN_VIS_SPECTRUM_BINS magnitudes 0..1 from low to high frequency, lowest bin first; zeros when
     * not wanted. Scaled by the spectrum sensitivity and spread by the FFT zoom. */
    const float *spectrum;
    /* Milliseconds since the instance was created. */
    uint32_t timeMs;
} CalvoranVisData;

typedef struct CalvoranVisPlugin {
    uint32_t abiVersion; /* CALVORAN_VIS_ABI_VERSION */
    const char *name;    /* shown to the user */
    uint32_t wants;      /* CALVORAN_VIS_WANTS_* */
    /* A new instance for a width × height area. settingsFile is the path of the settings file to read
     * (it may be empty or missing: use defaults). NULL when the instance cannot be made. */
    void *(*create)(const char *settingsFile, int width, int height);
    /* Draws one frame into pixels (width × height, stride bytes per row). */
    void (*render)(void *instance, uint32_t *pixels, int width, int height, int stride,
                   const CalvoranVisData *data);
    /* A mouse press at (x, y) inside the area, (0, 0) being its top-left pixel. */
    void (*clicked)(void *instance, int x, int y);
    /* Keeps the instance's settings in settingsFile (an INI file other plug-ins share: keep their
     * sections). Called before destroy when the instance was created with a settings file. */
    void (*saveSettings)(void *instance, const char *settingsFile);
    void (*destroy)(void *instance);
} CalvoranVisPlugin;

typedef const CalvoranVisPlugin *(*CalvoranVisEntry)(void);

/* The entry a plug-in defines (declared here so the definition is checked against it). */
__attribute__((visibility("default"))) const CalvoranVisPlugin *calvoran_vis_plugin(void);

#ifdef __cplusplus
}
#endif

#endif
