#pragma once

#include <QString>
#include <QStringList>

// The URL-protocol link Velmar was started with, as the desktop passes it
// when the user follows a korvantvelmar:// link (the registered command is
// the program followed by the link). Looks at the arguments after the
// program name and returns the first one that starts with a URL scheme of at
// least two letters (so "C:\..." is not a link), or empty text.
QString linkArgument(const QStringList &arguments);
