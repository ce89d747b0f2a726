#pragma once

#include "ddvcl/TDDBitmap32.h"
#include "ddvcl/TDDForm.h"

namespace vireo {

// A skinned form: its frame (a TDDWindow, the first child) composes the window into BackBuffer,
// the form shows that buffer, and each control copies the part under itself before drawing.
// UI thread only.
class TDDFormEx : public TDDForm {
  Q_OBJECT
 public:
  explicit TDDFormEx(QWidget* parent = nullptr);

  TDDBitmap32& BackBuffer() { return m_backBuffer; }
  const TDDBitmap32& BackBuffer() const { return m_backBuffer; }

  // Runs after the buffer has been copied to the window.
  std::function<void(TDDFormEx* sender, QPainter& painter)> OnPaint;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  TDDBitmap32 m_backBuffer;
};

}  // namespace vireo
