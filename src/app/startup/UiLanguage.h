#pragma once

#include <QLocale>
#include <QString>

namespace vireo {

// The language of the menus, dialogs and captions. The player's own texts are Chinese; a
// translation (translations/vireo_<lang>.qm in the data folder) is taken for the user's language
// as Qt chooses it from LANGUAGE, LC_ALL, LC_MESSAGES and LANG. A language without one, Chinese
// included, shows the Chinese texts. Qt's own dialogs follow with Qt's translation of the same
// language where it is installed.
class UiLanguage {
 public:
  // Installs the translators on the application; returns the translation's language ("en"), or
  // empty when the Chinese texts stay (Qt's own dialogs are then in Chinese too for a Chinese
  // user, where Qt's translations are installed).
  static QString Install(const QString& translationsDir, const QLocale& locale = QLocale());
};

}  // namespace vireo
