#pragma once

#include <cstdint>

namespace vireo {

// The sides of its parent a control keeps its distance to when the parent is resized. Left and
// top alone is the resting state: such a control never moves.
struct TAnchors {
  bool Left = true;
  bool Top = true;
  bool Right = false;
  bool Bottom = false;

  static constexpr TAnchors Of(bool left, bool top, bool right, bool bottom) {
    return TAnchors{left, top, right, bottom};
  }
  constexpr TAnchors operator|(TAnchors o) const {
    return {Left || o.Left, Top || o.Top, Right || o.Right, Bottom || o.Bottom};
  }
  constexpr bool operator==(const TAnchors&) const = default;
};

}  // namespace vireo
