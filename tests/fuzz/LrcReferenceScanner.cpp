#include "LrcReferenceScanner.h"

#include <QByteArray>
#include <algorithm>
#include <array>
#include <optional>

#include "base/TextUtil.h"
#include "lyrics/TLyricHandle.h"

namespace vireo::test {
namespace {

// The scanner's rules followed literally, one search per bracket from its own start, without
// the remembered outcomes that keep the player's scanner linear. Slow on hostile input (the
// callers keep inputs short), and simple enough to be read against the rules.

enum class ByteClass { Digit, Letter, Sign, Filler };

ByteClass ClassOf(unsigned char c) {
  if (c >= '0' && c <= '9') return ByteClass::Digit;
  if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z')) return ByteClass::Letter;
  if ((c >= 0x21 && c <= 0x2F) || (c >= 0x3A && c <= 0x40) || (c >= 0x5B && c <= 0x60) ||
      (c >= 0x7B && c <= 0x7E))
    return ByteClass::Sign;
  return ByteClass::Filler;
}

enum class HeaderTag { Title, Artist, Album, By, Language, Offset };

struct TagName {
  const char* name;
  qsizetype length;
  HeaderTag tag;
};

// The order is the order of comparison.
constexpr std::array<TagName, 6> kTagNames = {{{"ti", 2, HeaderTag::Title},
                                               {"ar", 2, HeaderTag::Artist},
                                               {"al", 2, HeaderTag::Album},
                                               {"by", 2, HeaderTag::By},
                                               {"la", 2, HeaderTag::Language},
                                               {"offset", 6, HeaderTag::Offset}}};

// "+500", "-300", "500"; nothing else, and only values that fit 32 bits.
std::optional<qint32> ToInt32(QByteArrayView text) {
  if (text.isEmpty()) return std::nullopt;
  qsizetype i = 0;
  bool negative = false;
  if (text[0] == '+' || text[0] == '-') {
    negative = text[0] == '-';
    i = 1;
  }
  if (i >= text.size()) return std::nullopt;
  qint64 value = 0;
  for (; i < text.size(); ++i) {
    if (text[i] < '0' || text[i] > '9') return std::nullopt;
    value = value * 10 + (text[i] - '0');
    if (value > qint64(1) << 31) return std::nullopt;
  }
  if (negative) value = -value;
  if (value < INT32_MIN || value > INT32_MAX) return std::nullopt;
  return static_cast<qint32>(value);
}

// The scanner over one trimmed text. Positions are 1-based; 0 means "none".
class Scanner {
 public:
  Scanner(const QByteArray& text, QList<TLyricItem>& items, TLRCInfo& info)
      : s_(text), len_(text.size()), items_(items), info_(info) {}

  void Run() {
    qsizetype previousEnd = 0;
    QList<QByteArray> pending;
    while (FindNextTag()) {
      if (!pending.isEmpty()) {
        if (timeTag_ && bracketPos_ == previousEnd + 1) {
          pending.append(tagText_);
        } else {
          Emit(pending, LineText(previousEnd, bracketPos_));
          pending.clear();
        }
      }
      if (timeTag_ && pending.isEmpty()) pending.append(tagText_);
      previousEnd = tagEnd_;
    }
    if (!pending.isEmpty()) Emit(pending, LineText(previousEnd, 0));
  }

 private:
  struct Token {
    ByteClass cls = ByteClass::Filler;  // Filler: no token (end of text)
    qsizetype start = 0;
    qsizetype length = 0;
  };

  unsigned char At(qsizetype p) const { return static_cast<unsigned char>(s_[p - 1]); }

  Token ReadToken() {
    while (pos_ <= len_ && ClassOf(At(pos_)) == ByteClass::Filler) ++pos_;
    if (pos_ > len_) return {};
    Token t;
    t.start = pos_;
    t.cls = ClassOf(At(pos_));
    ++pos_;
    if (t.cls != ByteClass::Sign) {
      // The last byte of the text never joins a run.
      while (pos_ < len_ && ClassOf(At(pos_)) == t.cls) ++pos_;
    }
    t.length = pos_ - t.start;
    return t;
  }
  bool TokenIs(const Token& t, char c) const {
    return t.cls == ByteClass::Sign && static_cast<char>(At(t.start)) == c;
  }

  // First position at or after from holding c, or 0. Both searches the scanner makes move
  // forward through the text, so the last answer is remembered: a file without carriage
  // returns (or with an unclosed header tag) is then not searched to its end once per line.
  struct Memo {
    qsizetype from = -1;
    qsizetype found = 0;
  };
  qsizetype Find(char c, qsizetype from, Memo& memo) const {
    if (from < 1) from = 1;
    if (memo.from >= 0 && from >= memo.from && (memo.found == 0 || memo.found >= from))
      return memo.found;
    qsizetype found = 0;
    const qsizetype idx = s_.indexOf(c, from - 1);
    if (idx >= 0) found = idx + 1;
    memo = {from, found};
    return found;
  }

  void SkipToNextBracket() {
    timeTag_ = false;
    tagText_.clear();
    const qsizetype idx = bracketPos_ < len_ ? s_.indexOf('[', bracketPos_) : -1;
    bracketPos_ = idx >= 0 ? idx + 1 : 0;
    if (bracketPos_ != 0) pos_ = bracketPos_ + 1;
  }

