#pragma once
#include <cstddef>

// Data files are named literally, as "data\\flare.cfg". The separator is mapped
// and the "data" prefix is replaced by the data directory, which is the folder
// "data" beside the executable unless set otherwise.
void setDataDirectory(const char* dir);
const char* dataDirectory();

// Writes the real path of a literal name into out. Returns 0 when it does not
// fit, or when the name is one no data file may have (dataNameProblem).
int resolveDataPath(const char* name, char* out, size_t outSize);

// Why a literal name cannot name a data file on every system the demo runs
// on, or null when it can. Windows opens such names as something else than
// a file in the data folder: a drive ("C:\..."), a network path
// ("\\host\share\..."), a stream of a file ("lens.jpg:x"), a device (CON,
// PRN, AUX, NUL, COM1 to COM9, LPT1 to LPT9, with or without an extension;
// opening CON waits on the console), or a name past its path limit of 260.
// Such names are refused everywhere, and never opened.
const char* dataNameProblem(const char* name);

// True when a literal name that a data file gives (a lens picture of the
// flare file) names a file inside the data folder: it starts with "data\\"
// and no ".." part of it climbs above the folder. Absolute names and names
// beside the data folder are not inside, nor are names dataNameProblem refuses.
bool dataNameStaysInside(const char* name);

// Why a resolved path names no file, for messages: "no such file in FOLDER"
// (the folder the path lies in), "no such file in FOLDER, which does not
// exist" (naming the installed data folder too when that was searched as
// well), or "FOLDER is not a folder" when a file or a device stands where
// the folder, or one above it, should be.
void describeSearchedFolder(const char* realPath, char* out, size_t outSize);
