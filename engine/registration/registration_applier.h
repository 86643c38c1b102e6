#pragma once

#include "engine/registration/registration_plan.h"

#include <QString>

// Carries out the pieces of a registration plan on the system the program
// runs on: registration_applier_windows.cpp writes the registry and shell
// links, registration_applier_freedesktop.cpp desktop entries, mimeapps.list,
// a program link and an uninstall record. Every failed write is logged with
// qWarning naming what failed; the results only say whether it worked.
namespace RegistrationApplier {

bool applyUrlProtocol(const UrlProtocolRegistration &protocol);
bool applyApplicationPath(const ApplicationPathRegistration &applicationPath);
bool applyUninstallEntry(const UninstallRegistration &uninstall);

// Writes one shortcut file at linkPath (its folder must exist).
bool writeShortcut(const QString &linkPath, const Shortcut &shortcut);

// The folder a place stands for; empty when the system does not name one.
QString folderOf(ShortcutPlace place);

// ".lnk" or ".desktop": what the system needs to treat a file as a shortcut.
QString shortcutEnding();

} // namespace RegistrationApplier
