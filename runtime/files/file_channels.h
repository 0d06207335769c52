// Eight numbered file channels, 0..7, with typed little-endian reads and
// writes and CR LF text lines. Reading goes through the data archive, so
// packed files read like disk files; writing always goes to disk.
//
// A channel number outside 0..7 ends the program with runtime error 7 in
// every command; a failed read or write ends it with runtime error 3.
// Reading past the end of an in-memory channel delivers zeros, past the end
// of a disk channel it is error 3, so test EndOfFile first.
#pragma once

#include <cstdint>

#include "runtime/core/rt_string.h"

inline constexpr int kFileChannels = 8;
// ReadLine's longest line; longer lines come back in pieces.
inline constexpr int kMaxLineLength = 1024;

// mode >= 1: read; 0: write (create or truncate); negative: append (create
// when missing). Returns 1 on success, 0 on failure (channel left closed).
int OpenFile(int channel, const RtString& name, int mode);
void CloseFile(int channel);
// 1 when the position has reached the size.
int EndOfFile(int channel);
int FilePosition(int channel);
// origin 0: from the start; > 0: from the current position; < 0: from the
// end. Unchecked: reads then fail at a position outside the file.
void FileSeek(int channel, int distance, int origin);

// Reads into an integer variable or a number variable. ReadLong and
// ReadULong store the 32 bits unchanged into an int; into a number they
// give the signed and unsigned value.
void ReadByte(int channel, int& value);
void ReadByte(int channel, double& value);
void ReadUByte(int channel, int& value);
void ReadUByte(int channel, double& value);
void ReadWord(int channel, int& value);
void ReadWord(int channel, double& value);
void ReadUWord(int channel, int& value);
void ReadUWord(int channel, double& value);
void ReadLong(int channel, int& value);
void ReadLong(int channel, double& value);
void ReadULong(int channel, int& value);
void ReadULong(int channel, double& value);
void ReadFloat(int channel, double& value);
void ReadDouble(int channel, double& value);
// Exactly count bytes; the text ends at the first zero byte among them.
// count <= 0 gives the empty text without reading.
void ReadText(int channel, RtString& text, int count);
// One line (LF or CR LF ended, at most 1024 bytes, the line end removed).
void ReadLine(int channel, RtString& text);
// One line read as a decimal number (0 when it is none).
void ReadLineNumber(int channel, double& value);
void ReadLineInt(int channel, int& value);

// Integer writes keep the low 8, 16 or 32 bits of the value's integer part.
void WriteByte(int channel, double value);
void WriteUByte(int channel, double value);
void WriteWord(int channel, double value);
void WriteUWord(int channel, double value);
void WriteLong(int channel, double value);
void WriteULong(int channel, double value);
void WriteFloat(int channel, double value);
void WriteDouble(int channel, double value);
// The text's bytes (its length), no terminator.
void WriteText(int channel, const RtString& text);
// The text's bytes, then CR LF.
void WriteLine(int channel, const RtString& text);
// The number as text (10 significant digits), then CR LF.
void WriteLineNumber(int channel, double value);
void WriteLineInt(int channel, int value);
