#pragma once

// Permission tests mean nothing as root, who reads every file, and the suite
// often runs as root (CI does). Where it does, this runs the current test
// again in a child process as the user nobody (through setpriv) and returns
// true: the caller returns at once, and the child's result is this test's.
// Without root it returns false and the test goes on. Skips the test where
// no unprivileged user can be had.
//
//   if (rerunUnprivileged()) return;
bool rerunUnprivileged();
