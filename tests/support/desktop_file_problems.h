#pragma once

#include <QString>

// Runs freedesktop's desktop-file-validate on path: its errors and warnings
// (hints do not count), empty when it has none.
QString desktopFileProblems(const QString &path);
