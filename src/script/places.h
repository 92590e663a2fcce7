#pragma once

// What a set-up builds and a part body uses, named once for both sides:
// places in the scene bank and grid layers shared across files.
enum ScenePlace : int {
    lightPlace = 0,     // the light scene: parts 1 and 2
    neuronalPlace = 1,  // part 3
    ateriePlace = 2,    // part 5
    darmPlace = 5,      // parts 2 and 4
    kopuliPlace = 6,    // part 8
    fischPlace = 10,    // part 6; its five morph frames follow at 11 to 15
    mirrorPlace = 20,   // part 7
};

enum SharedLayer : int {
    helmetLayer = 30,      // over the neuronal scene (part 3)
    helmetMaskLayer = 31,  // multiplied under it
    // Part 5's closing words over the aterie scene, built by the darm set-up.
    insideWordsLayer = 51,
    outsideWordsLayer = 52,
    insideWordsWideLayer = 53,
    // The two halves of the closing wipe of parts 2 and 7, built by the darm
    // set-up.
    wipeFirstLayer = 27,
    wipeSecondLayer = 28,
};

// Gentle play's twins of the artery's wall (slot 31) and blood cells (slot
// 32), their saturated reds tempered: part 5 draws the artery from them in
// gentle play. Past the slots the demo's own pictures fill.
enum GentleSlot : int { temperedWallSlot = 131, temperedBloodSlot = 132 };
