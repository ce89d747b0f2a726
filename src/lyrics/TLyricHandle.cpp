#include "lyrics/TLyricHandle.h"

#include <QByteArray>
#include <algorithm>
#include <climits>
#include <array>
#include <optional>
#include <unordered_map>
#include <vector>

#include "base/TextUtil.h"

namespace vireo {
namespace {

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

// The time text of a tag as the scanner collects it, kept to what the item is built from: the
// leading "-", the first four fields with the separator after each, and the last four digits of
// each field (enough to tell a three-digit fraction from longer runs). A fraction left open
// makes the scan go on inside the same bracket and keep adding to the text, so without this a
// long run of such brackets would give every tag a text as long as the run.
class TimeText {
 public:
  void Clear() {
    text_.clear();
    separators_ = 0;
    run_ = 0;
  }
  bool Frozen() const { return separators_ >= 4; }
  const QByteArray& Bytes() const { return text_; }
  void Append(char c) {
    if (Frozen()) return;
    if (c == '-' && text_.isEmpty()) {
      text_.append(c);
      return;
    }
    if (c >= '0' && c <= '9') {
      if (run_ == 4)
        text_.remove(text_.size() - 4, 1);
      else
        ++run_;
      text_.append(c);
      return;
    }
    text_.append(c);
    run_ = 0;
    ++separators_;
  }
  void AppendDigits(QByteArrayView digits) {
    if (Frozen()) return;
    for (char c : digits.last(std::min<qsizetype>(digits.size(), 4))) Append(c);
  }

