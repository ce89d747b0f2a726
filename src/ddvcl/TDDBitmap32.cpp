#include "ddvcl/TDDBitmap32.h"

#include <QFileInfo>
#include <QIODevice>
#include <QPainter>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <typeinfo>

#include "ddvcl/BitmapBlend.h"
#include "ddvcl/Blend.h"
#include "ddvcl/EDDError.h"
#include "ddvcl/ImageDecoders.h"
#include "ddvcl/TSkinScale.h"

namespace vireo {

namespace {

// Closes an update bracket and notifies, also when the work inside it failed.
class UpdateScope {
 public:
  explicit UpdateScope(TDDBitmap32& b) : m_b(b) { m_b.BeginUpdate(); }
  ~UpdateScope() {
    m_b.EndUpdate();
    m_b.Changed();
  }

 private:
  TDDBitmap32& m_b;
};

void PutLe32(char* p, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = char((v >> (8 * i)) & 0xFF);
}
std::uint32_t GetLe32(const char* p) {
  std::uint32_t v = 0;
  for (int i = 0; i < 4; ++i) v |= std::uint32_t(std::uint8_t(p[i])) << (8 * i);
  return v;
}

}  // namespace

TDDBitmap32::TDDBitmap32() = default;

TDDBitmap32::TDDBitmap32(int width, int height) {
  SetSize(width, height);
}

TDDBitmap32::~TDDBitmap32() {
  // No notifications from a dying bitmap: its owner may be half destroyed already.
  BeginUpdate();
  Lock();
  ReleaseMemory();
  Unlock();
}

bool TDDBitmap32::Empty() const {
  return TDDCustomMap::Empty() || m_bits == nullptr;
}

void TDDBitmap32::ReleaseMemory() {
  m_image = QImage();
  std::free(m_bits);
  m_bits = nullptr;
  ForgetSize();
}

void TDDBitmap32::Reallocate(int& width, int& height, int newWidth, int newHeight) {
  ReleaseMemory();
  ClearVariants();
  width = height = 0;
  if (newWidth > 0 && newHeight > 0) {
    const std::size_t count = std::size_t(newWidth) * std::size_t(newHeight);
    if (std::size_t(newWidth) > std::size_t(std::numeric_limits<int>::max()) / 4 ||
        count > std::numeric_limits<std::size_t>::max() / 4)
      throw EDDError("Can't allocate DIB handle");
    m_bits = static_cast<TColor32*>(std::calloc(count, sizeof(TColor32)));
    if (!m_bits) throw EDDError("Can't allocate DIB handle");
    m_image = QImage(reinterpret_cast<uchar*>(m_bits), newWidth, newHeight, newWidth * 4,
                     QImage::Format_ARGB32);
    if (m_image.isNull()) {
      std::free(m_bits);
      m_bits = nullptr;
      throw EDDError("Can't create compatible DC");
    }
  }
  width = newWidth;
  height = newHeight;
}

void TDDBitmap32::SetPixel(int x, int y, TColor32 color) {
  if (x < 0 || y < 0 || x >= Width() || y >= Height() || !m_bits) return;
  ScanLine(y)[x] = color;
}

QImage TDDBitmap32::ToQImage() const {
  if (Empty()) return QImage();
  return m_image.copy();
}

void TDDBitmap32::SetOpacity(unsigned value) {
  if (value == m_opacity) return;
  m_opacity = value;
  Changed();
}

void TDDBitmap32::Clear(TColor32 color) {
  if (Empty()) return;
  blend::FillLongword(m_bits, std::size_t(Width()) * std::size_t(Height()), color);
  Changed();
}

void TDDBitmap32::SetAllAlpha(int alpha) {
  if (!Empty()) {
    const std::size_t n = std::size_t(Width()) * std::size_t(Height());
    for (std::size_t i = 0; i < n; ++i) m_bits[i] = WithAlpha(m_bits[i], alpha);
  }
  Changed();
}

void TDDBitmap32::FillRect(int x1, int y1, int x2, int y2, TColor32 color) {
  const TRect r = Mapped() ? Intersect(MapRect({x1, y1, x2, y2}), OwnPixels())
                           : Intersect({x1, y1, x2, y2}, BoundsRect());
  if (!r.IsEmpty() && m_bits)
    for (int y = r.Top; y < r.Bottom; ++y)
      blend::FillLongword(ScanLine(y) + r.Left, std::size_t(r.Width()), color);
  Changed();
}

void TDDBitmap32::HorizontalLine(int x1, int y, int x2, TColor32 color) {
  if (Mapped()) {
    FillMapped({x1, y, x2 + 1, y + 1}, color);
    return;
  }
  for (int x = x1; x <= x2; ++x) SetPixel(x, y, color);
}

void TDDBitmap32::VerticalLine(int x, int y1, int y2, TColor32 color) {
  if (Mapped()) {
    FillMapped({x, y1, x + 1, y2 + 1}, color);
    return;
  }
  for (int y = y1; y <= y2; ++y) SetPixel(x, y, color);
}

void TDDBitmap32::DrawLine(int x1, int y1, int x2, int y2, TColor32 color, bool includeLast) {
  if (x1 == x2) {
    if (y2 > y1)
      VerticalLine(x1, y1, y2 - 1, color);
    else if (y2 < y1)
      VerticalLine(x1, y2 + 1, y1, color);
  } else if (y1 == y2) {
    if (x1 < x2)
      HorizontalLine(x1, y1, x2 - 1, color);
    else
      HorizontalLine(x2 + 1, y1, x1, color);
  } else {
    const int dx = std::abs(x2 - x1), dy = std::abs(y2 - y1);
    const int sx = x2 > x1 ? 1 : -1, sy = y2 > y1 ? 1 : -1;
    int x = x1, y = y1;
    if (dy < dx) {
      int err = dx / 2;
      for (int i = 0; i < dx; ++i) {
        SetPixel(x, y, color);
        err += dy;
        x += sx;
        if (err > dx) {
          y += sy;
          err -= dx;
        }
      }
    } else {
      int err = dy / 2;
      for (int i = 0; i < dy; ++i) {
        SetPixel(x, y, color);
        err += dx;
        y += sy;
        if (err > dy) {
          x += sx;
          err -= dy;
        }
      }
    }
  }
  if (includeLast) SetPixel(x2, y2, color);
  Changed();
}

void TDDBitmap32::LineTo(int x, int y, TColor32 color) {
  DrawLine(m_penPos.x(), m_penPos.y(), x, y, color, false);
  m_penPos = QPoint(x, y);
}

void TDDBitmap32::BlendTo(TDDBitmap32& dst, int dstX, int dstY, const TRect& srcRect) const {
  BlendTo(dst, dstX, dstY, srcRect, int(m_opacity & 0xFF));
}

void TDDBitmap32::BlendTo(TDDBitmap32& dst, int dstX, int dstY, const TRect& srcRect,
                          int alpha) const {
  if (Empty() || dst.Empty()) return;
  if (Mapped() || dst.Mapped()) {
    const TDDBitmap32& src = SourceFor(dst);
    const int px = dst.MapX(dstX), py = dst.MapY(dstY);
    const TRect clip = Intersect({px, py, dst.Width(), dst.Height()}, dst.OwnPixels());
    if (!clip.IsEmpty())
      blend::TransferRect(dst, px, py, clip, src, src.MapRect(srcRect), alpha & 0xFF);
  } else {
    blend::TransferRect(dst, dstX, dstY, {dstX, dstY, dst.Width(), dst.Height()}, *this, srcRect,
                        alpha & 0xFF);
  }
  dst.Changed();
}

void TDDBitmap32::StretchBlendTo(TDDBitmap32& dst, const TRect& dstRect, int alpha) const {
  if (Empty() || dst.Empty()) return;
  if (Mapped() || dst.Mapped()) {
    const TDDBitmap32& src = SourceFor(dst);
    const TRect to = dst.MapRect(dstRect);
    const TRect clip = Intersect(dst.OwnPixels(), to);
    const int m = std::clamp(alpha, 0, 255);
    if (!clip.IsEmpty() && m > 0) blend::StretchRect(dst, to, clip, m, src.BoundsRect(), src);
    dst.Changed();
    return;
  }
  const TRect srcRect = BoundsRect();
  const TRect clip = Intersect(dst.BoundsRect(), dstRect);
  const int m = std::clamp(alpha, 0, 255);
  if (!clip.IsEmpty() && m > 0) {
    if (dstRect.Width() == Width() && dstRect.Height() == Height())
      blend::BlendRect(dst, clip, *this, srcRect.Left + clip.Left - dstRect.Left,
                       srcRect.Top + clip.Top - dstRect.Top, m);
    else
      blend::StretchRect(dst, dstRect, dst.BoundsRect(), m, srcRect, *this);
  }
  dst.Changed();
}

void TDDBitmap32::CopyRectTo(TDDBitmap32& dst, int dstX, int dstY, const TRect& srcRectIn) const {
  if (Empty() || dst.Empty()) return;
  if (Mapped() || dst.Mapped()) {
    SourceFor(dst).CopyPixels(dst, dst.MapX(dstX), dst.MapY(dstY),
                              SourceFor(dst).MapRect(srcRectIn), dst.OwnPixels());
    return;
  }
  CopyPixels(dst, dstX, dstY, srcRectIn, dst.BoundsRect());
}

void TDDBitmap32::CopyPixels(TDDBitmap32& dst, int dstX, int dstY, const TRect& srcRectIn,
                             const TRect& dstClip) const {
  const int ox = srcRectIn.Left, oy = srcRectIn.Top;
  const TRect srcRect = Intersect(srcRectIn, BoundsRect());
  const TRect r = Intersect(srcRect.Offset(dstX - ox, dstY - oy), Intersect(dstClip, dst.BoundsRect()));
  if (r.IsEmpty()) return;
  for (int y = r.Top; y < r.Bottom; ++y)
    std::memcpy(dst.ScanLine(y) + r.Left, ScanLine(y + oy - dstY) + (r.Left + ox - dstX),
                std::size_t(r.Width()) * 4);
  dst.Changed();
}

void TDDBitmap32::CopyToDC(QPainter& painter, int x, int y) const {
  if (Empty()) return;
  // The colour bytes go to the screen as they are, like a plain bit copy would put them there.
  const QImage view(reinterpret_cast<const uchar*>(m_bits), Width(), Height(), Width() * 4,
                    QImage::Format_RGB32);
  painter.save();
  painter.setCompositionMode(QPainter::CompositionMode_Source);
  painter.drawImage(x, y, view);
  painter.restore();
}

// A file that fails to load still notifies once: the bracket opens before the file is read.
void TDDBitmap32::LoadFromFile(const QString& fileName) {
  UpdateScope scope(*this);
  LoadDecoded(DecodeSkinImage(fileName));
}

void TDDBitmap32::LoadFromPNG(const QString& fileName) {
  UpdateScope scope(*this);
  LoadDecoded(DecodePng(ReadImageFile(fileName)));
}

void TDDBitmap32::LoadFromBMP(const QString& fileName) {
  UpdateScope scope(*this);
  LoadDecoded(DecodeBmp(ReadImageFile(fileName)));
}

void TDDBitmap32::LoadDecoded(const TDecodedImage& image) {
  AssignPixels(image.Width, image.Height, image.Pixels.data(), image.HasAlpha);
  for (std::size_t i = 0; i < image.Variants.size() && i < image.VariantScales.size(); ++i) {
    const TDecodedImage& v = image.Variants[i];
    auto art = std::make_shared<TDDBitmap32>();
    art->AssignPixels(v.Width, v.Height, v.Pixels.data(), v.HasAlpha);
    art->m_scale = image.VariantScales[i];
    StoreVariant(std::move(art));
  }
}

void TDDBitmap32::MakeCanvas(double scale, QPoint skinOrigin, QPoint pixelOrigin,
                             QSize skinSize) {
  m_scale = scale;
  m_canvas = true;
  m_skinOrigin = skinOrigin;
  m_pixelOrigin = pixelOrigin;
  m_skinSize = skinSize;
}

int TDDBitmap32::MapX(int v) const {
  return TSkinScale::ToPixel(m_scale, m_skinOrigin.x() + v) - m_pixelOrigin.x();
}

int TDDBitmap32::MapY(int v) const {
  return TSkinScale::ToPixel(m_scale, m_skinOrigin.y() + v) - m_pixelOrigin.y();
}

TRect TDDBitmap32::MapRect(const TRect& r) const {
  return {MapX(r.Left), MapY(r.Top), MapX(r.Right), MapY(r.Bottom)};
}

TRect TDDBitmap32::OwnPixels() const {
  if (!m_canvas) return BoundsRect();
  return Intersect(MapRect({0, 0, m_skinSize.width(), m_skinSize.height()}), BoundsRect());
}

void TDDBitmap32::FillMapped(const TRect& skinRect, TColor32 color) {
  const TRect r = Intersect(MapRect(skinRect), OwnPixels());
  if (r.IsEmpty() || !m_bits) return;
  for (int y = r.Top; y < r.Bottom; ++y)
    blend::FillLongword(ScanLine(y) + r.Left, std::size_t(r.Width()), color);
}

std::vector<double> TDDBitmap32::ArtScales() const {
  std::vector<double> scales{m_scale};
  for (const auto& v : m_variants) scales.push_back(v->m_scale);
  std::sort(scales.begin(), scales.end());
  return scales;
}

bool TDDBitmap32::AddVariant(double scale, const TDDBitmap32& image) {
  auto art = std::make_shared<TDDBitmap32>();
  art->Assign(&image);
  art->ClearVariants();
  art->m_canvas = false;
  art->m_scale = scale;
  return StoreVariant(std::move(art));
}

bool TDDBitmap32::StoreVariant(std::shared_ptr<TDDBitmap32> art) {
  const double s = art->m_scale;
  if (Empty() || art->Empty() || s <= m_scale) return false;
  if (art->Width() != TSkinScale::ToPixel(s, Width()) ||
      art->Height() != TSkinScale::ToPixel(s, Height()))
    return false;
  for (auto& v : m_variants)
    if (v->m_scale == s) {
      v = std::move(art);
      m_derived.clear();
      return true;
    }
  m_variants.push_back(std::move(art));
  m_derived.clear();
  return true;
}

void TDDBitmap32::ClearVariants() {
  m_variants.clear();
  m_derived.clear();
}

const TDDBitmap32& TDDBitmap32::AtScale(double s) const {
  if (s == m_scale) return *this;
  for (const auto& v : m_variants)
    if (v->m_scale == s) return *v;
  for (const auto& v : m_derived)
    if (v->m_scale == s) return *v;
  // Reduced from the nearest art above, else enlarged from the largest below.
  const TDDBitmap32* from = this;
  const TDDBitmap32* above = nullptr;
  for (const auto& v : m_variants) {
    if (v->m_scale > s && (!above || v->m_scale < above->m_scale)) above = v.get();
    if (v->m_scale < s && v->m_scale > from->m_scale) from = v.get();
  }
  if (above) from = above;
  auto made = std::make_shared<TDDBitmap32>();
  TSkinScale::Rescale(*from, from->m_scale, *made, s);
  made->m_scale = s;
  m_derived.push_back(made);
  return *made;
}

const TDDBitmap32& TDDBitmap32::SourceFor(const TDDBitmap32& dst) const {
  return m_canvas || dst.m_scale == m_scale ? *this : AtScale(dst.m_scale);
}

void TDDBitmap32::Changed() {
  // Pixels made from these may be stale now; the art variants are files and stay.
  m_derived.clear();
  TDDCustomMap::Changed();
}

void TDDBitmap32::Assign(const TDDBitmap32* source) {
  UpdateScope scope(*this);
  if (!source || source->Empty()) {
    ClearVariants();
    if (source) m_opacity = source->m_opacity;
    Delete();
    return;
  }
  if (source == this) return;
  SetSize(source->Width(), source->Height());
  std::memcpy(m_bits, source->m_bits, std::size_t(Width()) * std::size_t(Height()) * 4);
  m_opacity = source->m_opacity;
  m_variants = source->m_variants;
  m_derived.clear();
}

void TDDBitmap32::Assign(const QImage& source, std::optional<TColorRef> transparentColor) {
  UpdateScope scope(*this);
  ClearVariants();
  if (source.isNull()) {
    Delete();
    return;
  }
  const bool keepAlpha = source.depth() == 32;
  const QImage img = source.convertToFormat(
      keepAlpha && source.hasAlphaChannel() ? QImage::Format_ARGB32 : QImage::Format_RGB32);
  SetSize(img.width(), img.height());
  for (int y = 0; y < Height(); ++y)
    std::memcpy(ScanLine(y), img.constScanLine(y), std::size_t(Width()) * 4);
  if (!keepAlpha) SetAllAlpha(255);
  if (transparentColor) {
    const TColor32 key = Color32FromColor(*transparentColor) & 0x00FFFFFFu;
    const std::size_t n = std::size_t(Width()) * std::size_t(Height());
    for (std::size_t i = 0; i < n; ++i)
      if ((m_bits[i] & 0x00FFFFFFu) == key) m_bits[i] &= 0x00FFFFFFu;
  }
}

void TDDBitmap32::AssignPixels(int width, int height, const TColor32* pixels, bool keepAlpha) {
  UpdateScope scope(*this);
  ClearVariants();
  SetSize(width, height);
  if (Empty()) return;
  std::memcpy(m_bits, pixels, std::size_t(Width()) * std::size_t(Height()) * 4);
  if (!keepAlpha) SetAllAlpha(255);
}

void TDDBitmap32::AssignTo(QImage& target) const {
  target = Empty() ? QImage() : m_image.copy();
}

bool TDDBitmap32::Equal(const TDDBitmap32& other) const {
  if (Empty() && other.Empty()) return true;
  if (Empty() || other.Empty()) return false;
  if (typeid(*this) != typeid(other)) return false;
  return Width() == other.Width() && Height() == other.Height() &&
         std::memcmp(m_bits, other.m_bits, std::size_t(Width()) * std::size_t(Height()) * 4) == 0;
}

void TDDBitmap32::WriteData(QIODevice& stream) const {
  char head[8];
  PutLe32(head, std::uint32_t(Width()));
  PutLe32(head + 4, std::uint32_t(Height()));
  stream.write(head, 8);
  if (Empty()) return;
  for (int y = 0; y < Height(); ++y) {
    QByteArray row(qsizetype(Width()) * 4, Qt::Uninitialized);
    const TColor32* s = ScanLine(y);
    for (int x = 0; x < Width(); ++x) PutLe32(row.data() + 4 * x, s[x]);
    stream.write(row);
  }
}

void TDDBitmap32::ReadData(QIODevice& stream) {
  char head[8];
  if (stream.read(head, 8) != 8) throw EDDError("Stream read error");
  const int w = int(GetLe32(head)), h = int(GetLe32(head + 4));
  // Both sizes may be near 2^31: counted unsigned, the product stays below 2^62.
  const std::uint64_t pixels = w > 0 && h > 0 ? std::uint64_t(w) * std::uint64_t(h) : 0;
  const std::uint64_t bytes = pixels * 4;
  // A damaged stream must not make us reserve memory for pixels it cannot hold. A file says how
  // much it holds; a pipe does not, so its bytes are read first, piece by piece, and the pixel
  // memory is taken only once they are all there.
  if (!stream.isSequential() &&
      std::uint64_t(std::max<qint64>(stream.bytesAvailable(), 0)) < bytes) {
    Changed();
    throw EDDError("Stream read error");
  }
  QByteArray data;
  constexpr std::uint64_t kPiece = 64 << 10;
  while (std::uint64_t(data.size()) < bytes) {
    const QByteArray piece =
        stream.read(qint64(std::min<std::uint64_t>(kPiece, bytes - std::uint64_t(data.size()))));
    if (piece.isEmpty()) break;
    data.append(piece);
  }
  if (std::uint64_t(data.size()) != bytes) {
    Changed();
    throw EDDError("Stream read error");
  }
  SetSize(w, h);
  if (!Empty()) {
    const std::size_t count = std::size_t(pixels);
    for (std::size_t i = 0; i < count; ++i) m_bits[i] = GetLe32(data.constData() + 4 * i);
  }
  Changed();
}

bool TDDBitmap32::WantsDataWritten(const TDDBitmap32* ancestor) const {
  if (ancestor) return !Equal(*ancestor);
  return !Empty();
}

}  // namespace vireo
