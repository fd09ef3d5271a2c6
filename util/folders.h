#pragma once
// Per-user folders. Paths use "/" and have no trailing separator.

#include <QString>

namespace tarsel {

// The user's documents folder; empty when the system names none.
QString GetDocumentsFolder();

// The user's roaming application-data folder (the generic configuration
// folder, ~/.config on Linux) plus "/tarselotomotiv". The subfolder is created
// when missing; the path is returned even when that fails (the later file
// access then reports the problem). Empty only when the system names no
// configuration folder at all.
QString GetAppDataFolder();

// The user's local (non-roaming) application-data folder (~/.local/share on
// Linux); empty when unavailable.
QString GetLocalAppDataFolder();

// Name of the application's subfolder of the roaming folder.
inline constexpr const char *kAppDataSubfolder = "tarselotomotiv";

}  // namespace tarsel
