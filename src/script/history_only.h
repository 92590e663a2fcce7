#pragma once

// Frames played for their history only (what they leave to the next frames:
// particles, flares, water, morphs, track cursors), as a seek plays the
// timeline forward: every call and state change happens, no pixel is touched
// (GL 3.0's rasterizer discard; nothing the demo draws reads pixels back),
// and the early flushes that start a deferred rasterizer are left out, as
// there is nothing to rasterize. Off puts both back.
void playForHistoryOnly(bool on);
