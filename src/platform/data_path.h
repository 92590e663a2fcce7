#pragma once
#include <cstddef>

// Data files are named literally, as "data\\flare.cfg". The separator is mapped
// and the "data" prefix is replaced by the data directory, which is the folder
// "data" beside the executable unless set otherwise.
void setDataDirectory(const char* dir);
const char* dataDirectory();

// Writes the real path of a literal name into out. Returns 0 when it does not fit.
int resolveDataPath(const char* name, char* out, size_t outSize);

// For messages about a missing data file: "in FOLDER" (the folder the
// resolved path lies in) or, when that folder is not there at all, "in
// FOLDER, which does not exist".
void describeSearchedFolder(const char* realPath, char* out, size_t outSize);
