#pragma once

// Keys in the browser: the page queues the keyCode of every keydown and keyup;
// those codes are the Windows virtual-key codes the key state is indexed by.

// Virtual-key code of a DOM keyCode, or -1 for codes outside the table.
int virtualKeyFromDom(int keyCode);

// applyVirtualKey (platform/keys.h) for a DOM keyCode.
void applyDomKeyEvent(int keyCode, int down, int altHeld);
