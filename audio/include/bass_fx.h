/* The player's sound effects on a channel: twelve numbered effects and a multi-band peaking
 * equaliser. Effects run on the channel's float samples, in priority order (higher first, equal
 * priorities in the order they were set): on a playing channel as it is mixed, in stereo at the
 * output rate, so a change is heard within one device period; on a decode-only channel as it is
 * read, in its own rate and channel count (effects that are about left and right act on the first
 * two channels).
 * Switching an effect on or off crossfades over 10 ms; an equaliser gain change glides at 500 dB/s.
 * While any effect is on, samples that are not numbers enter the chain as 0 and samples beyond
 * +-64 are clipped there, so no input can leave an effect's state broken.
 *
 * Failures return FALSE and set the error code (BASS_ErrorGetCode):
 *   BASS_ERROR_INIT / BASS_ERROR_HANDLE  no library or no such channel
 *   BASS_ERROR_ILLPARAM                  unknown effect number, null or out-of-range parameters
 *   BASS_ERROR_ALREADY                   BASS_FX_DSP_Set of an effect that is already set (not 5)
 *   BASS_ERROR_NOTAVAIL                  removing or reading/writing an effect that is not set
 *
 * "Gain" below is the most an effect can raise a signal's peak (the bound on its output for any
 * input within full scale); effects with gain 1 never exceed their input's full scale. */
#ifndef CALVORAN_BASS_FX_H
#define CALVORAN_BASS_FX_H

#include "bass.h"

