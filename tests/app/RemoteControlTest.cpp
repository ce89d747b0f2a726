#include <gtest/gtest.h>

#include <QStringList>

#include "app/instance/RemoteControl.h"

namespace vireo {
namespace {

struct Recorder {
  QStringList calls;
  RemoteActions actions;
  Recorder() {
    actions.show = [this] { calls << QStringLiteral("show"); };
    actions.mute = [this] { calls << QStringLiteral("mute"); };
    actions.playPause = [this] { calls << QStringLiteral("play"); };
    actions.previous = [this] { calls << QStringLiteral("prev"); };
    actions.next = [this] { calls << QStringLiteral("next"); };
    actions.count = [] { return 12; };
    actions.current = [] { return -1; };
  }
};

TEST(RemoteControl, CommandsActAndAnswerOne) {
  Recorder r;
  EXPECT_EQ(RemoteControl::Answer(1807, 15, 0, r.actions), 1);
  EXPECT_EQ(RemoteControl::Answer(1807, 16, 0, r.actions), 1);
  EXPECT_EQ(RemoteControl::Answer(1807, 19, 0, r.actions), 1);
  EXPECT_EQ(RemoteControl::Answer(1807, 20, 0, r.actions), 1);
  EXPECT_EQ(r.calls, (QStringList{QStringLiteral("mute"), QStringLiteral("play"),
                                  QStringLiteral("prev"), QStringLiteral("next")}));
}

TEST(RemoteControl, QueriesAnswerCountAndCurrentEntry) {
  Recorder r;
  EXPECT_EQ(RemoteControl::Answer(1807, 50, 0, r.actions), 12);
  EXPECT_EQ(RemoteControl::Answer(1807, 51, 0, r.actions), -1);
  r.actions.current = [] { return 3; };
  EXPECT_EQ(RemoteControl::Answer(1807, 51, 0, r.actions), 3);
  EXPECT_TRUE(r.calls.isEmpty());
}

TEST(RemoteControl, ANonZeroLParamOrAnUnknownCommandDoesNothingAndAnswersMinusOne) {
  Recorder r;
  EXPECT_EQ(RemoteControl::Answer(1807, 20, 1, r.actions), -1);
  EXPECT_EQ(RemoteControl::Answer(1807, 50, -1, r.actions), -1);
  for (int w : {0, 14, 17, 18, 21, 49, 52, 99, -20})
    EXPECT_EQ(RemoteControl::Answer(1807, w, 0, r.actions), -1) << w;
  EXPECT_TRUE(r.calls.isEmpty());
}

TEST(RemoteControl, ShowOnlyWith99) {
  Recorder r;
  EXPECT_EQ(RemoteControl::Answer(1806, 98, 0, r.actions), 0);
  EXPECT_TRUE(r.calls.isEmpty());
  EXPECT_EQ(RemoteControl::Answer(1806, 99, 0, r.actions), 0);
  EXPECT_EQ(r.calls, QStringList{QStringLiteral("show")});
}

}  // namespace
}  // namespace vireo
