#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

namespace vireo {

// Runs the gain tool `m3g` on one file and reads the track gain it reports: the tool prints a
// header line, then a TAB-separated line whose third field is the gain in dB.
//
// Threading contract: Measure() blocks (the tool may analyse the whole file) and must run on a
// worker thread, never the UI thread; it is safe to call from several threads at once.
class GainToolClient {
 public:
  static constexpr int kTimeoutMs = 60000;
  static constexpr int kPollMs = 50;  // how soon a cancelled worker job kills the tool

  // The gain, or nothing when the tool is missing, fails, hangs past the timeout, the calling
  // worker job was cancelled (the tool is killed) or it prints something else.
  static std::optional<float> Measure(const QString& toolPath, const QString& fileName,
                                      int timeoutMs = kTimeoutMs);
  // As Measure, remembered per file while it is unchanged (GainCache); a failed measurement is
  // not kept, so the next play tries once more. 0 when there is none.
  static float MeasureRemembered(const QString& toolPath, const QString& fileName);
  // Everything after the first carriage return, split at TABs (empty fields count); field 2 is
  // the gain.
  static std::optional<float> ParseOutput(const QByteArray& output);
};

}  // namespace vireo
