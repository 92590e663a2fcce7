#pragma once

// Identity model-view, projection gluPerspective(90, 1, 1, 100000): x and y
// from -1 to 1 at z = -1 cover the screen. Leaves GL_PROJECTION selected.
void setScreenProjection();

void maskScreenRect(float x0, float y0, float x1, float y1, float z);
void maskScreenCells(int n);
void fadeScreen(float level);
void flashScreen(float level);
