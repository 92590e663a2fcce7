#pragma once

// Frames played for their history only (what they leave to the next frames:
// particles, flares, water, morphs, track cursors), as a seek plays the
// timeline forward: every state change reaches the driver, nothing that
// draws does (no vertices, clears, draws, texture uploads or flushes; nothing
// the demo draws reads pixels back), and the objects' camera-space vertices,
// normals and texture coordinates, which only drawing reads, are not made
// (scene/evaluate.h). Off puts both back.
void playForHistoryOnly(bool on);

// For a copy of the process that plays the timeline ahead for a seek: it has
// no GL context of its own to speak to, so from here on no GL call of the
// frames reaches the driver at all, and no vertices are made for drawing.
void playWithoutGl();
