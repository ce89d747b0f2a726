#pragma once

#include "ddvcl/TDDVIS.h"
#include "skin/TSkinTargets.h"

namespace vireo {

// The skin's "vis" element applied to the main window's spectrum.
class SpectrumSkinTarget final : public ISkinSpectrum {
 public:
  explicit SpectrumSkinTarget(TDDVIS* vis) : vis_(vis) {}
  TDDGraphicControl* Control() override { return vis_; }
  void SetLineFallOff(int v) override { vis_->SetLineFallOff(v); }
  void SetPeakFallOff(int v) override { vis_->SetPeakFallOff(v); }
  void SetTTFWidth(int v) override { vis_->SetTTFWidth(v); }
  void SetDrawPeak(bool v) override { vis_->SetDrawPeak(v); }
  void SetBackgroundPiece(TSpriteRect p) override { vis_->SetBackgroundPiece(p); }
  void SetBarPiece(TSpriteRect p) override { vis_->SetBarPiece(p); }
  void SetPeakPiece(TSpriteRect p) override { vis_->SetPeakPiece(p); }

 private:
  TDDVIS* vis_;
};

}  // namespace vireo
