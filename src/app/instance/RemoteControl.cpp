#include "app/instance/RemoteControl.h"

#include "app/instance/InstanceProtocol.h"

namespace vireo {
namespace {

int Run(const std::function<void()>& action) {
  if (action) action();
  return 1;
}

}  // namespace

int RemoteControl::Answer(int msg, int wparam, int lparam, const RemoteActions& actions) {
  if (msg == instance::kInfoUpdate) {
    if (wparam == kShowWParam && actions.show) actions.show();
    return 0;
  }
  if (msg != instance::kCommandPlay || lparam != 0) return -1;
  switch (wparam) {
    case Mute:
      return Run(actions.mute);
    case PlayPause:
      return Run(actions.playPause);
    case Previous:
      return Run(actions.previous);
    case Next:
      return Run(actions.next);
    case Count:
      return actions.count ? actions.count() : 0;
    case Current:
      return actions.current ? actions.current() : -1;
    default:
      return -1;
  }
}

}  // namespace vireo
