#include "skin/TSkinPlaylistAdapter.h"

#include "ddvcl/TDDScrollBar.h"

namespace vireo {

TDDScrollBar* TSkinPlaylistAdapter::Bar() const {
  return list_ ? list_->ScrollBar() : nullptr;
}

void TSkinPlaylistAdapter::SetScrollBarWidth(std::uint8_t width) {
  if (list_) list_->SetScrollBarWidth(width);
}
void TSkinPlaylistAdapter::SetBackColor(TColor32 color) {
  if (list_) list_->SetBackColor(color);
}
void TSkinPlaylistAdapter::SetSelectionColor(TColor32 color) {
  if (list_) list_->SetSelectionColor(color);
}
void TSkinPlaylistAdapter::SetTextColor(TColor32 color) {
  if (list_) list_->SetTextColor(color);
}
void TSkinPlaylistAdapter::SetTextCurrentColor(TColor32 color) {
  if (list_) list_->SetTextCurrentColor(color);
}
void TSkinPlaylistAdapter::SetTextSelectedColor(TColor32 color) {
  if (list_) list_->SetTextSelectedColor(color);
}
QFont TSkinPlaylistAdapter::ListFont() {
  return list_ ? list_->Font() : QFont();
}
void TSkinPlaylistAdapter::SetListFont(const QFont& font) {
  if (list_) list_->SetFont(font);
}

void TSkinPlaylistAdapter::SetScrollBarSprites(std::int16_t normalX, std::int16_t normalY,
                                               std::int16_t pressedX, std::int16_t pressedY,
                                               std::int16_t highlightedX,
                                               std::int16_t highlightedY) {
  if (TDDScrollBar* bar = Bar()) {
    bar->NormalX = normalX;
    bar->NormalY = normalY;
    bar->PressedX = pressedX;
    bar->PressedY = pressedY;
    bar->HighlightedX = highlightedX;
    bar->HighlightedY = highlightedY;
  }
}
void TSkinPlaylistAdapter::SetScrollBarTrack(TSpriteRect piece) {
  if (TDDScrollBar* bar = Bar()) bar->SetTrackPiece(piece);
}
void TSkinPlaylistAdapter::SetScrollBarBorder(std::uint8_t border) {
  if (TDDScrollBar* bar = Bar()) bar->Border = border;
}
void TSkinPlaylistAdapter::SetScrollBarSliderW(std::int16_t width) {
  if (TDDScrollBar* bar = Bar()) bar->SliderW = width;
}
void TSkinPlaylistAdapter::SetScrollBarSliderH(std::int16_t height) {
  if (TDDScrollBar* bar = Bar()) bar->SliderH = height;
}
void TSkinPlaylistAdapter::SetScrollBarImage(const TDDBitmap32& image) {
  if (TDDScrollBar* bar = Bar()) bar->SetImage(image);
  // The thumb's size and place follow from the new sprites: the list sets its bar up again.
  if (list_) list_->update();
}

}  // namespace vireo
