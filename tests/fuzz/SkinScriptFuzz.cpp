// The skin file (skin.xml): any file gives an outcome and steps that agree with it. Each window
// is skinned once at most, every step addresses a window the loader knows (and a control of it,
// but for the desktop lyrics, a window of their own), and the steps come in the file's order.
#include <QByteArray>

#include "FuzzTarget.h"
#include "skin/TSkinScript.h"

VIREO_FUZZ_TARGET(skin_script) {
  using vireo::TSkinElementKind;
  using vireo::TSkinScript;
  using vireo::TSkinWindowId;
  using O = TSkinScript::Outcome;
  const vireo::TSkinScript s =
      TSkinScript::FromBytes(QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)));
  FUZZ_CHECK(s.outcome != O::NotOpened);
  if (s.outcome == O::RootMissing || s.outcome == O::RootRefused) FUZZ_CHECK(s.steps.empty());
  if (s.outcome != O::Complete) FUZZ_CHECK(!s.error.isEmpty());
  FUZZ_CHECK(s.Succeeded() == (s.outcome == O::Complete));

  static const QStringList owners = {QStringLiteral("main"), QStringLiteral("share"),
                                     QStringLiteral("lrc"), QStringLiteral("desktoplrc")};
  bool windowSeen[4] = {false, false, false, false};
  int line = 0;
  for (const vireo::TSkinStep& step : s.steps) {
    FUZZ_CHECK(step.section != TSkinWindowId::None);
    FUZZ_CHECK(owners.contains(step.owner));
    FUZZ_CHECK(step.line >= line);
    line = step.line;
    if (step.kind == TSkinElementKind::Window) {
      FUZZ_CHECK(!windowSeen[int(step.section)]);
      windowSeen[int(step.section)] = true;
      FUZZ_CHECK(step.control.isEmpty() && step.owner == owners[int(step.section) - 1]);
    } else {
      // A control element stands inside a section that began with its window step.
      FUZZ_CHECK(windowSeen[int(step.section)]);
      FUZZ_CHECK(step.control.isEmpty() == (step.kind == TSkinElementKind::DesktopLyric));
    }
  }
  return 0;
}
