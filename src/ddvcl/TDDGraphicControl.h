#pragma once

#include "ddvcl/TDDBitmap32.h"
#include "ddvcl/TDDCustomControl.h"

namespace vireo {

// Base of the skinned controls that draw from a sprite sheet. They are opaque (nothing under them
// is painted first) and build their look from the part of the form's back buffer that lies under
// them. Enter and leave events start at TDDGraphicControlEx. UI thread only.
class TDDGraphicControl : public TDDCustomControl {
  Q_OBJECT
 public:
  explicit TDDGraphicControl(QWidget* parent = nullptr);

  // The sprite sheet.
  TDDBitmap32& Image() { return m_image; }
  const TDDBitmap32& Image() const { return m_image; }
  // Copies value into the sprite sheet and repaints at once.
  void SetImage(const TDDBitmap32& value);

  TColorRef Color() const { return m_color; }
  void SetColor(TColorRef color);

  // Copies the back buffer of the parent form under this control to (0, 0) of buffer; nothing
  // when the parent is not a TDDFormEx or has no back buffer yet.
  void CopyParentBackground(TDDBitmap32& buffer) const;

 protected:
  void enterEvent(QEnterEvent* event) override;
  void leaveEvent(QEvent* event) override;

  // Composes the control into a buffer of its size: the background first, then the sprites.
  // Painting and tests both go through it.
  virtual void Compose(TDDBitmap32& buffer);
  void paintEvent(QPaintEvent* event) override;
  // The paint on a screen that is not at 100 %: composed on the window's canvas at its art
  // scale, shown at device pixels.
  void RenderScaled(QPainter& painter, double dpr);
  // The image or the colour was set: a control that keeps something drawn from them redraws it.
  virtual void AppearanceChanged() {}
  // Whether the control looks faded while disabled (its sprites at kDisabledAlpha over the
  // background), so a user sees that it does not take the pointer now.
  virtual bool FadesWhenDisabled() const { return false; }
  static constexpr int kDisabledAlpha = 90;

 public:
  // The control as it would appear now, composed into a new bitmap of its size.
  void RenderTo(TDDBitmap32& buffer);
  // Asks for a repaint when visible, drawn when the event loop next runs; the skinned controls
  // call it after every state change.
  void Paint();

 private:
  TDDBitmap32 m_image;
  TColorRef m_color = clBlack;
};

}  // namespace vireo
