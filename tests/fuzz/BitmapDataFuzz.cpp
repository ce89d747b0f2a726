// The bitmap's "Data" stream: read from a file-like and from a sequential device, it gives the
// same bitmap or the same refusal, and a bitmap read back writes the bytes it was read from.
#include <QBuffer>
#include <QByteArray>

#include "FuzzTarget.h"
#include "ddvcl/EDDError.h"
#include "ddvcl/TDDBitmap32.h"

namespace {

// A pipe-like device: no size, no seeking, the bytes in small pieces.
class Trickle : public QIODevice {
 public:
  explicit Trickle(const QByteArray& bytes) : bytes_(bytes) { open(QIODevice::ReadOnly); }
  bool isSequential() const override { return true; }

 protected:
  qint64 readData(char* out, qint64 max) override {
    const qint64 n = std::min<qint64>({max, 4093, bytes_.size() - at_});
    if (n <= 0) return -1;
    memcpy(out, bytes_.constData() + at_, size_t(n));
    at_ += n;
    return n;
  }
  qint64 writeData(const char*, qint64) override { return -1; }

 private:
  QByteArray bytes_;
  qint64 at_ = 0;
};

// The bitmap read, or nullopt when refused; as written back.
std::optional<QByteArray> Read(QIODevice& device) {
  vireo::TDDBitmap32 bitmap;
  try {
    bitmap.ReadData(device);
  } catch (const vireo::EDDError&) {
    FUZZ_CHECK(bitmap.Empty());
    return std::nullopt;
  }
  QBuffer out;
  out.open(QIODevice::WriteOnly);
  bitmap.WriteData(out);
  return out.data();
}

}  // namespace

VIREO_FUZZ_TARGET(bitmap_data) {
  const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
  QBuffer file;
  file.setData(bytes);
  file.open(QIODevice::ReadOnly);
  const std::optional<QByteArray> fromFile = Read(file);
  Trickle pipe(bytes);
  const std::optional<QByteArray> fromPipe = Read(pipe);
  FUZZ_CHECK(fromFile == fromPipe);
  if (fromFile && fromFile->size() > 8) FUZZ_CHECK(bytes.startsWith(*fromFile));
  return 0;
}
