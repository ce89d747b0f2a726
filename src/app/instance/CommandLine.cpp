#include "app/instance/CommandLine.h"

#include <QFileInfo>
#include <QUrl>

#include "base/TextUtil.h"
#include "library/LibraryLink.h"

namespace vireo {
namespace {

QString TrimRight(const QString& text) {
  qsizetype e = text.size();
  while (e > 0 && text[e - 1].unicode() <= 0x20) --e;
  return text.left(e);
}

}  // namespace

QStringList CommandLine::LocalArguments(const QStringList& args) {
  QStringList out = args;
  for (qsizetype i = 1; i < out.size(); ++i) {
    // The text after "-f" is a search or a list of links, never a file.
    if (out[i - 1].compare(QLatin1String("-f"), Qt::CaseInsensitive) == 0) continue;
    if (out[i].startsWith(QLatin1String("file://"), Qt::CaseInsensitive)) {
      const QString path = QUrl(out[i]).toLocalFile();
      if (!path.isEmpty()) out[i] = path;
      continue;
    }
    // A file named relative to where this start was made: the running player, which lives in
    // another folder, gets its whole path (and so does the tag reader of this one).
    const QFileInfo file(out[i]);
    if (!out[i].isEmpty() && !out[i].startsWith(u'-') && !out[i].contains(QLatin1String("://")) &&
        file.isRelative() && file.isFile())
      out[i] = file.absoluteFilePath();
  }
  return out;
}

QString CommandLine::RawFromArguments(const QStringList& args) {
  QString raw;
  for (qsizetype i = 0; i < args.size(); ++i) {
    const QString& a = args[i];
    const bool quote =
        a.isEmpty() || a.contains(u' ') || a.contains(u'\t') || (i == 1 && args.size() == 2);
    if (i > 0) raw += u' ';
    raw += quote ? u'"' + a + u'"' : a;
  }
  return raw;
}

CommandAction CommandLine::FirstStart(const QStringList& args) {
  return FirstStart(RawFromArguments(args), int(std::max<qsizetype>(args.size() - 1, 0)));
}

CommandAction CommandLine::FirstStart(const QString& raw, int argCount) {
  // The program's own path, then the blanks after it.
  qsizetype i = 0;
  if (raw.startsWith(u'"')) {
    const qsizetype close = raw.indexOf(u'"', 1);
    i = close < 0 ? raw.size() : close + 1;
  } else {
    while (i < raw.size() && raw[i].unicode() > 32) ++i;
  }
  while (i < raw.size() && raw[i].unicode() >= 1 && raw[i].unicode() <= 32) ++i;
  if (argCount <= 0) return {};
  const QString rest = TrimRight(raw.mid(i));

  CommandAction action;
  if (rest.size() >= 2 && rest.right(5).toLower() == QLatin1String("._pl\"")) {
    action.kind = CommandAction::RemoteListFile;  // a quoted web playlist file
    action.text = rest.mid(1).chopped(1);
    return action;
  }
  if (rest.left(3).toLower() == QLatin1String("\"-f")) {
    // "-f <link>/": without the quote, the letters and the blank, the slash and the quote.
    action.kind = CommandAction::Search;
    const QString tail = rest.mid(4);
    action.text = tail.size() > 2 ? tail.chopped(2) : QString();
    return action;
  }
  QString text = rest;
  if (text.startsWith(u'"')) text.remove(0, 1);
  if (text.endsWith(u'"')) text.chop(1);
  if (text.isEmpty()) return {};  // an empty argument names nothing to open
  action.kind = CommandAction::OpenItem;
  action.text = text;
  const CommandItem item = Classify(text);
  // A link that only adds its track is played as well at the first start, once.
  action.playLastEntry = item.kind == CommandItem::Link && !LibraryLink::Parse(item.text).IsPlay();
  return action;
}

CommandAction CommandLine::Forwarded(const QStringList& list, int last) {
  if (last <= 0) return {};
  QString joined;
  for (int k = 1; k <= last && k < list.size(); ++k) joined += u' ' + list[k];
  const QString text = TrimText(joined);
  if (text.isEmpty()) return {};
  CommandAction action;
  if (text.left(2).toLower() == QLatin1String("-f")) {
    action.kind = CommandAction::LinkList;
    action.text = text.mid(3);
  } else {
    action.kind = CommandAction::OpenItem;
    action.text = text;
  }
  return action;
}

QList<CommandAction> CommandLine::ForBatch(const ForwardedBatch& batch) {
  QList<CommandAction> out;
  bool played = false;
  for (const QStringList& sender : batch.senders) {
    CommandAction action = Forwarded(QStringList{QString()} + sender, int(sender.size()));
    if (action.kind == CommandAction::None) continue;
    if (action.kind == CommandAction::OpenItem) {
      action.play = !played;
      played = true;
    }
    out.append(action);
  }
  return out;
}

CommandItem CommandLine::Classify(const QString& text) {
  if (!text.startsWith(QLatin1String("vireo"), Qt::CaseSensitive))
    return {CommandItem::LocalFile, text};
  const QString link = LibraryLink::WithoutTrailingSlash(text);
  // A search link handed to a running player (a browser's click, through the scheme handler)
  // searches; read as a track it would add an entry named after the keyword.
  if (link.endsWith(QLatin1String("SH"))) return {CommandItem::SearchLink, link};
  return {CommandItem::Link, link};
}

}  // namespace vireo
