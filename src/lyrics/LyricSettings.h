#pragma once

namespace vireo {

// Keys of the lyric settings in the configuration store, in one place.
struct LyricSettings {
  // "Window/LRC" "PATH": the folder of saved lyrics (default: the data folder + "lrc").
  static constexpr const char* kFolderSection = "Window/LRC";
  static constexpr const char* kFolderKey = "PATH";
  static constexpr const char* kFolderDefaultName = "lrc";
};

}  // namespace vireo
