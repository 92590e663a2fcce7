#include "script/setup.h"

Vec3* darmPath = nullptr;
Vec3* ateriePath1 = nullptr;
Vec3* ateriePath2 = nullptr;

Image* waterCanvas = nullptr;
Image* surfaceImage = nullptr;
Image* waterImage = nullptr;
uint16_t* waterOffsetTable = nullptr;
int32_t* surfaceTexelTable = nullptr;
