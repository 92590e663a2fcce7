#include "image/config_reader.h"

#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>

int readConfigLine(ConfigText* file, char* line) {
    const size_t left = file->pos < file->size ? file->size - file->pos : 0;
    if (left == 0) {
        line[0] = '\0';
        return -1;
    }
    const char* at = file->data + file->pos;
    const size_t limit = left < size_t(configLineSize - 1) ? left : size_t(configLineSize - 1);
    const char* feed = static_cast<const char*>(std::memchr(at, '\n', limit));
    const size_t n = feed ? size_t(feed - at) : limit;
    std::memcpy(line, at, n);
    line[n] = '\0';
    file->pos += n;
    if (feed) {
        ++file->pos;  // the line feed is dropped
    } else if (n == size_t(configLineSize - 1) && file->pos < file->size &&
               file->data[file->pos] == '\n') {
        // A full buffer: the line feed of a line of exactly the longest
        // length still belongs to this line.
        ++file->pos;
    }
    return int(n);
}

int seekConfigSection(ConfigText* file, const char* header) {
    file->pos = 0;
    char line[configLineSize];
    while (readConfigLine(file, line) >= 0)
        if (std::strstr(line, header)) return 1;
    return 0;
}

void readConfigInt(ConfigText* file, const char* key, int* value) {
    char line[configLineSize];
    *value = 0;
    if (readConfigLine(file, line) < 0) return;
    const char* at = std::strstr(line, key);
    if (!at) return;
    errno = 0;
    long v = std::strtol(at + std::strlen(key), nullptr, 10);
    if (v > INT_MAX) v = INT_MAX;
    if (v < INT_MIN) v = INT_MIN;
    *value = int(v);
}

void readConfigString(ConfigText* file, const char* key, char* word) {
    char line[configLineSize];
    word[0] = '\0';
    if (readConfigLine(file, line) < 0) return;
    const char* at = std::strstr(line, key);
    if (!at) return;
    at += std::strlen(key);
    while (*at && std::isspace((unsigned char)*at)) ++at;
    int n = 0;
    while (at[n] && !std::isspace((unsigned char)at[n])) {
        word[n] = at[n];
        ++n;
    }
    word[n] = '\0';
}
