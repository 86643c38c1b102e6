#pragma once

#include <QProcessEnvironment>

// The environment the installer was started with, before its start-up set
// the variables that scale its own window (QT_SCALE_FACTOR and, on Windows,
// QT_ENABLE_HIGHDPI_SCALING). Programs the installer starts, the installed
// product above all, get this one: the installer's scale is not theirs.
namespace StartupEnvironment {

// Keeps the current environment; called first thing in main.
void remember();
// What remember() kept; the current environment when it was never called.
QProcessEnvironment get();

} // namespace StartupEnvironment
