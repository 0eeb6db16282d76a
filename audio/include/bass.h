/* The player's audio library: decoding, mixing and output behind a BASS-style C interface.
 * Every function may be called from the UI thread while audio plays; none calls back into the
 * program. Positions and lengths are bytes of 16-bit samples in the channel's own rate and
 * channel count. Functions that fail set the calling thread's error code (BASS_ErrorGetCode). */
#ifndef CALVORAN_BASS_H
#define CALVORAN_BASS_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef uint32_t DWORD;
typedef uint64_t QWORD;
typedef int32_t BOOL;
typedef DWORD HSTREAM;
typedef DWORD HMUSIC;
typedef DWORD HFX;

#ifndef TRUE
#define TRUE 1
#define FALSE 0
#endif

/* Error codes (BASS_ErrorGetCode). */
#define BASS_OK 0
#define BASS_ERROR_MEM 1        /* out of memory */
#define BASS_ERROR_FILEOPEN 2   /* the file could not be opened or read */
#define BASS_ERROR_DRIVER 3     /* the output driver failed to start */
#define BASS_ERROR_HANDLE 5     /* bad handle: 0, freed, or of the wrong kind */
#define BASS_ERROR_FORMAT 6     /* unsupported sample format */
#define BASS_ERROR_POSITION 7   /* invalid position */
#define BASS_ERROR_INIT 8       /* BASS_Init has not been called */
#define BASS_ERROR_START 9      /* output could not be started */
#define BASS_ERROR_ALREADY 14   /* already initialised */
#define BASS_ERROR_ILLPARAM 20  /* an illegal parameter */
#define BASS_ERROR_DEVICE 23    /* no such device, or no usable device */
#define BASS_ERROR_NOTAVAIL 37  /* not available (for example data from a decode-only channel) */
#define BASS_ERROR_FILEFORM 41  /* unsupported file format */
#define BASS_ERROR_UNKNOWN -1   /* some other problem */

/* BASS_Init flags. */
#define BASS_DEVICE_3D 4

/* Stream and module flags. */
#define BASS_MUSIC_RAMP 0x200
#define BASS_MP3_SETPOS 0x20000
#define BASS_STREAM_AUTOFREE 0x40000
#define BASS_STREAM_DECODE 0x200000
#define BASS_MUSIC_DECODE 0x200000

/* BASS_ChannelGetData: FFT request and float sample flag. */
#define BASS_DATA_FFT1024 0x80000001u
#define BASS_DATA_FLOAT 0x40000000u

/* BASS_ChannelSetFX types. */
#define BASS_FX_PARAMEQ 7

/* BASS_ChannelIsActive results. */
#define BASS_ACTIVE_STOPPED 0
#define BASS_ACTIVE_PLAYING 1
#define BASS_ACTIVE_STALLED 2
#define BASS_ACTIVE_PAUSED 3

DWORD BASS_GetVersion(void);
BOOL BASS_Init(int device, DWORD freq, DWORD flags, void *win, const void *clsid);
BOOL BASS_Free(void);
BOOL BASS_Start(void);
BOOL BASS_Stop(void);
BOOL BASS_SetVolume(DWORD volume);
int BASS_ErrorGetCode(void);

HSTREAM BASS_StreamCreateFile(BOOL mem, const void *file, QWORD offset, QWORD length, DWORD flags);
BOOL BASS_StreamPlay(HSTREAM handle, BOOL flush, DWORD flags);
BOOL BASS_StreamFree(HSTREAM handle);
QWORD BASS_StreamGetLength(HSTREAM handle);

HMUSIC BASS_MusicLoad(BOOL mem, const void *file, QWORD offset, DWORD length, DWORD flags, DWORD freq);
BOOL BASS_MusicPlay(HMUSIC handle);
BOOL BASS_MusicFree(HMUSIC handle);
DWORD BASS_MusicGetLength(HMUSIC handle, BOOL playlen);
const char *BASS_MusicGetName(HMUSIC handle);

DWORD BASS_ChannelIsActive(DWORD handle);
QWORD BASS_ChannelGetPosition(DWORD handle);
BOOL BASS_ChannelSetPosition(DWORD handle, QWORD pos);
float BASS_ChannelBytes2Seconds(DWORD handle, QWORD pos);
QWORD BASS_ChannelSeconds2Bytes(DWORD handle, float pos);
DWORD BASS_ChannelGetLevel(DWORD handle);
BOOL BASS_ChannelSetAttributes(DWORD handle, int freq, int volume, int pan);
BOOL BASS_ChannelGetAttributes(DWORD handle, DWORD *freq, DWORD *volume, int *pan);
HFX BASS_ChannelSetFX(DWORD handle, DWORD type);
DWORD BASS_ChannelGetData(DWORD handle, void *buffer, DWORD length);

#ifdef __cplusplus
}
#endif

#endif
