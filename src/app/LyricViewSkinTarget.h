#pragma once

#include "ddvcl/TDDLrcShow.h"
#include "skin/TSkinTargets.h"

namespace vireo {

// The skin's "minlrc" element applied to the lyric window's lyric view.
class LyricViewSkinTarget final : public ISkinLyricView {
 public:
  explicit LyricViewSkinTarget(TDDLrcShow* view) : view_(view) {}
  QWidget* Widget() override { return view_; }
  void SetLrcSpace(std::uint8_t pixels) override { view_->SetLrcSpace(pixels); }
  void SetBGColor(TColorRef c) override { view_->SetBGColor(c); }
  void SetLrcColor(TColorRef c) override { view_->SetLrcColor(c); }
  void SetLrcCurrColor(TColorRef c) override { view_->SetLrcCurrColor(c); }
  void SetLrcFontName(const QString& name) override { view_->SetLrcFontName(name); }
  void SetLrcFontSize(int points) override { view_->SetLrcFontSize(points); }

 private:
  TDDLrcShow* view_;
};

}  // namespace vireo
