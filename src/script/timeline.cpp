#include "script/timeline.h"

#include "script/parts.h"

const float cutListA[11] = {0, 115, 230, 345, 460, 570, 680, 800, 915, 1500, 2000};
const float cutListB[11] = {0, 115, 230, 345, 460, 575, 690, 805, 920, 1500, 2000};
const float blinkList[13] = {0, 30, 130, 160, 230, 260, 330, 370, 420, 470, 1200, 2000, 3000};
const float morphBlendTable[20] = {0, 1, 0.5f, 0, -1, -1, -0.5f, 0, 0, 1,
                                   1, 0, 0,    0, 0,  0,  0,     0, 0, 0};

int partIndexForElapsed(int32_t elapsedMs) {
    if (elapsedMs <= Timeline[1]) return 0;
    for (int i = 1; i < partCount; ++i)
        if (elapsedMs <= Timeline[i + 1]) return i;
    return partCount;
}

int32_t partStartMs(int part) {
    if (part <= 0) return 0;
    if (part >= partCount) return Timeline[partCount];
    return Timeline[part];
}

int selectCut(const float* cutList, int listSize, float partTime, float* cutTime) {
    int s = 0;
    if (partTime > cutList[1]) {
        s = listSize - 1;
        for (int i = 1; i + 1 < listSize; ++i) {
            if (partTime <= cutList[i + 1]) {
                s = i;
                break;
            }
        }
    }
    if (cutTime) *cutTime = partTime - cutList[s];
    return s;
}

void partClearColour(int part, float rgba[4]) {
    const bool inTable = part >= 0 && part < partCount;
    for (int c = 0; c < 4; ++c) rgba[c] = inTable ? partTable[part].clear[c] : 0;
}

void runPartBody(int part) {
    if (part >= 0 && part < partCount && partTable[part].body) partTable[part].body();
}
