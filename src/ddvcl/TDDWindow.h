#pragma once

#include <QRegion>

#include "ddvcl/TDDGraphicControlEx.h"
#include "ddvcl/TSpriteRect.h"

namespace vireo {

// The frame of a skinned form, composed from nine pieces of one skin image into the form's back
// buffer, with the window's outline cut from the transparency of the four corners. It fills the
// form and must be its first child, so that it paints before every control above it.
// UI thread only.
class TDDWindow : public TDDGraphicControlEx {
  Q_OBJECT
 public:
  explicit TDDWindow(QWidget* parent = nullptr);
  ~TDDWindow() override;

  TSpriteRect TopLeft() const { return m_tl; }
  TSpriteRect TopMiddle() const { return m_tm; }
  TSpriteRect TopRight() const { return m_tr; }
  TSpriteRect BottomLeft() const { return m_bl; }
  TSpriteRect BottomMiddle() const { return m_bm; }
  TSpriteRect BottomRight() const { return m_br; }
  TSpriteRect LeftMiddle() const { return m_lm; }
  TSpriteRect RightMiddle() const { return m_rm; }
  TSpriteRect TopCenter() const { return m_tc; }
  void SetTopLeft(TSpriteRect r);
  void SetTopMiddle(TSpriteRect r);  // a width of 0 or less becomes 5
  void SetTopRight(TSpriteRect r);
  void SetBottomLeft(TSpriteRect r);
  void SetBottomMiddle(TSpriteRect r);  // a width of 0 or less becomes 5
  void SetBottomRight(TSpriteRect r);
  void SetLeftMiddle(TSpriteRect r);  // a height of 0 or less becomes 5
  void SetRightMiddle(TSpriteRect r);
  void SetTopCenter(TSpriteRect r);

  // Cuts the non-opaque corner pixels out of the form (true) or makes it rectangular again.
  void SetShaped(bool enabled);
  void ApplyRegion();
  void FreeRegions();
  bool Shaped() const;
  // The combined outline last given to the form (empty when rectangular).
  QRegion AppliedRegion() const { return m_applied; }

  // Composes the frame into target at the control's size (W x H); at another art scale target
  // becomes a canvas of the whole window at that scale, the pieces drawn from the image's art
  // for it, every position still in skin pixels.
  void RenderFrame(TDDBitmap32& target, int w, int h, double scale = 1.0) const;
  // Counts every change of the pieces, image, colour or size, for the copies made at other
  // scales.
  quint64 Generation() const { return m_generation; }
  // Renders the frame into the form's back buffer when its pieces, image, colour or size changed
  // since the last time; whoever reads the buffer first (the frame's paint or a control's) gets
  // the frame as it is now.
  void RenderIntoForm() const;

  // The area of a bitmap whose pixels are not fully opaque, as 1-pixel-high runs.
  static QRegion RegionFromAlpha(const TDDBitmap32& bitmap);

 protected:
  void Compose(TDDBitmap32& buffer) override;
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void changeEvent(QEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;
  void AppearanceChanged() override { Invalidate(); }

 private:
  void FollowParent();
  // The frame changed: the buffer is rendered again when next read, and the whole form paints
  // again, so no control keeps the old frame it copied from under itself.
  void Invalidate();
  QRegion CornerRegion(TSpriteRect piece) const;

  TSpriteRect m_tl{0, 0, 5, 5}, m_tm{0, 0, 5, 5}, m_tr{0, 0, 5, 5}, m_bl{0, 0, 5, 5};
  TSpriteRect m_bm{0, 0, 5, 5}, m_br{0, 0, 5, 5}, m_lm{0, 0, 5, 5}, m_rm{0, 0, 5, 5};
  TSpriteRect m_tc{0, 0, 0, 0};
  QRegion m_rgnTL, m_rgnBL, m_rgnTR, m_rgnBR;
  QRegion m_applied;
  // The form's back buffer holds the frame as the pieces, image, colour and size now draw it:
  // a paint for a control above the frame (the spectrum, twenty times a second) only copies.
  mutable bool m_frameCurrent = false;
  quint64 m_generation = 0;
};

}  // namespace vireo
