#pragma once

#include <QFont>
#include <QSize>

#include "ddvcl/TDDBitmap32.h"

namespace vireo {

// A bitmap that can draw text into its pixels with its own font. Text needs a QGuiApplication;
// like every bitmap it is used on the UI thread.
class TDDBitmapEx32 : public TDDBitmap32 {
 public:
  TDDBitmapEx32();
  ~TDDBitmapEx32() override;

  const QFont& Font() const { return m_font; }
  void SetFont(const QFont& font);
  TColorRef FontColor() const { return m_fontColor; }
  void SetFontColor(TColorRef color);

  // Width and height of one line of text as drawn. An empty bitmap measures on a shared scratch
  // surface and counts each CR LF as another line (2 more pixels of width each).
  QSize TextExtent(const QString& text) const;
  int TextWidth(const QString& text) const { return TextExtent(text).width(); }
  // Draws text with its top-left corner at (x, y) in the font colour, transparent background.
  void TextOut(int x, int y, const QString& text);

 protected:
  virtual void FontChanged();

 private:
  QFont m_font;
  TColorRef m_fontColor = clWindowText;
};

}  // namespace vireo
