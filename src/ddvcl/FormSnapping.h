#pragma once

#include <QPoint>
#include <QRect>
#include <vector>

// How borderless windows snap to the work area and to each other, and how the main window takes
// the windows lined up against it along. Pure functions of rectangles and roles, so that the rules
// can be checked without windows.
namespace vireo::snap {

// A form's docking role, kept in its Tag.
enum DockRole : int {
  kOrdinary = 0,  // snaps to the work area and to other windows
  kMaster = 1,    // the main window: snaps, and drags its docked windows along
  kDocked = 2,    // travelling with the master during its move: neither snaps nor is snapped to
  kExcluded = 3,  // never snaps, is never snapped to, never docks (desktop lyrics)
};

struct Peer {
  QRect Rect;  // frame rectangle on the screen
  int Tag = kOrdinary;
  bool Visible = true;
  bool Borderless = true;
};

struct Request {
  QRect Current;   // where the moving form is now
  QRect Proposed;  // where the move would put it
  int Tag = kOrdinary;
  bool NormalState = true;  // not minimised or maximised
  bool Shift = false;       // Shift held: no snapping, the docking group is released
  bool Moving = false;      // a master move with a docking group is running
  QRect WorkArea;
  int SnapBuffer = 10;
  std::vector<Peer> Others;  // every other form, in screen order
};

struct Result {
  QRect Rect;                   // the adjusted proposal
  bool ReleaseGroup = false;    // end the docking group (Shift during a master move)
  std::vector<int> MovedPeers;  // indexes into Others that travel with the master
  std::vector<QPoint> MovedTo;  // their new top-left corners, in the same order
};

// B lies exactly beside or above/below A with the other extents overlapping or meeting.
// False when B is excluded.
bool Touching(const QRect& a, const QRect& b, int bTag);

// The forms that travel with a master at the start of its move: every visible form touching it,
// then, once through the list, every visible ordinary form touching one already taken (a form
// taken during the pass counts when it comes later). Returns one flag per entry of others.
std::vector<bool> DockingGroup(const QRect& master, const std::vector<Peer>& others);

// The position-change rule: work area first, then every other borderless visible window in order.
Result SnapWindowPos(const Request& request);

}  // namespace vireo::snap
