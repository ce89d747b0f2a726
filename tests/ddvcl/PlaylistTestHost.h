#pragma once

#include <QFont>
#include <QFontMetrics>
#include <QString>

#include "ddvcl/TDDPlaylist.h"
#include "ddvcl/TDDScrollBar.h"

// A playlist set up as a skin would set it, with a bitmap font (no smoothing, so every text pixel
// is exactly the text colour) and entries "t000 - A", "t001 - A", ... of 1, 2, 3 ... minutes.
namespace vireo::test {

inline constexpr TColor32 kBack = 0xFFFFFFFFu, kText = 0xFF0000FFu, kCurrent = 0xFF00FF00u,
                          kSelText = 0xFFFF0000u, kSelection = 0xFF316AC5u;

inline QFont MonoFont() {
  QFont f(QStringLiteral("DejaVu Sans Mono"));
  f.setPixelSize(10);
  f.setStyleStrategy(QFont::NoAntialias);
  f.setHintingPreference(QFont::PreferFullHinting);
  return f;
}

inline void FillRows(TDDPlaylist& list, int n, const QString& caption = QString()) {
  TDDPlaylistItems::Update update(list.Items());
  for (int i = 0; i < n; ++i) {
    TDDPlaylistItem& item = list.Items().Add();
    item.Title = QStringLiteral("t%1").arg(i, 3, 10, QLatin1Char('0'));
    item.Caption = caption.isEmpty() ? item.Title + QStringLiteral(" - A") : caption;
    item.LongTime = (i + 1) / 1440.0;
  }
}

inline void Style(TDDPlaylist& list, int w, int h) {
  list.resize(w, h);
  list.SetBackColor(kBack);
  list.SetTextColor(kText);
  list.SetTextCurrentColor(kCurrent);
  list.SetTextSelectedColor(kSelText);
  list.SetSelectionColor(kSelection);
  list.SetFont(MonoFont());
  list.SetTimeFormat(QStringLiteral("nn:ss"));
}

// The advance of one character of the test font.
inline int Advance() {
  return QFontMetrics(MonoFont()).horizontalAdvance(QLatin1Char('0'));
}

}  // namespace vireo::test
