#pragma once

#include <QColor>

#include "app/lyrics/TPetrelDeskTopLrc.h"
#include "skin/TSkinTargets.h"

namespace vireo {

// The skin's "desktoplrc" element applied to the desktop lyrics. Colours come as the skins
// write them (0x00BBGGRR).
class DesktopLyricSkinTarget final : public ISkinDesktopLyric {
 public:
  explicit DesktopLyricSkinTarget(TPetrelDeskTopLrc* lyrics) : lyrics_(lyrics) {}
  void SetHeight(int height) override { lyrics_->SetWindowHeight(height); }
  void SetAlpha(std::uint8_t alpha) override { lyrics_->SetAlpha(alpha); }
  void SetColorBegin(TColorRef c) override { lyrics_->SetColorBegin(ToColor(c)); }
  void SetColorEnd(TColorRef c) override { lyrics_->SetColorEnd(ToColor(c)); }
  void SetOutlineColor(TColorRef c) override { lyrics_->SetOutlineColor(ToColor(c)); }
  void SetFontName(const QString& name) override { lyrics_->SetTextFont(name, 0); }
  void SetFontSize(int size) override { lyrics_->SetTextFont(QString(), size); }

 private:
  static QColor ToColor(TColorRef c) {
    return QColor(int(c & 0xFF), int((c >> 8) & 0xFF), int((c >> 16) & 0xFF));
  }
  TPetrelDeskTopLrc* lyrics_;
};

}  // namespace vireo
