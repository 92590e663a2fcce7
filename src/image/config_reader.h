#pragma once
#include <cstddef>

// The line reader of the flare file, on the file's bytes in memory. Lines end
// with carriage return and line feed; the carriage return stays in the text,
// the line feed is dropped.
enum : int { configLineSize = 256 };

// The whole file and the read position.
struct ConfigText {
    const char* data;
    size_t size;
    size_t pos;
};

// Reads one line (at most configLineSize - 1 characters; a longer line is
// returned in pieces). Returns the characters stored, -1 at the end of the file.
int readConfigLine(ConfigText* file, char* line);

// Goes back to the start and reads lines until one contains header (anywhere
// in it) or the file ends; the next read continues after that line. 1 when found.
int seekConfigSection(ConfigText* file, const char* header);

// Read the next line and parse the value right after key: a decimal integer
// (0 when the key or the number is missing) or one word (empty when missing).
void readConfigInt(ConfigText* file, const char* key, int* value);
void readConfigString(ConfigText* file, const char* key, char* word);