#ifdef __cplusplus
extern "C" {
#endif

/* Effect numbers (BASS_FX_DSP_Set). 4, 10 and 14 are not used. */
#define BASS_FX_DSP_SWAP 0     /* "Swap Channels" */
#define BASS_FX_DSP_ROTATE 1   /* "Rotate" */
#define BASS_FX_DSP_ECHO 2     /* "Echo" */
#define BASS_FX_DSP_FLANGER 3  /* "Flanger" */
#define BASS_FX_DSP_PEAKEQ 5   /* peaking equaliser */
#define BASS_FX_DSP_REVERB 6   /* "Reverb" */
#define BASS_FX_DSP_LPF 7      /* "LPF" */
#define BASS_FX_DSP_CUTTER 8   /* "Cutter" */
#define BASS_FX_DSP_FLANGER2 9 /* "Flanger v2" */
#define BASS_FX_DSP_DYNAMP 11  /* "Dyn Amp" */
#define BASS_FX_DSP_AUTOWAH 12 /* "AutoWah" */
#define BASS_FX_DSP_ECHO2 13   /* "Echo 2.0" */
#define BASS_FX_DSP_ECHO21 15  /* "Echo 2.1" */

/* 0 Swap Channels: exchanges left and right (the first two channels). No parameters: Get/Set
 * fail with BASS_ERROR_ILLPARAM. Mono: no change. Gain 1. */

/* 1 Rotate: auto-pan; the sound moves from side to side, the far side fading by `depth`.
 * Defaults: rate 0.25 Hz (one sweep left-right-left in 4 s), depth 1. Mono: no change. Gain 1. */
typedef struct {
    float rate;  /* Hz, 0.01..20 */
    float depth; /* 0..1 */
} RotateParams;

/* 2 Echo: one feedback delay per channel: out = dry*in + wet*delayed, delay line fed with
 * in + feedback*delayed. Defaults: dry 0.8, wet 0.4, feedback 0.3, delay 0.25 s (first repeat
 * 0.25 s after the sound at 0.4 of its level). Gain dry + wet/(1-|feedback|): 1.37 by default.
 * 13 Echo 2.0: stereo ping-pong: the mono sum enters the left line, each line feeds the other,
 * so repeats alternate left (after delay), right (after 2*delay), left... Mono: plain echo.
 * Defaults: dry 0.8, wet 0.5, feedback 0.45, delay 0.3 s. Gain as Echo: 1.71 by default. */
typedef struct {
    float dry;      /* 0..2 */
    float wet;      /* 0..2 */
    float feedback; /* -0.95..0.95 */
    float delay;    /* seconds, 0.001..2 */
} EchoParams;

/* 15 Echo 2.1: echo whose repeats pass a one-pole low-pass (`damping` cutoff) and a one-pole
 * high-pass at 60 Hz in the feedback path, so each repeat is darker than the last.
 * Defaults: dry 0.8, wet 0.45, feedback 0.5, delay 0.35 s, damping 2500 Hz.
 * Gain dry + wet/(1-|feedback|): 1.7 by default. */
typedef struct {
    float dry;      /* 0..2 */
    float wet;      /* 0..2 */
    float feedback; /* -0.95..0.95 */
    float delay;    /* seconds, 0.001..2 */
    float damping;  /* Hz, 100..20000 (limited to 0.45 of the sample rate) */
} Echo21Params;

/* 3 Flanger and 9 Flanger v2: a short delay swept by a low-frequency oscillator, mixed with the
 * dry sound. Flanger: sine sweep, same on every channel, positive feedback.
 * Defaults: dry 0.6, wet 0.6, feedback 0.3, rate 0.25 Hz, delay 1 ms, depth 3 ms, phase 0.
 * Gain dry + wet/(1-|feedback|): 1.46 by default.
 * Flanger v2: triangle sweep, the right channel's sweep `phase` degrees behind the left, negative
 * feedback (hollow, "jet" colour). Defaults: dry 0.6, wet 0.6, feedback -0.4, rate 0.15 Hz,
 * delay 0.5 ms, depth 5 ms, phase 90. Gain 1.6 by default. */
typedef struct {
    float dry;      /* 0..2 */
    float wet;      /* 0..2 */
    float feedback; /* -0.95..0.95 */
    float rate;     /* Hz, 0.01..10 */
    float delay;    /* ms, shortest delay, 0..20 */
    float depth;    /* ms, sweep width, 0..20 */
    float phase;    /* degrees, right sweep behind the left, 0..360 */
} FlangerParams;

/* 6 Reverb: a Schroeder/Freeverb network per channel (eight damped feedback combs in parallel,
 * four allpasses in series; the right channel's delays 23 samples longer), delays scaled to the
 * sample rate. Defaults: room 0.5, damp 0.5, wet 0.25, dry 0.7, width 1. Tail of about 1.5 s
 * (-60 dB) by default. Gain 2 with the defaults (a sustained full-scale input builds up the tail);
 * more with a larger room or wet level, but always finite. */
typedef struct {
    float roomSize; /* 0..1: comb feedback 0.7..0.98 */
    float damp;     /* 0..1: high-frequency loss in the combs */
    float wet;      /* 0..1 */
    float dry;      /* 0..1 */
    float width;    /* 0..1: stereo width of the reverberation */
} ReverbParams;

/* 7 LPF: resonant two-pole low-pass (biquad). Defaults: cutoff 1500 Hz, resonance (Q) 1.
 * Passes 200 Hz within 0.1 dB, takes 10 kHz down by more than 30 dB.
 * Gain: a sine at the cutoff rises by Q (1 by default, 1.16 at the peak); any input at most 1.5x. */
typedef struct {
    float cutoff;    /* Hz, 20..20000 (limited to 0.45 of the sample rate) */
    float resonance; /* Q, 0.5..10 */
} LpfParams;

/* 8 Cutter: a rhythmic gate. Each cycle opens for `duty` of the cycle and closes for the rest,
 * the closed part attenuated by `depth`, edges smoothed over 3 ms.
 * Defaults: rate 4 Hz (4 cuts a second), duty 0.5, depth 1 (silent when closed). Gain 1. */
typedef struct {
    float rate;  /* Hz, 0.1..50 */
    float duty;  /* 0.05..0.95 */
    float depth; /* 0..1 */
} CutterParams;

/* 11 Dyn Amp: automatic gain: follows the peak level (all channels linked) and steers the gain
 * toward target/level within 1/maxGain..maxGain; gain falls with `attack`, rises with `release`.
 * A quiet passage is raised toward the target, a loud one brought down to it.
 * Defaults: target 0.5 (-6 dBFS), maxGain 8 (+18 dB), attack 5 ms, release 800 ms.
 * Gain maxGain; a peak after a long quiet passage is caught within `attack`, and the output never
 * goes beyond full scale (a hard limit at 1.0 catches what the attack lets through). */
typedef struct {
    float target;  /* 0.05..1, peak level */
    float maxGain; /* 1..32 */
    float attack;  /* ms, 0.1..500 */
    float release; /* ms, 10..10000 */
} DynAmpParams;

/* 12 AutoWah: an envelope-controlled band-pass (state-variable filter): the louder the sound, the
 * higher the band's centre, between minFreq and maxFreq. out = dry*in + wet*bandpass, the band-pass
 * having unit gain at its centre. Defaults: dry 0.4, wet 0.8, minFreq 350 Hz, maxFreq 2500 Hz,
 * Q 3, sensitivity 1.5 (a level of 0.67 or more opens the filter fully). Gain dry + wet: 1.2
 * for sines; any input at most about 1.5x. */
typedef struct {
    float dry;         /* 0..2 */
    float wet;         /* 0..2 */
    float minFreq;     /* Hz, 20..10000 */
    float maxFreq;     /* Hz, minFreq..20000 (limited to 0.45 of the sample rate) */
    float q;           /* 0.5..20 */
    float sensitivity; /* 0.1..100 */
} AutoWahParams;

/* 5 Peaking equaliser (RBJ peaking biquads, one per band). Each BASS_FX_DSP_Set(h, 5, prio) adds
 * one flat band (band numbers 0, 1, 2, ... in order, at most 32; the first call sets the
 * equaliser's priority); BASS_FX_DSP_Remove(h, 5) removes every band. SetParameters sets the band
 * named in `band`; GetParameters fills the record of the band named in `band`. A band that was not
 * added fails with BASS_ERROR_ILLPARAM. A later Set of 5 adds a band and succeeds. The new band's defaults:
 * bandwidth 1 octave, Q 0, centre 1000 Hz, gain 0 dB. Gain: 10^(largest band gain/20) per band in series. */
typedef struct {
    int band;            /* which band, 0.. */
    unsigned sampleRate; /* ignored when set (the channel's own rate is used); filled when read */
    float bandwidth;     /* octaves, 0.05..6, used when q is 0 */
    float q;             /* 0 or 0.1..40 */
    float centre;        /* Hz, 10..(0.49 of the sample rate; higher centres are limited to it) */
    float gain;          /* dB, -30..30 */
} EqBandParams;

/* Adds effect `dsp` to the channel with the given priority. */
BOOL BASS_FX_DSP_Set(DWORD handle, int dsp, int priority);
/* Takes effect `dsp` off the channel (all bands for 5). */
BOOL BASS_FX_DSP_Remove(DWORD handle, int dsp);
/* params points to the effect's record above (EqBandParams for 5). */
BOOL BASS_FX_DSP_SetParameters(DWORD handle, int dsp, void *params);
BOOL BASS_FX_DSP_GetParameters(DWORD handle, int dsp, void *params);
/* Takes every BASS_FX_DSP_Set effect off every channel (BASS_ChannelSetFX bands stay). Always
 * succeeds. */
BOOL BASS_FX_Free(void);

/* Our extension: the band that BASS_ChannelSetFX(handle, BASS_FX_PARAMEQ) attached as `fx`. Each
 * such effect is one peaking band (the record's band field is ignored; 0 when read), flat when
 * attached: centre 1000 Hz, bandwidth 1 octave, Q 0, gain 0 dB. Fails with BASS_ERROR_HANDLE when
 * the channel has no such effect, BASS_ERROR_ILLPARAM for a null or out-of-range record. */
BOOL BASS_FX_ParamEqSetParameters(DWORD handle, HFX fx, const EqBandParams *params);
BOOL BASS_FX_ParamEqGetParameters(DWORD handle, HFX fx, EqBandParams *params);

#ifdef __cplusplus
}
#endif

#endif
