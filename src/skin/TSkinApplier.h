#pragma once

#include <QHash>
#include <QString>
#include <memory>

#include "skin/TSkinScript.h"
#include "skin/TSkinTargets.h"

namespace vireo {

class TSkinImagePrefetch;

// Applies the steps of a skin file to the registered windows, each element's properties in the
// order the skins rely on (a later property may depend on an earlier one: the spectrum's pieces
// are cut from its image, the links on the empty-list panel are centred in its new size).
// Images are read from the skin's folder for each control that names one (every control holds
// its own copy); one that cannot be read stops the applying right there, and what was set
// before it stays. Steps for windows or controls that are not registered are skipped. While
// Apply() runs, the images are decoded on a worker too (TSkinImagePrefetch).
// UI thread only.
class TSkinApplier {
 public:
  struct Result {
    bool ok = true;
    QString error;
    bool mainFrameRefused = false;  // the step that failed was the main window's own frame
  };

  TSkinApplier(const QHash<QString, TSkinWindow>& windows, const QString& baseDir);
  ~TSkinApplier();

  Result Apply(const std::vector<TSkinStep>& steps);
  // One step; false (with error set) when its image could not be read.
  bool ApplyStep(const TSkinStep& step);
  QString Error() const { return error_; }

 private:
  template <class T>
  T* Control(const TSkinStep& step) const;
  const TSkinWindow* Window(const QString& name) const;
  // Reads an image named by the skin into target; false with error_ set when it cannot.
  bool LoadImage(const QString& name, TDDBitmap32& target, const TSkinStep& step);

  bool ApplyWindow(const TSkinStep& step, const TSkinWindowValues& v);
  bool ApplyButton(const TSkinStep& step, const TSkinButtonValues& v);
  bool ApplyLabel(const TSkinStep& step, const TSkinLabelValues& v);
  bool ApplyScrollText(const TSkinStep& step, const TSkinScrollTextValues& v);
  bool ApplySlider(const TSkinStep& step, const TSkinSliderValues& v);
  bool ApplyList(const TSkinStep& step, const TSkinListValues& v);
  bool ApplyLyricView(const TSkinStep& step, const TSkinLyricViewValues& v);
  bool ApplySpectrum(const TSkinStep& step, const TSkinSpectrumValues& v);
  bool ApplyDesktopLyric(const TSkinStep& step, const TSkinDesktopLyricValues& v);
  bool ApplyPanel(const TSkinStep& step, const TSkinPanelValues& v);
  bool ApplyText(const TSkinStep& step, const TSkinTextValues& v);

  const QHash<QString, TSkinWindow>& windows_;
  QString baseDir_;
  QString error_;
  std::unique_ptr<TSkinImagePrefetch> prefetch_;  // while Apply() runs
};

}  // namespace vireo
