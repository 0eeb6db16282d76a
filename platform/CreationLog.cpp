#include "CreationLog.h"

#include <mutex>

namespace calvoran {

namespace {
std::mutex g_mutex;
std::vector<std::string> g_log;
} // namespace

void noteCreated(const char *className) {
    std::lock_guard lock(g_mutex);
    g_log.emplace_back(className);
}

std::vector<std::string> creationLog() {
    std::lock_guard lock(g_mutex);
    return g_log;
}

void clearCreationLog() {
    std::lock_guard lock(g_mutex);
    g_log.clear();
}

} // namespace calvoran
