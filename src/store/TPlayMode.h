#pragma once

#include <QtGlobal>

namespace vireo {

// What the player does when a track ends by itself. The numbers are the ones the player keeps
// in memory and hands to the desktop's remote (MPRIS); the settings file stores other codes
// (PlayModeFromPattern), the remote control and plug-ins never see this value.
enum class TPlayMode : quint8 {
  InOrder = 0,         // the next entry, and stop after the last
  StopAfterTrack = 1,  // stop (no menu item chooses it; a stored setting can)
  RepeatList = 2,      // the next entry, the first after the last
  RepeatTrack = 3,     // the same entry again
};

}  // namespace vireo
