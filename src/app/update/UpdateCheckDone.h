#pragma once

#include "net/TCheckUPDate.h"

namespace vireo {

class ILibraryHost;
class TPetrelShare;

// What the main window does when the update check has ended (TCheckUPDate's done handler, UI
// thread): ServiceReachable := Online; when the service answered, the library window opens the
// service's start page ("/index_sh.asp") and, with showLibraryOnline, is shown at the main
// window's right edge (as the library button does, unless it is already visible); when a signed
// newer installer is offered, the update dialog opens (application-modal, not blocking) and
// downloads it. Once it has closed, the main window is closed (host.Close()) unless the installer
// was refused because its signature did not verify; then the player keeps running.
// Returns the dialog, or null when there is no update (the dialog deletes itself when closed).
class TPetrelUpdate;
TPetrelUpdate* UpdateCheckDone(ILibraryHost& host, TPetrelShare& share,
                               const UpdateCheckResult& result, bool showLibraryOnline = true);

}  // namespace vireo
