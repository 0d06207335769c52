// The file subsystem's part in the engine's life: the two archives it owns,
// the channels it closes at the end, and the write-back at process exit.
#pragma once

#include <string>

struct ArchiveSource;

// Creates both archives and names the executable itself as both, so an
// archive appended to the program works without configuration.
void FilesStart(const std::string& exePath);
// Closes every open file channel.
void FilesCloseChannels();
// Deletes both archives (and their temporary files).
void FilesShutdown();

// The archives names resolve through (null before start-up: disk only).
ArchiveSource* DataArchive();
ArchiveSource* MusicArchive();

// Installs archive as the music archive and returns the one it replaces;
// the caller keeps ownership of both (tests and tools that bring their own).
ArchiveSource* ReplaceMusicArchive(ArchiveSource* archive);

// Registers, once, the process-exit write-back of INI and line files.
void EnsureFilesWrittenBackAtExit();
