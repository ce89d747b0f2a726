#include "app/desktop/MprisCoverArt.h"

#include <taglib/aifffile.h>
#include <taglib/attachedpictureframe.h>
#include <taglib/fileref.h>
#include <taglib/flacfile.h>
#include <taglib/flacpicture.h>
#include <taglib/id3v2tag.h>
#include <taglib/mp4file.h>
#include <taglib/mpegfile.h>
#include <taglib/opusfile.h>
#include <taglib/vorbisfile.h>
#include <taglib/wavfile.h>
#include <taglib/xiphcomment.h>

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <mutex>

#include "base/AtomicFileWriter.h"
#include "base/WorkerRegistry.h"

namespace vireo {
namespace {

using namespace Qt::StringLiterals;

constexpr qsizetype kMaxPictureBytes = 32 << 20;
const char* const kExtensions[] = {".jpg", ".png", ".gif", ".bmp", ".webp"};

struct Picture {
  QByteArray data;
  bool front = false;
};

QByteArray Bytes(const TagLib::ByteVector& v) {
  return QByteArray(v.data(), static_cast<qsizetype>(v.size()));
}

// Keeps the front cover, else the first picture seen.
void Offer(Picture& best, const TagLib::ByteVector& data, bool front) {
  if (data.isEmpty() || static_cast<qsizetype>(data.size()) > kMaxPictureBytes) return;
  if (!best.data.isEmpty() && (best.front || !front)) return;
  best.data = Bytes(data);
  best.front = front;
}

void FromId3v2(Picture& best, TagLib::ID3v2::Tag* tag) {
  if (!tag) return;
  for (TagLib::ID3v2::Frame* frame : tag->frameList("APIC")) {
    auto* apic = dynamic_cast<TagLib::ID3v2::AttachedPictureFrame*>(frame);
    if (apic)
      Offer(best, apic->picture(), apic->type() == TagLib::ID3v2::AttachedPictureFrame::FrontCover);
  }
}

void FromPictures(Picture& best, const TagLib::List<TagLib::FLAC::Picture*>& pictures) {
  for (TagLib::FLAC::Picture* p : pictures)
    Offer(best, p->data(), p->type() == TagLib::FLAC::Picture::FrontCover);
}

Picture ReadPicture(const QString& path) {
  Picture best;
  const QByteArray name = QFile::encodeName(path);
  TagLib::FileRef ref(name.constData(), false);
  TagLib::File* file = ref.file();
  if (!file || !file->isValid()) return best;
  if (auto* mpeg = dynamic_cast<TagLib::MPEG::File*>(file)) {
    FromId3v2(best, mpeg->ID3v2Tag());
  } else if (auto* flac = dynamic_cast<TagLib::FLAC::File*>(file)) {
    FromPictures(best, flac->pictureList());
    if (best.data.isEmpty() && flac->xiphComment())
      FromPictures(best, flac->xiphComment()->pictureList());
    if (best.data.isEmpty()) FromId3v2(best, flac->ID3v2Tag());
  } else if (auto* vorbis = dynamic_cast<TagLib::Ogg::Vorbis::File*>(file)) {
    if (vorbis->tag()) FromPictures(best, vorbis->tag()->pictureList());
  } else if (auto* opus = dynamic_cast<TagLib::Ogg::Opus::File*>(file)) {
    if (opus->tag()) FromPictures(best, opus->tag()->pictureList());
  } else if (auto* mp4 = dynamic_cast<TagLib::MP4::File*>(file)) {
    if (mp4->tag() && mp4->tag()->contains("covr")) {
      const TagLib::MP4::CoverArtList covers = mp4->tag()->item("covr").toCoverArtList();
      for (const TagLib::MP4::CoverArt& c : covers) Offer(best, c.data(), false);
    }
  } else if (auto* wav = dynamic_cast<TagLib::RIFF::WAV::File*>(file)) {
    if (wav->hasID3v2Tag()) FromId3v2(best, wav->ID3v2Tag());
  } else if (auto* aiff = dynamic_cast<TagLib::RIFF::AIFF::File*>(file)) {
    if (aiff->hasID3v2Tag()) FromId3v2(best, aiff->tag());
  }
  return best;
}

// The picture format from its first bytes (the declared MIME type is often wrong).
const char* ExtensionOf(const QByteArray& data) {
  if (data.startsWith("\x89PNG")) return ".png";
  if (data.startsWith("GIF8")) return ".gif";
  if (data.startsWith("BM")) return ".bmp";
  if (data.startsWith("RIFF") && data.mid(8, 4) == "WEBP") return ".webp";
  return ".jpg";
}

QString CacheBase(const QString& audioPath, const QString& cacheDir) {
  const QFileInfo info(audioPath);
  QCryptographicHash hash(QCryptographicHash::Sha1);
  hash.addData(info.absoluteFilePath().toUtf8());
  hash.addData(QByteArray::number(info.size()));
  hash.addData(QByteArray::number(info.lastModified().toMSecsSinceEpoch()));
  return cacheDir + u'/' + QString::fromLatin1(hash.result().toHex());
}

}  // namespace

struct MprisCoverArt::Relay {
  std::mutex mutex;  // guards owner
  MprisCoverArt* owner = nullptr;
};

MprisCoverArt::MprisCoverArt(QString cacheDir, QObject* parent)
    : QObject(parent), cacheDir_(std::move(cacheDir)), relay_(std::make_shared<Relay>()) {
  relay_->owner = this;
}

MprisCoverArt::~MprisCoverArt() {
  std::lock_guard lock(relay_->mutex);
  relay_->owner = nullptr;
}

QString MprisCoverArt::DefaultCacheDir() {
  return QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation) +
         u"/vireo/covers"_s;
}

QString MprisCoverArt::Extract(const QString& audioPath, const QString& cacheDir) {
  if (!QFileInfo(audioPath).isFile()) return {};
  const QString base = CacheBase(audioPath, cacheDir);
  for (const char* ext : kExtensions) {
    const QString cached = base + QLatin1StringView(ext);
    if (QFileInfo(cached).isFile()) return cached;
  }
  Picture picture;
  try {
    picture = ReadPicture(audioPath);
  } catch (...) {
    return {};
  }
  if (picture.data.isEmpty() || !QDir().mkpath(cacheDir)) return {};
  const QString target = base + QLatin1StringView(ExtensionOf(picture.data));
  return AtomicFileWriter::Write(target, picture.data) ? target : QString();
}

void MprisCoverArt::Request(const QString& audioPath) {
  std::weak_ptr<Relay> relay = relay_;
  // A job of the registry: the exit cancels it (a TagLib read cannot be stopped; it is short)
  // and waits for it.
  WorkerRegistry::Instance().Start(QStringLiteral("cover"), [relay, audioPath, dir = cacheDir_](WorkerJob&) {
    const QString picture = Extract(audioPath, dir);
    const auto r = relay.lock();
    if (!r) return;
    std::lock_guard lock(r->mutex);
    if (!r->owner) return;
    MprisCoverArt* owner = r->owner;
    // Queued to the owner: Qt drops the call if the owner is destroyed before it runs.
    QMetaObject::invokeMethod(
        owner, [owner, audioPath, picture] { Q_EMIT owner->Ready(audioPath, picture); },
        Qt::QueuedConnection);
  }, "vireo-cover");
}

}  // namespace vireo
