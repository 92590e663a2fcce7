#pragma once

// The arithmetic of gentle play (state/gentle_mode.h), one softening each. The
// drawing code applies them only while gentleMode.on. Every one is a function
// of what is drawn in the frame itself, so a gentle frame depends on the
// clock exactly as a plain one does.

// White flashes (flashScreen) at this share of their strength: a flash keeps
// its moment and its shape, and a cut to white becomes a cut to light grey.
const float gentleFlashShare = 0.4f;

float gentleFlashLevel(float level);

// Camera-facing sprites (particles) fade out as they come near the eye:
// fully drawn while their half-size is at most a tenth of their distance,
// gone from a fifth. A glow passing close to the camera no longer fills a
// large part of the picture for a frame or two.
const float gentleSpriteFullSize = 0.1f;
const float gentleSpriteGoneSize = 0.2f;

// The weight (0 to 1) of a sprite of half-size `size` at camera-space depth
// `depth` (negative ahead of the camera).
float gentleSpriteWeight(float size, float depth);

// The most of a pixel's linear light that its red may be: below the 0.8 at
// which WCAG's working definition calls a colour a saturated red, so a
// picture tempered with it never makes a red flash, however it moves.
const float gentleRedShare = 0.7f;

// Tempers packed 8-bit sRGB pixels in place: a pixel whose red is more than
// gentleRedShare of its light is mixed toward the grey of the same relative
// luminance, just far enough. Other pixels are left as they are.
void temperSaturatedRed(unsigned char* rgb, long pixelCount);
