#include "app/startup/UiLanguage.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

namespace vireo {

QString UiLanguage::Install(const QString& translationsDir, const QLocale& locale) {
  // The user's languages in their order: Chinese, the texts' own language, needs no file of the
  // player's, so a user who puts it before English keeps it.
  auto* own = new QTranslator(QCoreApplication::instance());  // lives with the application
  QString chosen;
  for (QString language : locale.uiLanguages()) {
    language.replace(u'-', u'_');
    if (language.startsWith(QLatin1String("zh"))) {
      chosen = language;
      break;
    }
    if (language == u"C" || language.isEmpty()) continue;
    // vireo_en_US.qm, then vireo_en.qm
    if (own->load(QStringLiteral("vireo_") + language, translationsDir)) {
      QCoreApplication::installTranslator(own);
      chosen = own->language();
      break;
    }
  }
  if (own->isEmpty()) delete own;
  // Qt's own dialogs (the file and folder choosers, the message boxes' buttons) in the same
  // language, where Qt's translation of it is installed.
  auto* qt = new QTranslator(QCoreApplication::instance());
  if (!chosen.isEmpty() && qt->load(QLocale(chosen), QStringLiteral("qtbase"), QStringLiteral("_"),
                                    QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
    QCoreApplication::installTranslator(qt);
  else
    delete qt;
  return chosen.startsWith(QLatin1String("zh")) ? QString() : chosen;
}

}  // namespace vireo
