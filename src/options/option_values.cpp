#include "options/option_values.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>

bool parseWholeNumber(const char* text, long low, long high, long* number) {
    if (!text || *text < '0' || *text > '9') return false;
    errno = 0;
    char* end = nullptr;
    const long v = std::strtol(text, &end, 10);
    if (errno != 0 || *end != '\0' || v < low || v > high) return false;
    *number = v;
    return true;
}

bool parseSampleCount(const char* text, int* samples) {
    for (int n : {2, 4, 8, 16}) {
        if (std::to_string(n) != text) continue;
        *samples = n;
        return true;
    }
    return false;
}

bool parseSeconds(const std::string& text, double* seconds) {
    size_t at = 0;
    auto digits = [&] {
        const size_t from = at;
        while (at < text.size() && text[at] >= '0' && text[at] <= '9') ++at;
        return at - from;
    };
    size_t mantissa = digits();
    if (at < text.size() && text[at] == '.') {
        ++at;
        mantissa += digits();
    }
    if (mantissa == 0) return false;
    if (at < text.size() && (text[at] == 'e' || text[at] == 'E')) {
        ++at;
        if (at < text.size() && (text[at] == '+' || text[at] == '-')) ++at;
        if (digits() == 0) return false;
    }
    if (at != text.size()) return false;
    const double v = std::strtod(text.c_str(), nullptr);
    if (!std::isfinite(v)) return false;
    *seconds = v;
    return true;
}

bool parsePlainSeconds(const std::string& text, double* seconds) {
    return text.find_first_of("eE") == std::string::npos && parseSeconds(text, seconds);
}

std::vector<std::string> splitCommaList(const std::string& text) {
    std::vector<std::string> items;
    size_t start = 0;
    for (;;) {
        const size_t comma = text.find(',', start);
        if (comma == std::string::npos) break;
        items.push_back(text.substr(start, comma - start));
        start = comma + 1;
    }
    items.push_back(text.substr(start));
    return items;
}

bool splitRange(const std::string& text, std::string* first, std::string* last) {
    const size_t dash = text.find('-');
    if (dash == std::string::npos) return false;
    *first = text.substr(0, dash);
    *last = text.substr(dash + 1);
    return !(first->empty() && last->empty());
}

bool parseFrameSize(const std::string& text, int* width, int* height) {
    const size_t x = text.find('x');
    long w = 0, h = 0;
    if (x == std::string::npos || !parseWholeNumber(text.substr(0, x).c_str(), 1, 8192, &w) ||
        !parseWholeNumber(text.c_str() + x + 1, 1, 8192, &h))
        return false;
    if (w * 3 != h * 4 || w % 2 || h % 2) return false;
    *width = int(w);
    *height = int(h);
    return true;
}
