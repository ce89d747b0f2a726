#pragma once

#include <memory>

#include "lyrics/ILrcDown.h"
#include "lyrics/LrclibSettings.h"

namespace vireo {

// Creates the lyric component. Null when it cannot work (a base URL that is not http or https);
// the player then looks lyrics up on disk only. Call once on the UI thread and share the result
// with every lyric thread; it lives as long as its last user.
std::shared_ptr<ILrcDown> LRC_CreateObj(const LrclibSettings& settings = {});

}  // namespace vireo
