#pragma once

#include <QPointer>

#include "ddvcl/TDDBitmap32.h"
#include "ddvcl/TDDForm.h"

namespace vireo {

class TDDWindow;

// A skinned form: its frame (a TDDWindow, the first child) composes the window into BackBuffer,
// the form shows that buffer, and each control copies the part under itself before drawing.
// UI thread only.
class TDDFormEx : public TDDForm {
  Q_OBJECT
 public:
  explicit TDDFormEx(QWidget* parent = nullptr);

  // The window as its frame draws it now (rendered again first when the frame changed).
  const TDDBitmap32& BackBuffer() const;
  // The same, to draw into: a form without a frame keeps what its owner draws there.
  TDDBitmap32& BackBuffer();
  // The frame that renders the buffer; a TDDWindow made on the form sets itself.
  void SetFrame(TDDWindow* frame);

  // The art scale the window is composed at on its screen now: the frame image's art nearest
  // at or above the device pixel ratio (1 at 100 %, and for a skin with no other art).
  double CanvasScale() const;
  // The back buffer at an art scale, every rule of the frame in skin pixels (BackBuffer at 1).
  const TDDBitmap32& CanvasBackBuffer(double scale) const;
  // The window's frame on a screen that is not at 100 %, drawn at device pixels on a painter
  // opened on the form or on a widget of it.
  void DrawScaled(QPainter& painter, const QWidget& on) const;

  // Runs after the buffer has been copied to the window.
  std::function<void(TDDFormEx* sender, QPainter& painter)> OnPaint;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  friend class TDDWindow;
  TDDBitmap32 m_backBuffer;
  QPointer<TDDWindow> m_frame;
  // The frame at the canvas scale and on the screen, kept while the frame stays as it is: the
  // controls above it repaint often and copy from these.
  mutable TDDBitmap32 m_canvasBuffer;
  mutable quint64 m_canvasGeneration = ~quint64(0);
  mutable QImage m_deviceImage;
  mutable quint64 m_deviceGeneration = ~quint64(0);
  mutable double m_deviceKey[2] = {0, 0};
};

}  // namespace vireo
