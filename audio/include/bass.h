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
#define BASS_ERROR_MEM 1       /* out of memory */
#define BASS_ERROR_FILEOPEN 2  /* the file could not be opened or read */
#define BASS_ERROR_DRIVER 3    /* the output driver failed to start */
#define BASS_ERROR_SSL 10      /* a secure (https) connection could not be made */
#define BASS_ERROR_HANDLE 5    /* bad handle: 0, freed, or of the wrong kind */
#define BASS_ERROR_FORMAT 6    /* unsupported sample format */
#define BASS_ERROR_POSITION 7  /* invalid position */
#define BASS_ERROR_INIT 8      /* BASS_Init has not been called */
#define BASS_ERROR_START 9     /* output could not be started */
#define BASS_ERROR_ALREADY 14  /* already initialised */
#define BASS_ERROR_NOPLAY 24   /* the channel is not playing */
#define BASS_ERROR_NONET 32    /* no connection: unknown host, refused or reset by the server */
#define BASS_ERROR_ILLPARAM 20 /* an illegal parameter */
#define BASS_ERROR_DEVICE 23   /* no such device, or no usable device */
#define BASS_ERROR_NOTAVAIL 37 /* not available (for example data from a decode-only channel) */
#define BASS_ERROR_DECODE 38   /* a decode-only channel cannot be played */
#define BASS_ERROR_TIMEOUT 40  /* the server sent no usable audio within BASS_CONFIG_NET_TIMEOUT */
#define BASS_ERROR_FILEFORM 41 /* unsupported file format */
#define BASS_ERROR_ENDED 45    /* a decode-only channel has reached its end */
#define BASS_ERROR_HTTP 46     /* an error status, too many redirects, or a malformed or oversized response */
#define BASS_ERROR_UNKNOWN -1  /* some other problem */

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

/* BASS_StreamGetTags kinds. */
#define BASS_TAG_ICY 4  /* response header lines, each NUL-terminated, a final NUL */
#define BASS_TAG_META 5 /* the last in-stream metadata text, NUL-terminated */

/* BASS_SetConfig / BASS_GetConfig options. */
#define BASS_CONFIG_BUFFER 0       /* read only: how far decoding runs ahead of what is heard, in ms */
#define BASS_CONFIG_NET_TIMEOUT 11 /* connect and first-data time-out in ms, default 10000 */

/* BASS_ChannelIsActive results. */
#define BASS_ACTIVE_STOPPED 0
#define BASS_ACTIVE_PLAYING 1
#define BASS_ACTIVE_STALLED 2
#define BASS_ACTIVE_PAUSED 3

/* The library's version: 2 (major 2 in the low word, minor 0 in the high word). */
DWORD BASS_GetVersion(void);
/* Opens the output: device 0 is "no sound" (a silent output clocked in real time), 1 the system's default
 * output (SDL; SDL_AUDIODRIVER picks the driver), -1 the default device. freq is the output rate (0 means
 * 44100). flags, win and clsid are ignored. Output runs at once. Fails with BASS_ERROR_ALREADY when already
 * initialised and BASS_ERROR_DEVICE when there is no usable device. */
BOOL BASS_Init(int device, DWORD freq, DWORD flags, void *win, const void *clsid);
/* Stops the output and frees every stream and module; later calls fail with BASS_ERROR_INIT. */
BOOL BASS_Free(void);
/* Resumes output after BASS_Stop; paused channels play on from where they were. */
BOOL BASS_Start(void);
/* Halts output; playing channels keep their place and report BASS_ACTIVE_PAUSED. */
BOOL BASS_Stop(void);
/* Master output volume 0..100 (linear gain). Levels and data reported for channels are not affected. */
BOOL BASS_SetVolume(DWORD volume);
/* The error code of the calling thread's last call (BASS_OK after a success). */
int BASS_ErrorGetCode(void);

/* Opens a WAV, Ogg Vorbis, MPEG layer 1-3, FLAC (native or Ogg) or Ogg Opus stream, recognised by its
 * content (Opus always plays at 48000 Hz). file is a path (UTF-8), or with mem TRUE a memory block of
 * length bytes that the caller keeps alive until the stream is freed.
 * offset/length select part of the file (length 0: to the end). Flags: BASS_STREAM_DECODE (decode-only,
 * read with BASS_ChannelGetData), BASS_STREAM_AUTOFREE (freed once it has been heard to the end);
 * BASS_MP3_SETPOS is accepted (seeking is always exact). Returns 0 with BASS_ERROR_FILEOPEN when the file
 * cannot be read, BASS_ERROR_FILEFORM when it is no stream we know. */
HSTREAM BASS_StreamCreateFile(BOOL mem, const void *file, QWORD offset, QWORD length, DWORD flags);
/* Starts (or resumes) a stream, and the output if it was stopped. flush TRUE restarts from the beginning,
 * as does playing a stream that has ended. flags are ignored. */
