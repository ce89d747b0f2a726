#pragma once

#include <QByteArray>
#include <QtGlobal>

namespace vireo {

// What travels over the player's local socket (docs/REMOTE.md is the user's description).
// A request is a frame: kind (signed 32-bit), payload length (unsigned 32-bit), payload, both
// numbers little-endian. Every request is answered with one signed 32-bit little-endian integer.
namespace instance {

inline constexpr qint32 kInfoUpdate = 1806;        // show and restore (wParam 99)
inline constexpr qint32 kCommandPlay = 1807;       // remote control: wParam command, lParam 0
inline constexpr qint32 kCopyDataArgs = 1812;      // a second start's arguments
inline constexpr qint32 kCopyDataActivate = 1813;  // a second start without arguments
inline constexpr qint32 kCopyDataLinks = 1814;     // library links separated by ";"

inline constexpr int kHeaderSize = 8;
// Far above any command line; a peer announcing more is not one of ours and is dropped.
inline constexpr quint32 kMaxPayload = 1u << 20;

inline void AppendInt32(QByteArray& out, qint32 value) {
  const auto v = static_cast<quint32>(value);
  for (int shift = 0; shift < 32; shift += 8) out.append(static_cast<char>((v >> shift) & 0xFF));
}

inline qint32 ReadInt32(const char* p) {
  quint32 v = 0;
  for (int i = 3; i >= 0; --i) v = (v << 8) | static_cast<unsigned char>(p[i]);
  return static_cast<qint32>(v);
}

inline QByteArray Frame(qint32 kind, const QByteArray& payload) {
  QByteArray out;
  out.reserve(kHeaderSize + payload.size());
  AppendInt32(out, kind);
  AppendInt32(out, static_cast<qint32>(payload.size()));
  out.append(payload);
  return out;
}

}  // namespace instance
}  // namespace vireo
