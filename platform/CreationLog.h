#pragma once
#include <string>
#include <vector>

namespace calvoran {

// Records the class names of the program-wide windows as they are created, so the start-up
// order can be checked.
void noteCreated(const char *className);
std::vector<std::string> creationLog();
void clearCreationLog();

} // namespace calvoran
