#pragma once

// Turns off the animated tooltips. Only takes effect once the application
// object exists: its construction sets the effects from the desktop's theme,
// overwriting anything set before.
void disableUiEffects();
