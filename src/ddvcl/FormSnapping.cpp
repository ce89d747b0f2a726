#include "ddvcl/FormSnapping.h"

namespace vireo::snap {

namespace {

bool Within(int value, int centre, int s) {
  return centre - s <= value && value <= centre + s;
}

// Closed extents [a, a + alen] and [b, b + blen] meet or overlap.
bool Overlap(int a, int alen, int b, int blen) {
  return b <= a + alen && b + blen >= a;
}

}  // namespace

bool Touching(const QRect& a, const QRect& b, int bTag) {
  if (bTag == kExcluded) return false;
  const bool beside = a.x() - b.width() == b.x() || a.x() + a.width() == b.x();
  if (beside && Overlap(a.y(), a.height(), b.y(), b.height())) return true;
  const bool stacked = a.y() - b.height() == b.y() || a.y() + a.height() == b.y();
  return stacked && Overlap(a.x(), a.width(), b.x(), b.width());
}

std::vector<bool> DockingGroup(const QRect& master, const std::vector<Peer>& others) {
  std::vector<bool> docked(others.size(), false);
  std::vector<int> tags(others.size());
  for (std::size_t i = 0; i < others.size(); ++i) {
    tags[i] = others[i].Tag;
    if (others[i].Visible && Touching(master, others[i].Rect, others[i].Tag)) {
      docked[i] = true;
      tags[i] = kDocked;
    }
  }
  for (std::size_t g = 0; g < others.size(); ++g) {
    if (tags[g] != kDocked) continue;
    for (std::size_t f = 0; f < others.size(); ++f) {
      if (f == g || !others[f].Visible) continue;
      if (tags[f] == kMaster || tags[f] == kDocked || tags[f] == kExcluded) continue;
      if (Touching(others[g].Rect, others[f].Rect, tags[f])) {
        docked[f] = true;
        tags[f] = kDocked;
      }
    }
  }
  return docked;
}

Result SnapWindowPos(const Request& rq) {
  Result res;
  res.Rect = rq.Proposed;
  if (!rq.NormalState || rq.Tag == kDocked || rq.Tag == kExcluded) return res;
  if (rq.Shift) {
    res.ReleaseGroup = rq.Moving;
    return res;
  }
  const int s = rq.SnapBuffer;
  int x = rq.Proposed.x(), y = rq.Proposed.y();
  const int cx = rq.Proposed.width(), cy = rq.Proposed.height();
  const QRect& wa = rq.WorkArea;
  const int waRight = wa.x() + wa.width(), waBottom = wa.y() + wa.height();

  if (Within(x, wa.x(), s))
    x = wa.x();
  else if (Within(x + cx, waRight, s))
    x = waRight - cx;
  if (Within(y, wa.y(), s))
    y = wa.y();
  else if (Within(y + cy, waBottom, s))
    y = waBottom - cy;

  for (std::size_t i = 0; i < rq.Others.size(); ++i) {
    const Peer& f = rq.Others[i];
    if (!f.Visible || !f.Borderless) continue;
    const int fl = f.Rect.x(), ft = f.Rect.y(), fw = f.Rect.width(), fh = f.Rect.height();
    if (rq.Tag == kMaster && f.Tag == kDocked) {
      // The displacement as adjusted so far: when the master snaps to the work area, its group
      // snaps with it instead of coming loose by the snapped distance.
      res.MovedPeers.push_back(int(i));
      res.MovedTo.emplace_back(fl + (x - rq.Current.x()), ft + (y - rq.Current.y()));
      continue;
    }
    if (f.Tag == kExcluded) continue;
    // Edge to edge.
    if (Within(x + cx, fl, s) && Overlap(y, cy, ft, fh))
      x = fl - cx;
    else if (Within(x, fl + fw, s) && Overlap(y, cy, ft, fh))
      x = fl + fw;
    if (Within(y + cy, ft, s) && Overlap(x, cx, fl, fw))
      y = ft - cy;
    else if (Within(y, ft + fh, s) && Overlap(x, cx, fl, fw))
      y = ft + fh;
    // Stacked windows line up their left or right edges, side-by-side ones their tops or bottoms.
    const bool stacked = ft == y + cy || ft + fh == y;
    if (Within(x, fl, s) && stacked)
      x = fl;
    else if (Within(x + cx, fl + fw, s) && stacked)
      x = fl + fw - cx;
    const bool sideBySide = fl == x + cx || fl + fw == x;
    if (Within(y, ft, s) && sideBySide)
      y = ft;
    else if (Within(y + cy, ft + fh, s) && sideBySide)
      y = ft + fh - cy;
  }
  res.Rect = QRect(x, y, cx, cy);
  return res;
}

}  // namespace vireo::snap
