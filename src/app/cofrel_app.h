#pragma once

namespace cofrel {

// Start-up: module initialisation, the single-instance guard, the windows
// created once, the login, and the main window's message loop.
int runCofrel(int argc, char *argv[]);

// Creates the data module and every window once, in start-up order, and
// records them in forms(). Needs a QApplication and loginContext().AppDir.
void createForms();
// Destroys them in reverse order and clears forms().
void destroyForms();

} // namespace cofrel
