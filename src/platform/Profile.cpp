#include "platform/Profile.h"

#include <atomic>

namespace pw {

namespace {
std::atomic<Profile*> appProfile{nullptr};
}

Profile* AppProfile() {
    return appProfile.load();
}

Profile* SetAppProfile(Profile* profile) {
    return appProfile.exchange(profile);
}

}  // namespace pw
