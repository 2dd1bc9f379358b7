#include "support/scoped_no_rights.h"

#include <sys/fsuid.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr uid_t kNobody = 65534;
constexpr gid_t kNoGroup = 65534;

}  // namespace

ScopedNoRights::ScopedNoRights(std::vector<std::string> paths) : paths_(std::move(paths)) {
    for (const std::string& path : paths_) {
        ::chmod(path.c_str(), 0);
    }
    wasRoot_ = ::geteuid() == 0;
    if (wasRoot_) {
        ::setfsgid(kNoGroup);
        ::setfsuid(kNobody);
    }
}

ScopedNoRights::~ScopedNoRights() {
    if (wasRoot_) {
        ::setfsuid(0);
        ::setfsgid(0);
    }
    for (const std::string& path : paths_) {
        ::chmod(path.c_str(), 0600);
    }
}
