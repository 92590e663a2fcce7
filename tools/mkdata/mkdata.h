#pragma once

// The content generator: each writer fills its share of the data folder `dir`
// (a plain path, no trailing slash) and returns 1 on success, 0 after printing
// what went wrong on stderr. Every writer is deterministic: same bytes each run.

int writePictures(const char* dir);       // every .jpg the demo and the flare file name
int writeWaterBitmaps(const char* dir);   // surface.bmp, water.bmp (128x128, 24-bit)
int writeFlareConfig(const char* dir);    // flare.cfg
int writeScenes(const char* dir);         // the twelve .dat scene files
int writeSoundtrack(const char* dir);     // 5tfina.mp3

// One PNG with every picture of `dataDir`, labelled.
int writeContactSheet(const char* dataDir, const char* pngPath);
