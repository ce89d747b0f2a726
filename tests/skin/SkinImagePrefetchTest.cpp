// The skin's images decoded on a worker while the skin is applied: every image comes out as the
// applier would have read it, in its order, whoever decoded it; a bad one fails where it is taken.
#include <gtest/gtest.h>

#include <QImage>
#include <QTemporaryDir>

#include "base/WorkerRegistry.h"
#include "ddvcl/EDDError.h"
#include "skin/TSkinImagePrefetch.h"

namespace vireo {
namespace {

class SkinImagePrefetch : public ::testing::Test {
 protected:
  // A PNG of w x h whose first pixel's red carries its number.
  QString Png(int n, int w, int h) {
    QImage img(w, h, QImage::Format_ARGB32);
    img.fill(QColor(0, 80, 160, 255));
    img.setPixel(0, 0, qRgba(n, 1, 2, 255));
    const QString path = dir_.filePath(QStringLiteral("img%1.png").arg(n));
    EXPECT_TRUE(img.save(path));
    return path;
  }
  QTemporaryDir dir_;
};

TEST_F(SkinImagePrefetch, EveryImageComesOutWholeInTheApplierOrderAndABadOneFailsWhereTaken) {
  QStringList paths;
  for (int n = 0; n < 40; ++n) paths << Png(n, 40 + n, 30);
  const QString broken = dir_.filePath(QStringLiteral("broken.png"));
  {
    QFile f(broken);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("\x89PNG\r\n\x1a\n not really");
  }
  paths.insert(20, broken);
  paths << paths.at(3);  // one file named twice, as two controls may

  TSkinImagePrefetch prefetch(paths);
  for (int i = 0; i < paths.size(); ++i) {
    if (paths[i] == broken) {
      EXPECT_THROW(prefetch.Take(broken), EDDError);
      continue;
    }
    const TDecodedImage img = prefetch.Take(paths[i]);
    const int n = i < 20 ? i : i < 41 ? i - 1 : 3;
    ASSERT_EQ(img.Width, 40 + n) << paths[i].toStdString();
    ASSERT_EQ(img.Height, 30);
    ASSERT_EQ(img.Pixels.size(), std::size_t(img.Width) * 30);
    EXPECT_EQ(img.Pixels[0], 0xFF000102u | (std::uint32_t(n) << 16)) << paths[i].toStdString();
    EXPECT_TRUE(img.HasAlpha);
  }
  // Not on the list: decoded on the spot; missing: the loader's own error.
  EXPECT_EQ(prefetch.Take(Png(99, 5, 5)).Width, 5);
  EXPECT_THROW(prefetch.Take(dir_.filePath(QStringLiteral("missing.png"))), EDDError);
}

TEST_F(SkinImagePrefetch, AnApplyingThatStopsEarlyLeavesNothingRunning) {
  QStringList paths;
  for (int n = 0; n < 30; ++n) paths << Png(n, 300, 200);
  {
    TSkinImagePrefetch prefetch(paths);
    EXPECT_EQ(prefetch.Take(paths[0]).Width, 300);
  }  // the worker is stopped and waited for here
  EXPECT_EQ(WorkerRegistry::Instance().Running(QStringLiteral("skin")), 0);
}

}  // namespace
}  // namespace vireo
