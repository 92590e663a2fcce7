// libFuzzer target: opening and decoding the start of an MP3 stream.
#include <cstddef>
#include <cstdint>

#include "platform/audio.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    audioProbeBytes(data, long(size));
    return 0;
}