BOOL BASS_StreamPlay(HSTREAM handle, BOOL flush, DWORD flags);
/* Stops and frees a stream; the handle is invalid afterwards. */
BOOL BASS_StreamFree(HSTREAM handle);
/* The stream's length in bytes of 16-bit samples at its own rate and channel count; (QWORD)-1 on error. */
QWORD BASS_StreamGetLength(HSTREAM handle);

typedef void BASS_DOWNLOADPROC(const void *buffer, DWORD length, void *user);

/* Opens an internet stream (http:// or https://; a .pls/.m3u station playlist is followed to its first
 * address; at most 5 redirects). Blocks until the first audio decodes, or at most BASS_CONFIG_NET_TIMEOUT
 * ms for the connection and its first data. MP3 and Ogg Vorbis are recognised by content. ICY metadata
 * is split out of the audio (BASS_StreamGetTags). offset asks the server to start at that byte. The length
 * is unknown (BASS_StreamGetLength fails with BASS_ERROR_NOTAVAIL); the position grows with what was
 * heard. While no data arrives the channel reports BASS_ACTIVE_STALLED and reconnects by itself a few
 * times. Flags as for BASS_StreamCreateFile (BASS_STREAM_DECODE: BASS_ChannelGetData waits for the
 * network). proc, when given, receives every audio byte downloaded (metadata removed) on the library's
 * download thread, and (NULL, 0) when the download ends for good; it must not call the library.
 * Fails with BASS_ERROR_ILLPARAM (not an http/https address), BASS_ERROR_NONET, BASS_ERROR_SSL,
 * BASS_ERROR_HTTP, BASS_ERROR_TIMEOUT or BASS_ERROR_FILEFORM (content no decoder recognises). */
HSTREAM BASS_StreamCreateURL(const char *url, DWORD offset, DWORD flags, BASS_DOWNLOADPROC *proc, void *user);
/* BASS_TAG_ICY: the response header lines of a URL stream (status line first); BASS_TAG_META: the last
 * metadata text it sent. The text stays valid until the next call for the same stream and kind, or until
 * the stream is freed. NULL with BASS_ERROR_NOTAVAIL when the stream has no such tags. */
const char *BASS_StreamGetTags(HSTREAM handle, DWORD tags);
/* Library-wide options; they work before BASS_Init. BASS_CONFIG_NET_TIMEOUT takes 1..600000 ms and
 * applies to streams opened afterwards. BASS_CONFIG_BUFFER starts at 500 and doubles (up to 4000) each
 * time the mixer found a stream's decoded sound run out on a busy machine. Fails (GetConfig: (DWORD)-1)
 * with BASS_ERROR_ILLPARAM. */
BOOL BASS_SetConfig(DWORD option, DWORD value);
DWORD BASS_GetConfig(DWORD option);

/* Loads a tracker module (MOD, MTM, S3M, XM, IT; recognised by content). The header is checked before
 * the file is read, so a file that is no module is refused quickly with BASS_ERROR_FILEFORM. freq is the
 * rendering rate (0: the output rate). BASS_MUSIC_DECODE makes it decode-only; BASS_MUSIC_RAMP is
 * accepted. The module renders in stereo and ends at the song's end. */
HMUSIC BASS_MusicLoad(BOOL mem, const void *file, QWORD offset, DWORD length, DWORD flags, DWORD freq);
/* Starts (or resumes) a module, and the output if it was stopped. */
BOOL BASS_MusicPlay(HMUSIC handle);
/* Stops and frees a module. */
BOOL BASS_MusicFree(HMUSIC handle);
/* playlen FALSE: the number of orders; TRUE: the song's length in bytes of 16-bit stereo output.
 * (DWORD)-1 on error. */
DWORD BASS_MusicGetLength(HMUSIC handle, BOOL playlen);
/* The module's title as 8-bit text, valid until the module is freed; NULL on error. */
const char *BASS_MusicGetName(HMUSIC handle);

/* BASS_ACTIVE_PLAYING while a channel plays, BASS_ACTIVE_STALLED while a URL stream waits for the network,
 * BASS_ACTIVE_PAUSED after BASS_Stop, BASS_ACTIVE_STOPPED once its last sample has been heard (or it never
 * played, or the handle is bad). A decode-only channel is "playing" until its decoder has reached the end. */
DWORD BASS_ChannelIsActive(DWORD handle);
/* The position now being heard, in bytes (decode-only channels: how far they have been decoded). */
QWORD BASS_ChannelGetPosition(DWORD handle);
/* The position BASS_ChannelGetPosition will read ms from now, when the sound heard then is mixed already; it
 * holds while BASS_GetSoundChanges returns the same count. (QWORD)-1 otherwise, with the errors of
 * BASS_ChannelGetLevelAhead. */
