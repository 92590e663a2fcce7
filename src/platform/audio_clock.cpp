#include "platform/audio_clock.h"

void recordHandOver(AudioClockHistory* h, uint64_t timeUs, uint64_t framesBefore) {
    h->entries[h->next] = AudioHandOver{timeUs, framesBefore};
    h->next = (h->next + 1) % audioHandOverKept;
    if (h->count < audioHandOverKept) ++h->count;
}

bool audibleStartUs(const AudioClockHistory& h, int rate, int latencyFrames, uint64_t nowUs,
                    uint64_t staleUs, int64_t* startUs) {
    if (h.count <= 0 || rate <= 0) return false;
    const int latest = (h.next + audioHandOverKept - 1) % audioHandOverKept;
    const uint64_t lastUs = h.entries[latest].timeUs;
    if (nowUs > lastUs && nowUs - lastUs > staleUs) return false;
    // Each hand-over's own answer, against its age.
    double age[audioHandOverKept], start[audioHandOverKept];
    const int64_t latencyUs = int64_t(latencyFrames) * 1000000 / rate;
    double meanAge = 0, meanStart = 0;
    for (int i = 0; i < h.count; ++i) {
        const AudioHandOver& e = h.entries[i];
        const double playedUs = double(e.framesBefore) * 1e6 / rate;
        age[i] = double(int64_t(e.timeUs) - int64_t(lastUs)) / 1e6;
        start[i] = double(int64_t(e.timeUs) - int64_t(lastUs)) - playedUs + double(latencyUs);
        meanAge += age[i];
        meanStart += start[i];
    }
    meanAge /= h.count;
    meanStart /= h.count;
    // A device clock a little off the timer's moves the answer steadily: the
    // slope by least squares, limited to 5 %.
    double sxx = 0, sxy = 0;
    for (int i = 0; i < h.count; ++i) {
        sxx += (age[i] - meanAge) * (age[i] - meanAge);
        sxy += (age[i] - meanAge) * (start[i] - meanStart);
    }
    double slope = h.count >= 4 && sxx > 0 ? sxy / sxx : 0;  // microseconds per second
    if (slope > 50000) slope = 50000;
    if (slope < -50000) slope = -50000;
    // Brought to the latest hand-over along that slope, the earliest answer
    // wins.
    double best = 0;
    for (int i = 0; i < h.count; ++i) {
        const double atLatest = start[i] - slope * age[i];
        if (i == 0 || atLatest < best) best = atLatest;
    }
    *startUs = int64_t(lastUs) + int64_t(best >= 0 ? best + 0.5 : best - 0.5);
    return true;
}
