#pragma once

#include <QPointer>

#include "ddvcl/TDDVIS.h"
#include "skin/TSkinTargets.h"

namespace vireo {

// The main window's spectrum display as the skin loader sets it. Does nothing once it is gone.
class TSkinVisAdapter : public ISkinSpectrum {
 public:
  explicit TSkinVisAdapter(TDDVIS* vis) : vis_(vis) {}

  TDDGraphicControl* Control() override { return vis_; }
  void SetLineFallOff(int value) override {
    if (vis_) vis_->SetLineFallOff(value);
  }
  void SetPeakFallOff(int value) override {
    if (vis_) vis_->SetPeakFallOff(value);
  }
  void SetTTFWidth(int value) override {
    if (vis_) vis_->SetTTFWidth(value);
  }
  void SetDrawPeak(bool value) override {
    if (vis_) vis_->SetDrawPeak(value);
  }
  void SetBackgroundPiece(TSpriteRect piece) override {
    if (vis_) vis_->SetBackgroundPiece(piece);
  }
  void SetBarPiece(TSpriteRect piece) override {
    if (vis_) vis_->SetBarPiece(piece);
  }
  void SetPeakPiece(TSpriteRect piece) override {
    if (vis_) vis_->SetPeakPiece(piece);
  }

 private:
  QPointer<TDDVIS> vis_;
};

}  // namespace vireo
