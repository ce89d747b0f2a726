#pragma once

#include <functional>

namespace vireo {

// What the player's private messages from other programs do and answer (docs/REMOTE.md):
// 1806 with wParam 99 shows the player; 1807 is remote control by wParam, with lParam 0.
// The main window fills the actions; an action left empty is skipped (the answer stays).
struct RemoteActions {
  std::function<void()> show;       // show the main window, restore it, bring it to the front
  std::function<void()> mute;       // as the mute button
  std::function<void()> playPause;  // as the play button
  std::function<void()> previous;
  std::function<void()> next;
  std::function<int()> count;    // number of playlist entries
  std::function<int()> current;  // CurrentItem, -1 for none
};

class RemoteControl {
 public:
  enum Command { Mute = 15, PlayPause = 16, Previous = 19, Next = 20, Count = 50, Current = 51 };
  static constexpr int kShowWParam = 99;

  // The answer to message msg (1806 or 1807), after doing what it asks. Suits
  // InstanceServer::SetMessageHandler.
  static int Answer(int msg, int wparam, int lparam, const RemoteActions& actions);
};

}  // namespace vireo