 private:
  QByteArray text_;
  int separators_ = 0;
  int run_ = 0;  // digits of the field being read, at most 4
};

}  // namespace

TLyricItem TLyricHandle::MakeItem(QByteArrayView timeText, const QString& line) {
  bool negative = false;
  if (!timeText.isEmpty() && timeText[0] == '-') {
    negative = true;
    timeText = timeText.sliced(1);
  }
  std::array<QByteArray, 4> fields;
  int count = 0;
  char separator = 0;
  qsizetype i = 0;
  while (count < 4) {
    const qsizetype start = i;
    while (i < timeText.size() && ClassOf(timeText[i]) == ByteClass::Digit) ++i;
    QByteArrayView field = timeText.sliced(start, i - start);
    // A field keeps its last two digits, except a fraction of exactly three: milliseconds, as
    // most lyric editors write them today (see below).
    if (field.size() > 3) field = field.last(2);
    fields[count++] = field.toByteArray();
    if (i >= timeText.size()) break;
    separator = timeText[i];
    ++i;
  }
  for (int k = 0; k < count; ++k)
    if (fields[k].size() == 3 && !(separator == '.' && k == count - 1 && k > 0))
      fields[k] = fields[k].last(2);
  auto num = [&](int k) { return fields[k].toInt(); };
  auto txt = [&](int k) { return QString::fromLatin1(fields[k]); };
  // The fraction in milliseconds: hundredths for one or two digits, thousandths for three.
  auto frac = [&](int k) { return fields[k].size() == 3 ? num(k) : num(k) * 10; };

  TLyricItem item;
  item.Text = line;
  qint64 ms = 0;
  // Shapes outside the usual ones only come from broken tags; they are read as the nearest one.
  if (separator == '.') {
    switch (count) {
      case 4:
        item.TimeText = txt(0) + u':' + txt(1) + u':' + txt(2) + u'.' + txt(3);
        ms = frac(3) + num(2) * 1000 + num(1) * 60000 + qint64(num(0)) * 3600000;
        break;
      case 3:
        item.TimeText = txt(0) + u':' + txt(1) + u'.' + txt(2);
        ms = frac(2) + num(1) * 1000 + num(0) * 60000;
        break;
      case 2:
        item.TimeText = txt(0) + u'.' + txt(1);
        ms = frac(1) + num(0) * 1000;
        break;
      default:
        item.TimeText = txt(0);
        ms = num(0) * 1000;
        break;
    }
  } else {
    switch (count) {
      case 4:
      case 3:
        item.TimeText = txt(0) + u':' + txt(1) + u':' + txt(2);
        ms = num(2) * 1000 + num(1) * 60000 + qint64(num(0)) * 3600000;
        break;
      case 2:
        item.TimeText = txt(0) + u':' + txt(1);
        ms = num(1) * 1000 + num(0) * 60000;
        break;
      default:
        item.TimeText = txt(0);
        ms = num(0) * 1000;
        break;
    }
  }
  if (negative) {
    ms = -ms;
    if (ms != 0) item.TimeText.prepend(u'-');
  }
  item.Time = static_cast<qint32>(ms);  // at most 99:99:99.999, well inside 32 bits
  return item;
}

namespace {

// Karaoke-style files time every word with tags like <00:02.50> inside the line; they are not
// text to show. Only the exact shape <digits:digits> or <digits:digits.digits> (or ':' before
// the last field) is a word tag, so a line such as "<3 you" or "a <b> c" stays as it is. The
// tags found go to tags (where each stood in the result before trimming, and its time text).
QByteArray StripWordTimes(const QByteArray& line,
                          std::vector<std::pair<qsizetype, QByteArray>>* tags) {
  if (!line.contains('<')) return line;
  auto digits = [&](qsizetype& i) {
    const qsizetype from = i;
    while (i < line.size() && line[i] >= '0' && line[i] <= '9') ++i;
    return i > from;
  };
  QByteArray out;
  out.reserve(line.size());
  qsizetype copied = 0;
  for (qsizetype at = line.indexOf('<'); at >= 0; at = line.indexOf('<', at)) {
    qsizetype i = at + 1;
    bool tag = digits(i) && i < line.size() && line[i] == ':' && digits(++i);
    if (tag && i < line.size() && (line[i] == '.' || line[i] == ':')) tag = digits(++i);
    tag = tag && i < line.size() && line[i] == '>';
    if (!tag) {
      ++at;
      continue;
    }
    out.append(QByteArrayView(line).sliced(copied, at - copied));
    if (tags) tags->emplace_back(out.size(), line.mid(at + 1, i - at - 1));
    copied = at = i + 1;
  }
  if (copied == 0) return line;
  out.append(QByteArrayView(line).sliced(copied));
  return out;
}

}  // namespace

QByteArray TLyricHandle::WithoutWordTimes(const QByteArray& line) {
  QByteArray out = StripWordTimes(line, nullptr);
  return out.size() == line.size() ? out : TrimBytes(out);
}

QString TLyricHandle::LineWithWords(const QByteArray& line, QList<TLyricWord>* words) {
  std::vector<std::pair<qsizetype, QByteArray>> tags;
  const QByteArray stripped = StripWordTimes(line, words ? &tags : nullptr);
  if (tags.empty()) return QString::fromUtf8(stripped.size() == line.size() ? stripped
                                                                            : TrimBytes(stripped));
  // The positions are those of the untrimmed bytes; the text shown is trimmed.
  qsizetype lead = 0;
  while (lead < stripped.size() && static_cast<unsigned char>(stripped[lead]) <= 0x20) ++lead;
  const QByteArray trimmed = TrimBytes(stripped);
  const QString text = QString::fromUtf8(trimmed);
  qsizetype bytesDone = 0, charsDone = 0;
  for (const auto& [at, timeText] : tags) {
    const qsizetype b = std::clamp<qsizetype>(at - lead, 0, trimmed.size());
    if (b > bytesDone) {
      charsDone += QString::fromUtf8(QByteArrayView(trimmed).sliced(bytesDone, b - bytesDone)).size();
      bytesDone = b;
    }
    TLyricWord word;
    word.Time = MakeItem(timeText, QString()).Time;
    word.Pos = qint32(std::min<qsizetype>(charsDone, text.size()));
    words->append(word);
  }
  return text;
}

namespace {

// First position at or after from (1-based) in a sorted list of positions, or 0.
qsizetype NextIn(const std::vector<qsizetype>& positions, qsizetype from) {
  const auto it = std::lower_bound(positions.begin(), positions.end(), from);
  return it == positions.end() ? 0 : *it;
}

// The scanner over one trimmed text. Positions are 1-based; 0 means "none".
//
// It follows the rules byte for byte, with one addition that keeps it linear on any input: the
// way a search goes on from a given byte inside a bracket (the tag it completes, or that it gives
// up on the bracket) depends on nothing but that byte's position, so it is remembered for every
// position a search passed. A later bracket whose search reaches a remembered position takes the
// remembered way at once instead of reading the same bytes again; it only reads on for as long
// as its own time text still grows (a few fields at most).
class Scanner {
 public:
  Scanner(const QByteArray& text, QList<TLyricItem>& items, TLRCInfo& info)
      : s_(text), len_(text.size()), items_(items), info_(info) {
    for (qsizetype i = 0; i < len_; ++i) {
      if (s_[i] == '\r')
        crs_.push_back(i + 1);
      else if (s_[i] == ']')
        closes_.push_back(i + 1);
    }
  }

