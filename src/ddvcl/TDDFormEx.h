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

  // Runs after the buffer has been copied to the window.
  std::function<void(TDDFormEx* sender, QPainter& painter)> OnPaint;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  friend class TDDWindow;
  TDDBitmap32 m_backBuffer;
  QPointer<TDDWindow> m_frame;
};

}  // namespace vireo
