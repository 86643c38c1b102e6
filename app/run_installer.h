#pragma once

class Application;

// Installs translations and styles, shows the main window and runs the
// event loop; returns the loop's result.
int runInstaller(Application &app);
