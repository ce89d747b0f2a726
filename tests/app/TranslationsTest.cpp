// The shipped translations: complete, true to their source texts' placeholders, markup and
// accelerators, covering the bundled skins' texts, and chosen for the user's language.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QSet>
#include <QTranslator>
#include <QXmlStreamReader>

#include "app/startup/UiLanguage.h"
#include "skin/SkinTexts.h"

namespace vireo {
namespace {

struct Message {
  QString context, source, translation;
  bool finished = true;
};

QList<Message> ReadTs(const QString& path) {
  QList<Message> out;
  QFile f(path);
  if (!f.open(QIODevice::ReadOnly)) return out;
  QXmlStreamReader xml(&f);
  QString context;
  Message m;
  while (!xml.atEnd()) {
    xml.readNext();
    if (!xml.isStartElement()) continue;
    if (xml.name() == u"name") context = xml.readElementText();
    if (xml.name() == u"message") m = Message{context, {}, {}, true};
    if (xml.name() == u"source") m.source = xml.readElementText();
    if (xml.name() == u"translation") {
      m.finished = xml.attributes().value(QStringLiteral("type")).isEmpty();
      m.translation = xml.readElementText();
      out.append(m);
    }
  }
  return out;
}

QStringList Matches(const QString& text, const QString& pattern) {
  QStringList found;
  auto it = QRegularExpression(pattern).globalMatch(text);
  while (it.hasNext()) found << it.next().captured(0);
  found.sort();
  return found;
}

TEST(Translations, EveryTextIsTranslatedKeepingItsPlaceholdersMarkupAndAccelerator) {
  const QStringList files =
      QDir(QStringLiteral(VIREO_SOURCE_DIR "/translations")).entryList({QStringLiteral("*.ts")});
  ASSERT_FALSE(files.isEmpty());
  for (const QString& file : files) {
    const QList<Message> messages = ReadTs(QStringLiteral(VIREO_SOURCE_DIR "/translations/") + file);
    EXPECT_GT(messages.size(), 100) << file.toStdString();
    for (const Message& m : messages) {
      const std::string what = QString(file + u' ' + m.context + u' ' + m.source).toStdString();
      EXPECT_TRUE(m.finished && !m.translation.isEmpty()) << what;
      EXPECT_EQ(Matches(m.translation, QStringLiteral("%\\d")), Matches(m.source, QStringLiteral("%\\d")))
          << what;
      EXPECT_EQ(Matches(m.translation, QStringLiteral("</?[a-z0-9]+")),
                Matches(m.source, QStringLiteral("</?[a-z0-9]+")))
          << what;
      EXPECT_EQ(m.translation.contains(QRegularExpression(QStringLiteral("&[^ &]"))),
                m.source.contains(QRegularExpression(QStringLiteral("&[^ &]"))))
          << what;
    }
  }
}

// A hint of the bundled skins that the translation tools were not told of would stay Chinese.
TEST(Translations, TheBundledSkinsTextsAreAllKnownToTheTranslations) {
  QSet<QString> known;
  for (const char* text : kSkinTexts) known.insert(QString::fromUtf8(text));
  QSet<QString> translated;
  for (const Message& m : ReadTs(QStringLiteral(VIREO_SOURCE_DIR "/translations/vireo_en.ts")))
    if (m.context == u"skin") translated.insert(m.source);
  for (const char* skin : {"Default", "Light"}) {
    QFile f(QStringLiteral(VIREO_SOURCE_DIR "/skins/") + QLatin1String(skin) + QStringLiteral("/skin.xml"));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly)) << skin;
    QXmlStreamReader xml(&f);
    while (!xml.atEnd()) {
      xml.readNext();
      if (!xml.isStartElement() || !xml.attributes().hasAttribute(QStringLiteral("hit"))) continue;
      const QString hint = xml.attributes().value(QStringLiteral("hit")).toString();
      if (hint.isEmpty()) continue;
      EXPECT_TRUE(known.contains(hint)) << skin << ": " << hint.toStdString();
      EXPECT_TRUE(translated.contains(hint)) << skin << ": " << hint.toStdString();
    }
  }
}

// English for an English user, the player's own texts for a Chinese one and for a language
// without a translation.
TEST(Translations, TheLanguageIsChosenFromTheUsersLocale) {
  const QString dir = QStringLiteral(VIREO_BINARY_DIR "/bin/translations");
  const auto uninstall = [] {
    for (QTranslator* t : QCoreApplication::instance()->findChildren<QTranslator*>()) {
      QCoreApplication::removeTranslator(t);
      delete t;
    }
  };
  EXPECT_EQ(UiLanguage::Install(dir, QLocale(QStringLiteral("en_GB"))), QStringLiteral("en"));
  EXPECT_EQ(QCoreApplication::translate("vireo::TPetrelMain", "退出"), QStringLiteral("Exit"));
  EXPECT_EQ(QCoreApplication::translate("skin", "静音"), QStringLiteral("Mute"));
  uninstall();
  for (const char* other : {"zh_CN", "zh_TW", "de_DE", "C"}) {
    EXPECT_TRUE(UiLanguage::Install(dir, QLocale(QLatin1String(other))).isEmpty()) << other;
    EXPECT_EQ(QCoreApplication::translate("vireo::TPetrelMain", "退出"), QStringLiteral("退出")) << other;
    uninstall();
  }
}

}  // namespace
}  // namespace vireo
