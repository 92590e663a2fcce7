#pragma once

// Keys in the browser: the page queues the keyCode of every keydown and keyup;
// those codes are the Windows virtual-key codes the key state is indexed by.

// Virtual-key code of a DOM keyCode, or -1 for codes outside the table.
int virtualKeyFromDom(int keyCode);

// One key event, with the same rules as on the desktop: keys pressed with Alt
// held, Alt itself and F10 are system keys and are not recorded.
void applyDomKeyEvent(int keyCode, int down, int altHeld);