  void Run() {
    qsizetype previousEnd = 0;
    QList<QByteArray> pending;
    while (FindNextTag()) {
      if (!pending.isEmpty()) {
        if (timeTag_ && bracketPos_ == previousEnd + 1) {
          pending.append(tagText_.Bytes());
        } else {
          Emit(pending, LineText(previousEnd, bracketPos_));
          pending.clear();
        }
      }
      if (timeTag_ && pending.isEmpty()) pending.append(tagText_.Bytes());
      previousEnd = tagEnd_;
    }
    if (!pending.isEmpty()) Emit(pending, LineText(previousEnd, 0));
    StoreHeaders();
  }

 private:
  struct Token {
    ByteClass cls = ByteClass::Filler;  // Filler: no token (end of text)
    qsizetype start = 0;
    qsizetype length = 0;
  };

  // How a search that stood at a position went on.
  struct Outcome {
    enum Kind { GaveUp, TimeDone, HeaderDone } kind = GaveUp;
    qsizetype end = 0;  // the "]" that closed the tag
    HeaderTag header = HeaderTag::Title;
    qsizetype valueStart = 0, valueEnd = 0;  // the header's value, trimmed
    qsizetype at = 0;                         // where the header's name starts
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

  void SkipToNextBracket() {
    timeTag_ = false;
    tagText_.Clear();
    gaveUp_ = true;
    const qsizetype idx = bracketPos_ < len_ ? s_.indexOf('[', bracketPos_) : -1;
    bracketPos_ = idx >= 0 ? idx + 1 : 0;
    if (bracketPos_ != 0) pos_ = bracketPos_ + 1;
  }

  // Every position the search of this bracket passed goes on as this one did.
  void Remember(const Outcome& outcome) {
    for (qsizetype p : passed_) known_.emplace(p, outcome);
    passed_.clear();
  }

