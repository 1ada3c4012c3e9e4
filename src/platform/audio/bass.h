// The audio library as the program calls it: version 2.4 of the BASS interface, the few
// functions the program uses, with the same names, argument types and results. Underneath
// is our own engine: one output device opened through SDL2, mixed in its callback, files
// decoded by libsndfile a block at a time on a worker thread and resampled to the device
// rate.
//
// What callers rely on, and what the tests in tests/platform/audio hold us to:
//  - BASS_StreamFree stops the sound before it returns (the next device buffer lacks it);
//  - a missing or unreadable file gives handle 0 and nothing else happens;
//  - handle 0, a freed handle or any call before BASS_Init does nothing and returns FALSE;
//  - BASS_ChannelPlay returns at once, the sound plays on;
//  - streams play together through the one device;
//  - a stream that played to its end stays allocated, silent, until freed.
// Handles are never reused within a run, so a stale handle kept in a slot cannot reach a
// newer stream.
#pragma once

#include <cstdint>

using BOOL = int;
using DWORD = uint32_t;
using QWORD = uint64_t;
using HSTREAM = DWORD;

constexpr DWORD BASS_UNICODE = 0x80000000;  // `file` is a UTF-16 path, else UTF-8

// Why the last call on this thread failed (BASS_ErrorGetCode).
constexpr int BASS_OK = 0;
constexpr int BASS_ERROR_FILEOPEN = 2;  // the file cannot be opened
constexpr int BASS_ERROR_HANDLE = 5;    // not a handle of a live stream
constexpr int BASS_ERROR_INIT = 8;      // BASS_Init has not succeeded
constexpr int BASS_ERROR_ALREADY = 14;  // BASS_Init while initialised
constexpr int BASS_ERROR_ILLPARAM = 20;
constexpr int BASS_ERROR_DEVICE = 23;    // no such device, or it cannot be opened
constexpr int BASS_ERROR_FILEFORM = 41;  // the bytes are no audio we can decode

// 0x02040000 and up: the high 16 bits are major and minor version, 2.4.
DWORD BASS_GetVersion();

// device -1: the default output; 0: no output, the mix is pulled by the caller
// (output_probe.h); n >= 1: the n-th output device. freq is the wished output rate (0:
// 44100); the device may choose another, to which every stream is resampled. flags, win
// and clsid are accepted and not used. FALSE when already initialised or no device opens.
BOOL BASS_Init(int device, DWORD freq, DWORD flags, void* win, const void* clsid);

// Stops and frees every stream; FALSE when not initialised.
BOOL BASS_Free();

// A stream of a file (mem FALSE; `file` a path, UTF-16 with BASS_UNICODE) or of a memory
// block (mem TRUE; `file` the block, which must outlive the stream; `length` its size).
// The stream decodes the bytes offset..offset+length (length 0: to the end of the file);
// in MPEG audio it starts at the first whole frame at or after `offset`. 0 on failure.
HSTREAM BASS_StreamCreateFile(BOOL mem, const void* file, QWORD offset, QWORD length, DWORD flags);

BOOL BASS_StreamFree(HSTREAM handle);

// Starts or resumes the stream; with restart, from its first frame.
BOOL BASS_ChannelPlay(DWORD handle, BOOL restart);

// Pauses the stream where it is; BASS_ChannelPlay resumes it.
BOOL BASS_ChannelStop(DWORD handle);

// The error of the last call made on this thread, BASS_OK when it succeeded.
int BASS_ErrorGetCode();