  bool FindNextTag() {
    SkipToNextBracket();
    bool found = false;
    while (!found && bracketPos_ != 0 && len_ - bracketPos_ >= 5 && pos_ < len_) {
      const unsigned char c = At(pos_);
      const ByteClass cls = ClassOf(c);
      if (cls == ByteClass::Digit || c == '-') {
        found = TimeTagAttempt();
      } else if (cls == ByteClass::Letter) {
        found = HeaderTagAttempt();
        if (!found) SkipToNextBracket();
      } else {
        SkipToNextBracket();
      }
    }
    if (!found) timeTag_ = false;
    return found;
  }

  // Reads a digit run into the tag text; anything else abandons the bracket.
  bool Number() {
    const Token t = ReadToken();
    if (t.cls != ByteClass::Digit) {
      SkipToNextBracket();
      return false;
    }
    tagText_.append(s_.constData() + t.start - 1, t.length);
    return true;
  }

  bool Complete(const Token& closing) {
    tagEnd_ = closing.start;
    return true;
  }

  bool TimeTagAttempt() {
    timeTag_ = true;
    if (At(pos_) == '-') {
      tagText_.append('-');
      ++pos_;
    }
    int colons = 0;
    for (;;) {
      if (!Number()) return false;
      const Token sep = ReadToken();
      if (TokenIs(sep, ']')) return Complete(sep);
      if (TokenIs(sep, '.')) break;
      if (TokenIs(sep, ':') && colons < 2) {
        ++colons;
        tagText_.append(':');
        continue;
      }
      SkipToNextBracket();
      return false;
    }
    // The fraction.
    tagText_.append('.');
    if (!Number()) return false;
    const Token closing = ReadToken();
    if (TokenIs(closing, ']')) return Complete(closing);
    // Not closed: the search goes on from here, inside the same bracket, with the tag text kept.
    return false;
  }

  bool HeaderTagAttempt() {
    const QByteArrayView two =
        QByteArrayView(s_).sliced(pos_ - 1, std::min<qsizetype>(2, len_ - pos_ + 1));
    const QByteArrayView six =
        QByteArrayView(s_).sliced(pos_ - 1, std::min<qsizetype>(6, len_ - pos_ + 1));
    for (const TagName& name : kTagNames) {
      const QByteArrayView candidate = name.length == 6 ? six : two;
      if (candidate.compare(QByteArrayView(name.name, name.length), Qt::CaseInsensitive) != 0)
        continue;
      pos_ += name.length;
      if (!TokenIs(ReadToken(), ':')) continue;
      const qsizetype p = Find(']', pos_, closeMemo_);
      if (p == 0) continue;
      const qsizetype c = Find('\r', pos_, crMemo_);
      const qsizetype end = (c > 0 && c < p) ? c : p;
      Store(name.tag, TrimBytes(QByteArrayView(s_).sliced(pos_ - 1, end - pos_)));
      pos_ = p;
      return true;
    }
    return false;
  }

  void Store(HeaderTag tag, const QByteArray& value) {
    switch (tag) {
      case HeaderTag::Title:
        info_.Title = QString::fromUtf8(value);
        break;
      case HeaderTag::Artist:
        info_.Artist = QString::fromUtf8(value);
        break;
      case HeaderTag::Album:
        info_.Album = QString::fromUtf8(value);
        break;
      case HeaderTag::By:
        info_.By = QString::fromUtf8(value);
        break;
      case HeaderTag::Language:
        info_.Language = QString::fromUtf8(value);
        break;
      case HeaderTag::Offset:
        if (const auto v = ToInt32(value)) info_.Offset = *v;
        break;
    }
  }

  // The text of a line that starts after previousEnd and ends at the first carriage return from
  // there, or at limit ("[" of the next tag; 0 for the end of the text), whichever comes first.
  QByteArray LineText(qsizetype previousEnd, qsizetype limit) {
    const qsizetype c = Find('\r', previousEnd, crMemo_);
    qsizetype end = limit == 0 ? len_ + 1 : limit;
    if (c > 0 && c < end) end = c;
    const qsizetype start = previousEnd + 1;
    if (end <= start) return {};
    return TrimBytes(QByteArrayView(s_).sliced(start - 1, end - start));
  }

  void Emit(const QList<QByteArray>& times, const QByteArray& line) {
    const QString text = QString::fromUtf8(TLyricHandle::WithoutWordTimes(line));
    for (const QByteArray& t : times) items_.append(TLyricHandle::MakeItem(t, text));
  }

  const QByteArray& s_;
  const qsizetype len_;
  QList<TLyricItem>& items_;
  TLRCInfo& info_;
  qsizetype pos_ = 1;
  qsizetype bracketPos_ = 0;
  qsizetype tagEnd_ = 0;
  bool timeTag_ = false;
  QByteArray tagText_;
  Memo crMemo_, closeMemo_;
};

}  // namespace

void ReferenceParse(QByteArrayView utf8, QList<TLyricItem>& items, TLRCInfo& info) {
  items.clear();
  info = TLRCInfo{};
  const QByteArray text = TrimBytes(utf8);
  if (text.size() <= 3) return;
  Scanner(text, items, info).Run();
}

}  // namespace vireo::test