QWORD BASS_ChannelGetPositionAhead(DWORD handle, DWORD ms);
/* Seeks to a byte position (rounded down to whole frames); exact to the sample. Fails with
 * BASS_ERROR_POSITION beyond the end. */
BOOL BASS_ChannelSetPosition(DWORD handle, QWORD pos);
/* Converts a byte position of the channel into seconds; -1 on error. */
float BASS_ChannelBytes2Seconds(DWORD handle, QWORD pos);
/* Converts seconds into a byte position of the channel, rounded down to a whole frame. */
QWORD BASS_ChannelSeconds2Bytes(DWORD handle, float pos);
/* Peak of the last ~20 ms heard, 0..128 per side: left in the low word, right in the high word. 0 when
 * the channel is not playing; (DWORD)-1 on error. Decode-only channels decode 20 ms to measure. */
DWORD BASS_ChannelGetLevel(DWORD handle);
/* The level BASS_ChannelGetLevel will read ms from now, when the sound heard then is mixed already (a few
 * hundred milliseconds ahead at most); it holds while BASS_GetSoundChanges returns the same count.
 * (DWORD)-1 otherwise: BASS_ERROR_NOTAVAIL beyond what is mixed or for a decode-only or recording channel,
 * BASS_ERROR_NOPLAY when the channel or the output is not playing. */
DWORD BASS_ChannelGetLevelAhead(DWORD handle, DWORD ms);
/* A count that moves whenever mixed sound is mixed again or dropped: an effect switched, a volume, a seek,
 * a start, pause or stop. */
QWORD BASS_GetSoundChanges(void);
/* freq: playback rate in Hz (0 = the channel's own, -1 = leave); volume 0..100 (-1 = leave); pan
 * -100 (left) .. 100 (right), a balance: the far side falls linearly to silence. */
BOOL BASS_ChannelSetAttributes(DWORD handle, int freq, int volume, int pan);
/* Reads the attributes; any pointer may be NULL. */
BOOL BASS_ChannelGetAttributes(DWORD handle, DWORD *freq, DWORD *volume, int *pan);
/* Adds an effect to a channel; only BASS_FX_PARAMEQ (a flat peaking band set through bass_fx.h). */
HFX BASS_ChannelSetFX(DWORD handle, DWORD type);
/* Playing channels: the most recent length bytes heard as 16-bit stereo frames at the output rate (with
 * BASS_DATA_FLOAT, float frames), or with BASS_DATA_FFT1024 512 floats: the magnitudes of a Hann-windowed
 * 1024-point FFT of the mono mix, a full-scale sine at a bin centre reading about 1.0. Decode-only
 * channels: the next decoded samples in the channel's own format. Returns the bytes written, or (DWORD)-1
 * (BASS_ERROR_NOPLAY when not playing, BASS_ERROR_ENDED at the end of a decode-only channel). */
DWORD BASS_ChannelGetData(DWORD handle, void *buffer, DWORD length);

/* Recording. Device 0 (or -1) is the default recording device; its inputs are, first, "Player output" (what
 * this library plays, on any output device, the silent one included; on by default), then the system's
 * capture sources by name (off by default). The recording channel answers BASS_ChannelGetData (wave data
 * in its own rate and channel count, or BASS_DATA_FFT1024), BASS_ChannelGetLevel and BASS_ChannelIsActive
 * like any playing channel, with the sum of the inputs that are on. One recording at a time. */
typedef DWORD HRECORD;
#define BASS_SAMPLE_MONO 2
#define BASS_INPUT_OFF 0x10000
#define BASS_INPUT_ON 0x20000
/* Fails with BASS_ERROR_DEVICE for another device number, BASS_ERROR_ALREADY when initialised. */
BOOL BASS_RecordInit(int device);
/* freq 8000..192000 (0: 44100); flags BASS_SAMPLE_MONO or 0 (stereo); proc must be NULL (the channel is
 * polled). Fails with BASS_ERROR_INIT before BASS_RecordInit, BASS_ERROR_ALREADY while recording,
 * BASS_ERROR_ILLPARAM for a callback or a bad rate. */
HRECORD BASS_RecordStart(DWORD freq, DWORD flags, void *proc, void *user);
/* The input's name, valid until BASS_RecordFree; NULL after the last input. */
const char *BASS_RecordGetInputName(int input);
/* BASS_INPUT_ON or BASS_INPUT_OFF switches an input; other bits are ignored. */
BOOL BASS_RecordSetInput(int input, DWORD setting);
/* Ends recording and frees the recording channel. */
BOOL BASS_RecordFree(void);

#ifdef __cplusplus
}
#endif

#endif