  bool FindNextTag() {
    SkipToNextBracket();
    passed_.clear();
    bool found = false;
    while (!found && bracketPos_ != 0 && len_ - bracketPos_ >= 5 && pos_ < len_) {
      gaveUp_ = false;
      const auto known = known_.find(pos_);
      if (known != known_.end()) {
        const Outcome o = known->second;
        if (o.kind == Outcome::GaveUp) {
          Remember(o);
          SkipToNextBracket();
          passed_.clear();
          continue;
        }
        // The rest of the way adds nothing to the tag's text: it is complete already, or the
        // header tag stands right here (time attempts before it would add to the text).
        if (tagText_.Frozen() || (o.kind == Outcome::HeaderDone && o.at == pos_)) {
          Remember(o);
          if (o.kind == Outcome::TimeDone) {
            timeTag_ = true;
            tagEnd_ = o.end;
            pos_ = o.end + 1;
          } else {
            headers_[int(o.header)] = {o.valueStart, o.valueEnd};
            if (o.header == HeaderTag::Offset) StoreOffset(o.valueStart, o.valueEnd);
            pos_ = o.end;
          }
          return true;
        }
      } else {
        passed_.push_back(pos_);
      }
      const unsigned char c = At(pos_);
      const ByteClass cls = ClassOf(c);
      if (cls == ByteClass::Digit || c == '-') {
        found = TimeTagAttempt();
        if (found) Remember({Outcome::TimeDone, tagEnd_});
      } else if (cls == ByteClass::Letter) {
        Outcome header;
        found = HeaderTagAttempt(header);
        if (found)
          Remember(header);
        else
          SkipToNextBracket();
      } else {
        SkipToNextBracket();
      }
      if (gaveUp_) {
        Remember({});
        passed_.clear();
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
    tagText_.AppendDigits(QByteArrayView(s_).sliced(t.start - 1, t.length));
    return true;
  }

  bool Complete(const Token& closing) {
    tagEnd_ = closing.start;
    return true;
  }

  bool TimeTagAttempt() {
    timeTag_ = true;
    if (At(pos_) == '-') {
      tagText_.Append('-');
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
        tagText_.Append(':');
        continue;
      }
      SkipToNextBracket();
      return false;
    }
    // The fraction.
    tagText_.Append('.');
    if (!Number()) return false;
    const Token closing = ReadToken();
    if (TokenIs(closing, ']')) return Complete(closing);
    // Not closed: the search goes on from here, inside the same bracket, with the tag text kept.
    return false;
  }

  bool HeaderTagAttempt(Outcome& outcome) {
    const qsizetype start = pos_;
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
      const qsizetype p = NextIn(closes_, pos_);
      if (p == 0) continue;
      const qsizetype c = NextIn(crs_, pos_);
      const qsizetype end = (c > 0 && c < p) ? c : p;
      // The value's bytes, trimmed; only the last value of each name is ever kept as text.
      qsizetype from = pos_, to = end;
      while (from < to && At(from) <= 0x20) ++from;
      to = TrimmedEnd(from, to);
      outcome = {Outcome::HeaderDone, p, name.tag, from, to, start};
      headers_[int(name.tag)] = {from, to};
      if (name.tag == HeaderTag::Offset) StoreOffset(from, to);
      pos_ = p;
      return true;
    }
    return false;
  }

  // Where the value [from, to) ends without its trailing blanks. Values of different tags may
  // share their end; the answer for the last end is kept so that a long blank run before it is
  // walked once.
  qsizetype TrimmedEnd(qsizetype from, qsizetype to) {
    if (to == trimmedFor_ && trimmedTo_ >= from) return trimmedTo_;
    qsizetype t = to;
    while (t > from && At(t - 1) <= 0x20) --t;
    trimmedFor_ = to;
    trimmedTo_ = t;
    return t;
  }

  void StoreOffset(qsizetype from, qsizetype to) {
    if (const auto v = ToInt32(QByteArrayView(s_).sliced(from - 1, to - from))) info_.Offset = *v;
  }

  void StoreHeaders() {
    auto text = [&](HeaderTag tag) {
      const auto [from, to] = headers_[int(tag)];
      return from == 0 ? QString()
                       : QString::fromUtf8(QByteArrayView(s_).sliced(from - 1, to - from));
    };
    info_.Title = text(HeaderTag::Title);
    info_.Artist = text(HeaderTag::Artist);
    info_.Album = text(HeaderTag::Album);
    info_.By = text(HeaderTag::By);
    info_.Language = text(HeaderTag::Language);
  }

  // The text of a line that starts after previousEnd and ends at the first carriage return from
  // there, or at limit ("[" of the next tag; 0 for the end of the text), whichever comes first.
  struct Line {
    QString text;
    QList<TLyricWord> words;
  };
  Line LineText(qsizetype previousEnd, qsizetype limit) {
    const qsizetype c = NextIn(crs_, std::max<qsizetype>(previousEnd, 1));
    qsizetype end = limit == 0 ? len_ + 1 : limit;
    if (c > 0 && c < end) end = c;
    const qsizetype start = previousEnd + 1;
    if (end <= start) return {};
    Line line;
    line.text = TLyricHandle::LineWithWords(
        TrimBytes(QByteArrayView(s_).sliced(start - 1, end - start)), &line.words);
    return line;
  }

