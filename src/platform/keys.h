#pragma once

// Which keys are down, indexed by Windows virtual-key code (Escape is 27).
extern int KeyState[256];

enum : int { vkEscape = 27, vkF10 = 121, vkMenu = 18 };

// Virtual-key code of an SDL key code, or -1 for keys without one.
int virtualKeyFromSdl(int sdlKey);

// One key event. Keys pressed with Alt held, Alt itself and F10 reach a
// Windows program as system keys and are not recorded; auto-repeat sets 1 again.
void applyKeyEvent(int sdlKey, int down, int altHeld);
