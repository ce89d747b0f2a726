#include "lyrics/LyricOffsetTable.h"

#include <QFile>
#include <QList>
#include <QPair>
#include <mutex>

#include "base/AtomicFileWriter.h"

namespace vireo {
namespace {

std::mutex& TableMutex() {
  static std::mutex m;
  return m;
}

using Entries = QList<QPair<QString, qint32>>;

Entries Read(const QString& tablePath) {
  Entries entries;
  QFile f(tablePath);
  if (tablePath.isEmpty() || !f.open(QIODevice::ReadOnly)) return entries;
  const QByteArray bytes = f.read(4 << 20);
  for (const QByteArray& line : bytes.split('\n')) {
    const qsizetype tab = line.indexOf('\t');
    if (tab <= 0) continue;
    bool ok = false;
    const qint32 ms = line.left(tab).toInt(&ok);
    const QString path = QString::fromUtf8(line.mid(tab + 1));
    if (ok && !path.isEmpty()) entries.append({path, ms});
  }
  return entries;
}

bool Write(const QString& tablePath, const Entries& entries) {
  QByteArray out;
  for (const auto& [path, ms] : entries)
    out += QByteArray::number(ms) + '\t' + path.toUtf8() + '\n';
  return AtomicFileWriter::Write(tablePath, out);
}

}  // namespace

std::optional<qint32> LyricOffsetTable::Lookup(const QString& tablePath, const QString& lyricPath) {
  std::lock_guard lock(TableMutex());
  const Entries entries = Read(tablePath);
  for (auto it = entries.crbegin(); it != entries.crend(); ++it)
    if (it->first == lyricPath) return it->second;
  return std::nullopt;
}

bool LyricOffsetTable::Remember(const QString& tablePath, const QString& lyricPath, qint32 ms) {
  if (tablePath.isEmpty() || lyricPath.isEmpty() || lyricPath.contains(u'\n')) return false;
  std::lock_guard lock(TableMutex());
  Entries entries = Read(tablePath);
  entries.removeIf([&](const auto& e) { return e.first == lyricPath; });
  entries.append({lyricPath, ms});
  while (entries.size() > kMaxEntries) entries.removeFirst();
  return Write(tablePath, entries);
}

bool LyricOffsetTable::Forget(const QString& tablePath, const QString& lyricPath) {
  std::lock_guard lock(TableMutex());
  Entries entries = Read(tablePath);
  if (entries.removeIf([&](const auto& e) { return e.first == lyricPath; }) == 0) return true;
  return Write(tablePath, entries);
}

}  // namespace vireo
