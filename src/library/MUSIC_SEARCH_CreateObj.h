#pragma once

#include <memory>

#include "library/IMusicSearch.h"
#include "library/MusicSearchSettings.h"

namespace vireo {

// Creates the music search component: over the reference service when a service host is set,
// else over the Internet Archive. Null when it cannot work (an archive URL that is not http or
// https); library searches then do nothing. Call once on the UI thread and share the result with
// the library window's threads; it lives as long as its last user.
std::shared_ptr<IMusicSearch> MUSIC_SEARCH_CreateObj(const MusicSearchSettings& settings = {});

}  // namespace vireo
