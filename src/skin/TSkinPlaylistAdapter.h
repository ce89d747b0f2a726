#pragma once

#include <QPointer>

#include "ddvcl/TDDPlaylist.h"
#include "skin/TSkinTargets.h"

namespace vireo {

// The main window's playlist view and its scroll bar as the skin loader sets them. Does nothing
// once the view is gone.
class TSkinPlaylistAdapter : public ISkinPlaylist {
 public:
  explicit TSkinPlaylistAdapter(TDDPlaylist* list) : list_(list) {}

  QWidget* Widget() override { return list_; }
  void SetScrollBarWidth(std::uint8_t width) override;
  void SetBackColor(TColor32 color) override;
  void SetSelectionColor(TColor32 color) override;
  void SetTextColor(TColor32 color) override;
  void SetTextCurrentColor(TColor32 color) override;
  void SetTextSelectedColor(TColor32 color) override;
  QFont ListFont() override;
  void SetListFont(const QFont& font) override;
  void SetScrollBarSprites(std::int16_t normalX, std::int16_t normalY, std::int16_t pressedX,
                           std::int16_t pressedY, std::int16_t highlightedX,
                           std::int16_t highlightedY) override;
  void SetScrollBarTrack(TSpriteRect piece) override;
  void SetScrollBarBorder(std::uint8_t border) override;
  void SetScrollBarSliderW(std::int16_t width) override;
  void SetScrollBarSliderH(std::int16_t height) override;
  void SetScrollBarImage(const TDDBitmap32& image) override;

 private:
  TDDScrollBar* Bar() const;

  QPointer<TDDPlaylist> list_;
};

}  // namespace vireo
