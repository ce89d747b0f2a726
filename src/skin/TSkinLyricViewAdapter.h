#pragma once

#include <QPointer>

#include "ddvcl/TDDLrcShow.h"
#include "skin/TSkinTargets.h"

namespace vireo {

// The lyric window's lyric view as the skin loader sets it. Does nothing once it is gone.
class TSkinLyricViewAdapter : public ISkinLyricView {
 public:
  explicit TSkinLyricViewAdapter(TDDLrcShow* view) : view_(view) {}

  QWidget* Widget() override { return view_; }
  void SetLrcSpace(std::uint8_t pixels) override {
    if (view_) view_->SetLrcSpace(pixels);
  }
  void SetBGColor(TColorRef color) override {
    if (view_) view_->SetBGColor(color);
  }
  void SetLrcColor(TColorRef color) override {
    if (view_) view_->SetLrcColor(color);
  }
  void SetLrcCurrColor(TColorRef color) override {
    if (view_) view_->SetLrcCurrColor(color);
  }
  void SetLrcFontName(const QString& name) override {
    if (view_) view_->SetLrcFontName(name);
  }
  void SetLrcFontSize(int points) override {
    if (view_) view_->SetLrcFontSize(points);
  }

 private:
  QPointer<TDDLrcShow> view_;
};

}  // namespace vireo
