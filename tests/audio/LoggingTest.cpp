#include <gtest/gtest.h>

#include <QLoggingCategory>
#include <QStringList>
#include <memory>

#include "MediaFactory.h"
#include "TestEnv.h"
#include "audio/NullOutput.h"
#include "audio/TAudioEngine.h"
#include "base/Logging.h"

using namespace vireo;
using vireo::test::MediaFactory;
using vireo::test::WaitUntil;

namespace {
QStringList* captured = nullptr;
void Capture(QtMsgType, const QMessageLogContext& context, const QString& text) {
  if (captured && context.category && QByteArrayView(context.category).startsWith("vireo."))
    captured->append(QString::fromLatin1(context.category) + QStringLiteral(": ") + text);
}
}  // namespace

// Silent by default; switched on by the usual rules, a track that could not open leaves its line
// in vireo.audio.
TEST(Logging, ATrackThatCannotOpenLeavesOneLineWhenAskedFor) {
  QStringList lines;
  captured = &lines;
  const QtMessageHandler previous = qInstallMessageHandler(Capture);
  auto engine = std::make_unique<TAudioEngine>(MediaFactory::Dir(), std::make_shared<NullOutput>());
  const QString missing = MediaFactory::Dir() + QStringLiteral("/missing-track.mp3");
  engine->Play(missing);
  ASSERT_TRUE(WaitUntil([&] { return engine->State() == AudioState::OpenFailed; }, 8000));
  EXPECT_TRUE(lines.isEmpty()) << lines.join(u'\n').toStdString();
  EXPECT_FALSE(lcAudio().isInfoEnabled());

  QLoggingCategory::setFilterRules(QStringLiteral("vireo.audio.info=true"));
  engine->Play(missing);
  ASSERT_TRUE(WaitUntil([&] { return lines.size() >= 2; }, 8000));
  QLoggingCategory::setFilterRules(QString());
  qInstallMessageHandler(previous);
  captured = nullptr;
  EXPECT_TRUE(lines.first().startsWith(QStringLiteral("vireo.audio: cannot open")));
  EXPECT_TRUE(lines.first().contains(missing));
  EXPECT_FALSE(lcNet().isInfoEnabled());
}
