#pragma once
#include <string>
#include <vector>

// Headless: no window system, no sound card; no error box can be shown.
std::vector<std::string> headlessEnv();

// A fresh folder holding a copy of the program (under its own file name) and,
// with withData, a data folder that links every generated file (BUILD/data)
// except those left out. A copy that fails is a test failure; the folder is
// returned all the same. Removed by removeTree.
std::string installProgramCopy(const std::string& program, const std::string& tag,
                        const std::vector<std::string>& leaveOut = {}, bool withData = true);
