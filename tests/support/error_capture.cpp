#include "support/error_capture.h"

#include "platform/report_error.h"

namespace {
ErrorCapture* current = nullptr;
void observe(const char* text) {
    if (current) current->texts.push_back(text);
}
}  // namespace

ErrorCapture::ErrorCapture() {
    current = this;
    setErrorObserver(observe);
}

ErrorCapture::~ErrorCapture() {
    setErrorObserver(nullptr);
    current = nullptr;
}

bool ErrorCapture::contains(const std::string& part) const {
    for (const std::string& t : texts)
        if (t.find(part) != std::string::npos) return true;
    return false;
}
