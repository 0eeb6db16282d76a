/* Visual plug-ins: finding them, running instances of them and feeding them a channel's sound. The
 * plug-ins themselves follow calvoran_vis_plugin.h. Every call comes from one thread (the user interface).
 * Failing calls set BASS_ErrorGetCode. A handle that was freed, or 0, fails with BASS_ERROR_HANDLE. */
#ifndef CALVORAN_BASS_VIS_H
#define CALVORAN_BASS_VIS_H

#include "bass.h"

#ifdef __cplusplus
extern "C" {
#endif

typedef DWORD HVIS;

/* 32-bit 0xAARRGGBB pixels, stride in bytes. */
typedef struct {
    void *bits;
    int width;
    int height;
    int stride;
} BASS_VIS_SURFACE;

/* A shared object that is no plug-in of ours, or of another interface version. */
#define BASS_ERROR_VERSION 43
/* The plug-in could not make an instance. */
#define BASS_ERROR_CREATE 33

/* BASS_VIS_FindPlugins flags. */
#define BASS_VIS_FIND_RECURSIVE 1 /* search the sub-folders too */
#define BASS_VIS_FIND_FULLPATH 4  /* full paths (otherwise paths relative to the folder) */

/* BASS_VIS_SetConfig options. */
#define BASS_VIS_CONFIG_SENSITIVITY 1 /* spectrum sensitivity 1..4, default 2: the magnitudes' gain */
#define BASS_VIS_CONFIG_FFTZOOM 2  /* 1..3, default 1: the plug-in's bins cover 1/n of the band, from 0 Hz */
#define BASS_VIS_CONFIG_WAVEZOOM 3 /* 1..4, default 1: the wave's gain */

/* BASS_SONIQUEVIS_CreateVis flags. */
#define BASS_VIS_NAMEONLY 1 /* load the plug-in for BASS_SONIQUEVIS_GetName only; width and height unused */

/* The plug-ins (*.so files exporting a plug-in entry of this version) in folder, sorted, as one text:
 * items separated by commas, each in double quotes, a double quote inside an item doubled. "" when there
 * are none. The text belongs to the library until the next call. NULL with BASS_ERROR_FILEOPEN when the
 * folder cannot be read. */
const char *BASS_VIS_FindPlugins(const char *folder, DWORD flags);
/* Library-wide rendering options (above); BASS_ERROR_ILLPARAM for an unknown option or a value out of range.
 */
BOOL BASS_VIS_SetConfig(DWORD option, DWORD value);
/* Loads a plug-in and makes an instance for a width × height area (1..8192 each). iniFile is the
 * settings file the plug-in reads now and writes when freed ("" or NULL: none). Fails with
 * BASS_ERROR_FILEOPEN (no such file, or not loadable), BASS_ERROR_FILEFORM (no plug-in entry),
 * BASS_ERROR_VERSION (another interface version), BASS_ERROR_ILLPARAM (size) or BASS_ERROR_CREATE. */
HVIS BASS_SONIQUEVIS_CreateVis(const char *file, const char *iniFile, DWORD flags, int width, int height);
/* The plug-in's name, valid until the handle is freed. */
const char *BASS_SONIQUEVIS_GetName(HVIS vis);
/* Draws one frame from channel's current sound (wave and spectrum; silence when the channel has none)
 * into the surface. The plug-in always draws at the size it was created for: a surface of another size
 * gets the part that fits, the rest black. */
BOOL BASS_SONIQUEVIS_Render(HVIS vis, DWORD channel, BASS_VIS_SURFACE *surface);
/* Passes a mouse press at (x, y) of the instance's area; BASS_ERROR_ILLPARAM outside it. */
BOOL BASS_SONIQUEVIS_Clicked(HVIS vis, int x, int y);
/* Saves the instance's settings (when it has a settings file), ends it and unloads the plug-in. */
BOOL BASS_SONIQUEVIS_Free(HVIS vis);

#ifdef __cplusplus
}
#endif

#endif
