#pragma once

// The graphics capability check of the start-up, kept for the start-up's
// shape: the demo checks for multi-texturing before it loads anything and
// would stop with "no multi-texturing supported" (start_up.cpp). Every GL it
// runs on has what it uses (desktop GL through SDL or Windows' opengl32, and
// WebGL through the GL layer), so the check answers yes without asking the
// driver. It stays a call, in its place, so that the start-up reads in its
// order and the message keeps its step; a backend that can lack something
// answers here.
bool checkMultiTexture();
