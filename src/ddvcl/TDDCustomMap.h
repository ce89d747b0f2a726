#pragma once

#include "ddvcl/TDDPersistent.h"

namespace vireo {

// Something with a width and a height whose storage follows its size.
class TDDCustomMap : public TDDPersistent {
 public:
  int Width() const { return m_width; }
  int Height() const { return m_height; }

  // Negative sizes count as 0. Returns true when the size changed; then the storage was
  // reallocated, Changed and Resized were called, in that order.
  bool SetSize(int newWidth, int newHeight);
  void SetWidth(int w) { SetSize(w, m_height); }
  void SetHeight(int h) { SetSize(m_width, h); }
  virtual void Delete() { SetSize(0, 0); }
  virtual bool Empty() const { return m_width == 0 || m_height == 0; }
  virtual void Resized();

  TNotifyEvent OnResize;

 protected:
  // Replaces the storage for the new size; old content is not kept.
  virtual void Reallocate(int& width, int& height, int newWidth, int newHeight) = 0;
  void ForgetSize() { m_width = m_height = 0; }

 private:
  int m_height = 0;  // stored first, as in the files of old
  int m_width = 0;
};

}  // namespace vireo
