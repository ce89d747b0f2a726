#pragma once

#include "ddvcl/TDDPlaylist.h"
#include "ddvcl/TDDScrollBar.h"
#include "skin/TSkinTargets.h"

namespace vireo {

// The skin's "list" element applied to the main window's playlist view and its scroll bar.
class PlaylistSkinTarget final : public ISkinPlaylist {
 public:
  explicit PlaylistSkinTarget(TDDPlaylist* list) : list_(list) {}
  QWidget* Widget() override { return list_; }
  void SetScrollBarWidth(std::uint8_t width) override { list_->SetScrollBarWidth(width); }
  void SetBackColor(TColor32 c) override { list_->SetBackColor(c); }
  void SetSelectionColor(TColor32 c) override { list_->SetSelectionColor(c); }
  void SetTextColor(TColor32 c) override { list_->SetTextColor(c); }
  void SetTextCurrentColor(TColor32 c) override { list_->SetTextCurrentColor(c); }
  void SetTextSelectedColor(TColor32 c) override { list_->SetTextSelectedColor(c); }
  void SetListFont(const QFont& font) override { list_->SetFont(font); }
  void SetScrollBarSprites(std::int16_t nx, std::int16_t ny, std::int16_t px, std::int16_t py,
                           std::int16_t hx, std::int16_t hy) override {
    TDDScrollBar* b = list_->ScrollBar();
    b->NormalX = nx;
    b->NormalY = ny;
    b->PressedX = px;
    b->PressedY = py;
    b->HighlightedX = hx;
    b->HighlightedY = hy;
    b->update();
  }
  void SetScrollBarTrack(TSpriteRect piece) override { list_->ScrollBar()->SetTrackPiece(piece); }
  void SetScrollBarBorder(std::uint8_t border) override { list_->ScrollBar()->Border = border; }
  void SetScrollBarSliderW(std::int16_t w) override { list_->ScrollBar()->SliderW = w; }
  void SetScrollBarSliderH(std::int16_t h) override {
    list_->ScrollBar()->SliderH = h;
    list_->Paint();
  }
  void SetScrollBarImage(const TDDBitmap32& image) override { list_->ScrollBar()->SetImage(image); }

 private:
  TDDPlaylist* list_;
};

}  // namespace vireo
