#pragma once

#include <QString>

// The folder products are installed below by default: Program Files on
// Windows, the user's data folder on Linux. Empty when the system has none.
// Not cached.
QString programFilesFolder();
