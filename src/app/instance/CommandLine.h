#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include "app/instance/ForwardedBatch.h"

namespace vireo {

// What a command line, or what later starts forwarded, asks the main window to do.
struct CommandAction {
  enum Kind {
    None,
    RemoteListFile,  // read the web playlist file `text` and add its tracks (AddRemoteList)
    Search,          // SearchFromLink(text)
    OpenItem,        // OpenCommandItem(text)
    LinkList,        // AddLinkList(text)
  };
  Kind kind = None;
  QString text;
  // OpenItem at the first start: text is a library link that does not start playing by itself,
  // so afterwards the playlist's last entry becomes current and is played.
  bool playLastEntry = false;
  // OpenItem: a local file is played once added. False for the later files of a batch naming
  // several, which are only added (the first one plays).
  bool play = true;
};

// What OpenCommandItem does with one text.
struct CommandItem {
  enum Kind {
    LocalFile,  // AddLocalEntry(text), make it current, play it
    Link,       // AddLibraryLink(text): text is the link without a trailing "/"
    SearchLink  // SearchFromLink(text): a search link only searches, it adds no entry
  };
  Kind kind = LocalFile;
  QString text;
};

// The start-up command line rules, as pure functions.
class CommandLine {
 public:
  // Arguments as a launcher hands them over, with "file://" addresses (what file managers pass
  // for %u) turned into local paths. args[0] (the program) is kept as it is.
  static QStringList LocalArguments(const QStringList& args);

  // This platform has no raw command line; the rules below were made for one. It is rebuilt as
  // the program would have seen it when started by its registered open command: arguments joined
  // by single blanks, each one quoted when it holds a blank or tab, is empty, or is the only
  // argument (the registered command quoted its one file). Quotes inside are left alone.
  static QString RawFromArguments(const QStringList& args);

  // The first start: what its own command line names. argCount is the number of arguments
  // after the program; 0 means nothing to do whatever the text holds.
  static CommandAction FirstStart(const QString& raw, int argCount);
  static CommandAction FirstStart(const QStringList& args);

  // HandleForwardedArgs: slots 1 .. last of list joined, each after one blank, trimmed; "-f"
  // (any case) at the start makes the rest after three characters a link list.
  static CommandAction Forwarded(const QStringList& list, int last);

  // A batch from the instance server: one action per sender, in arrival order, each sender's
  // arguments read as above. Of several files only the first plays; the others are added.
  static QList<CommandAction> ForBatch(const ForwardedBatch& batch);

  // OpenCommandItem's choice: "vireo" at the start (with case) makes text a library link.
  static CommandItem Classify(const QString& text);
};

}  // namespace vireo
