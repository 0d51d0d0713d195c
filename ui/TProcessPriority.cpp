#include "TProcessPriority.h"

#include <cerrno>
#include <dirent.h>
#include <string>
#include <sys/resource.h>

bool TProcessPriority::SystemSetter(int nice) {
    // Linux keeps a nice value per thread (PRIO_PROCESS with id 0 means the
    // calling thread): set it on every thread of the process so that worker
    // threads follow. The caller's own thread decides success.
    if (setpriority(PRIO_PROCESS, 0, nice) != 0) return false;
    if (DIR* tasks = opendir("/proc/self/task")) {
        while (const dirent* entry = readdir(tasks)) {
            if (entry->d_name[0] == '.') continue;
            const int tid = std::stoi(entry->d_name);
            setpriority(PRIO_PROCESS, static_cast<id_t>(tid), nice);
        }
        closedir(tasks);
    }
    return true;
}

TProcessPriority::TProcessPriority(Setter setter) : setter_(std::move(setter)) {}

bool TProcessPriority::Set(Level level) {
    const int nice = level == Level::AboveNormal   ? AboveNormalNice
                     : level == Level::BelowNormal ? BelowNormalNice
                                                   : 0;
    if (!setter_ || !setter_(nice)) return false;
    level_ = level;
    return true;
}
