// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

// The user's folders, looked up afresh on every call (the XDG user-dirs file may change).
namespace StandardFolders {
QString desktop();            // XDG_DESKTOP_DIR, else $HOME/Desktop
QString documents();          // XDG_DOCUMENTS_DIR, else $HOME/Documents
QString applicationSupport(); // $XDG_DATA_HOME/Quillmere
QString configFolder();       // $XDG_CONFIG_HOME/Quillmere
QString stateFolder();        // $XDG_STATE_HOME/Quillmere: what Quillmere did, such as its journal
QString userDirsFile();       // $XDG_CONFIG_HOME/user-dirs.dirs: where the user folders are named
QString autostartFolder();    // $XDG_CONFIG_HOME/autostart: programs started at login
QString crashReports();       // $XDG_STATE_HOME/Quillmere/crashes
QString cacheFolder();        // $XDG_CACHE_HOME/Quillmere
} // namespace StandardFolders
