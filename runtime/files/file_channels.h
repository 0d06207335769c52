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

// How many channels there are (numbered 0 to kFileChannels - 1).
inline constexpr int kFileChannels = 8;
// ReadLine's longest line; longer lines come back in pieces.
inline constexpr int kMaxLineLength = 1024;

// mode >= 1: read; 0: write (create or truncate); negative: append (create
// when missing). Returns 1 on success, 0 on failure (channel left closed).
int OpenFile(int channel, const RtString& name, int mode);
// Closes the channel (a closed one stays closed); its writes are on disk
// afterwards.
void CloseFile(int channel);
// 1 when the position has reached the size.
int EndOfFile(int channel);
// The byte offset the next read or write starts at.
int FilePosition(int channel);
// origin 0: from the start; > 0: from the current position; < 0: from the
// end. Unchecked: reads then fail at a position outside the file.
void FileSeek(int channel, int distance, int origin);

// The typed reads fill an integer variable or a number variable. ReadLong
// and ReadULong store the 32 bits unchanged into an int; into a number they
// give the signed and unsigned value.
//
// ReadByte: one signed byte (-128..127).
void ReadByte(int channel, int& value);
void ReadByte(int channel, double& value);
// One unsigned byte (0..255).
void ReadUByte(int channel, int& value);
void ReadUByte(int channel, double& value);
// Two bytes, signed (-32768..32767).
void ReadWord(int channel, int& value);
void ReadWord(int channel, double& value);
// Two bytes, unsigned (0..65535).
void ReadUWord(int channel, int& value);
void ReadUWord(int channel, double& value);
// Four bytes, signed.
void ReadLong(int channel, int& value);
void ReadLong(int channel, double& value);
// Four bytes, unsigned (into an int: the same 32 bits).
void ReadULong(int channel, int& value);
void ReadULong(int channel, double& value);
// A 4-byte IEEE float.
void ReadFloat(int channel, double& value);
// An 8-byte IEEE double.
void ReadDouble(int channel, double& value);
// Exactly count bytes; the text ends at the first zero byte among them.
// count <= 0 gives the empty text without reading.
void ReadText(int channel, RtString& text, int count);
// One line (LF or CR LF ended, at most 1024 bytes, the line end removed).
void ReadLine(int channel, RtString& text);
// One line read as a decimal number (0 when it is none).
void ReadLineNumber(int channel, double& value);
// One line read as a decimal integer (0 when it is none).
void ReadLineInt(int channel, int& value);

// One byte. Integer writes keep the low 8, 16 or 32 bits of the value's
// integer part.
void WriteByte(int channel, double value);
void WriteUByte(int channel, double value);   // One byte; see WriteByte.
void WriteWord(int channel, double value);    // Two bytes; see WriteByte.
void WriteUWord(int channel, double value);   // Two bytes; see WriteByte.
void WriteLong(int channel, double value);    // Four bytes; see WriteByte.
void WriteULong(int channel, double value);   // Four bytes; see WriteByte.
void WriteFloat(int channel, double value);   // A 4-byte IEEE float.
void WriteDouble(int channel, double value);  // An 8-byte IEEE double.
// The text's bytes (its length), no terminator.
void WriteText(int channel, const RtString& text);
// The text's bytes, then CR LF.
void WriteLine(int channel, const RtString& text);
// The number as text (10 significant digits), then CR LF.
void WriteLineNumber(int channel, double value);
// The integer as decimal text, then CR LF.
void WriteLineInt(int channel, int value);
