#include "image/config_reader.h"

#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>

int readConfigLine(FILE* file, char* line) {
    int n = 0;
    int c = EOF;
    while (n < configLineSize - 1 && (c = std::fgetc(file)) != EOF && c != '\n') line[n++] = char(c);
    line[n] = '\0';
    if (n == configLineSize - 1) {
        // A full buffer: the line feed of a line of exactly the longest
        // length still belongs to this line.
        int next = std::fgetc(file);
        if (next != '\n' && next != EOF) std::ungetc(next, file);
    }
    return (n == 0 && c == EOF) ? -1 : n;
}

int seekConfigSection(FILE* file, const char* header) {
    std::rewind(file);
    char line[configLineSize];
    while (readConfigLine(file, line) >= 0)
        if (std::strstr(line, header)) return 1;
    return 0;
}

void readConfigInt(FILE* file, const char* key, int* value) {
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

void readConfigString(FILE* file, const char* key, char* word) {
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
