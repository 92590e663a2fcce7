#pragma once
#include "state/demo_state.h"

// Which keys are down: demo.KeyState, indexed by Windows virtual-key code
// (Escape is 27).

enum : int { vkEscape = 27, vkF10 = 121, vkMenu = 18 };

// One key event by virtual-key code, the same on every backend. Keys pressed
// with Alt held, Alt itself and F10 reach a Windows program as system keys and
// are not recorded; auto-repeat sets 1 again; codes outside 0..255 are ignored.
void applyVirtualKey(int vk, int down, int altHeld);

// The presses among those events, in order: a key going down that was up.
// Auto-repeat of a held key is no press, so a held key acts once. Up to
// keyPressesKept wait to be taken; later ones are dropped until then.
enum : int { keyPressesKept = 16 };
// The oldest press waiting (its virtual-key code), or -1.
int takeKeyPress();
void clearKeyPresses();

// The desktop backend's key codes.
// Virtual-key code of an SDL key code, or -1 for keys without one.
int virtualKeyFromSdl(int sdlKey);
// applyVirtualKey for an SDL key code.
void applyKeyEvent(int sdlKey, int down, int altHeld);