  // Word times are written for the first time tag of a line; a line sung again at a later tag
  // has its words move along with it.
  void Emit(const QList<QByteArray>& times, const Line& line) {
    qint32 first = 0;
    for (qsizetype k = 0; k < times.size(); ++k) {
      TLyricItem item = TLyricHandle::MakeItem(times[k], line.text);
      if (k == 0) first = item.Time;
      item.Words = line.words;
      const qint64 shift = qint64(item.Time) - first;
      if (shift != 0)
        for (TLyricWord& w : item.Words) w.Time = qint32(std::clamp<qint64>(w.Time + shift, INT32_MIN, INT32_MAX));
      items_.append(std::move(item));
    }
  }

  const QByteArray& s_;
  const qsizetype len_;
  QList<TLyricItem>& items_;
  TLRCInfo& info_;
  std::vector<qsizetype> crs_, closes_;  // positions of every "\r" and "]"
  qsizetype pos_ = 1;
  qsizetype bracketPos_ = 0;
  qsizetype tagEnd_ = 0;
  bool timeTag_ = false;
  bool gaveUp_ = false;  // the bracket was abandoned since the flag was last cleared
  TimeText tagText_;
  std::vector<qsizetype> passed_;  // positions this bracket's search stood at, not yet known
  std::unordered_map<qsizetype, Outcome> known_;
  // The last value of each header name, as a byte range ({0, 0}: none).
  std::pair<qsizetype, qsizetype> headers_[6] = {};
  qsizetype trimmedFor_ = 0, trimmedTo_ = 0;
};

}  // namespace

void TLyricHandle::Clear() {
  items_.clear();
  info_ = TLRCInfo{};
}

TLyricItem TLyricHandle::GetItem(qint32 index) const {
  if (index < 0 || index >= items_.size()) return {};
  return items_[index];
}

void TLyricHandle::Insert(qint32 index, const TLyricItem& item) {
  items_.insert(std::clamp<qsizetype>(index, 0, items_.size()), item);
}

void TLyricHandle::Delete(qint32 index) {
  if (index >= 0 && index < items_.size()) items_.removeAt(index);
}

void TLyricHandle::Sort() {
  if (items_.size() < 2) return;
  std::stable_sort(items_.begin(), items_.end(),
                   [](const TLyricItem& a, const TLyricItem& b) { return a.Time < b.Time; });
}

void TLyricHandle::GroupTranslations() {
  if (items_.size() < 2) return;
  QList<TLyricItem> grouped;
  grouped.reserve(items_.size());
  for (TLyricItem& item : items_) {
    if (!grouped.isEmpty() && grouped.last().Time == item.Time) {
      if (!item.Text.isEmpty()) grouped.last().Translations.append(item.Text);
      continue;
    }
    grouped.append(std::move(item));
  }
  items_ = std::move(grouped);
}

bool TLyricHandle::HasWordTimes() const {
  return std::any_of(items_.begin(), items_.end(),
                     [](const TLyricItem& it) { return !it.Words.isEmpty(); });
}

bool TLyricHandle::HasTranslations() const {
  return std::any_of(items_.begin(), items_.end(),
                     [](const TLyricItem& it) { return !it.Translations.isEmpty(); });
}

void TLyricHandle::Parse(const QString& text) {
  ParseUtf8(text.toUtf8());
}

void TLyricHandle::ParseUtf8(QByteArrayView utf8) {
  Clear();
  const QByteArray text = TrimBytes(utf8);
  if (text.size() <= 3) return;
  Scanner(text, items_, info_).Run();
}

}  // namespace vireo
