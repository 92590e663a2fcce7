#pragma once
#include <string>

// Output files are written under a temporary name beside the final one and
// renamed only once complete: a capture that fails or is stopped leaves
// nothing half-written under the name asked for, and a file that was there
// before stays as it was.

// ".STEM.part-PID.EXT" in the same folder (the extension is kept, so ffmpeg
// still picks its format by it). The stem is shortened where the whole would
// pass the file system's limit for a name.
std::string temporaryNameBeside(const std::string& path);

// Creates that temporary file, empty (which proves the folder writable).
// Returns its name, or empty when it cannot be created or path is a folder,
// with *reason (when not null) saying why, e.g. "the folder X does not exist".
// Temporary files of captures that no longer run are removed from the folder
// first.
std::string createTemporaryBeside(const std::string& path, std::string* reason = nullptr);

// Removes the temporary files (".NAME.part-PID...") of processes that no
// longer exist from a folder ("" for the working folder): what a capture
// killed outright leaves behind.
void removeStaleTemporaries(const std::string& folder);

// Renames the finished temporary file to its final name. False after a
// message naming the file.
bool commitTemporary(const std::string& temporary, const std::string& path);

// Removes an unfinished temporary file (empty name: nothing).
void discardTemporary(const std::string& temporary);

// A path as ffmpeg must be given it to read it as a plain file: ffmpeg takes
// "name:..." for a protocol and "-..." for an option, so the absolute path
// behind the "file:" protocol.
std::string ffmpegFileArgument(const std::string& path);
