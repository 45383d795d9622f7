#pragma once

// A pass-through SQLite VFS over the system's own that counts every step
// that changes something on disk (a file created, written, truncated,
// synced or deleted) and, when armed, kills the process with SIGKILL just
// before a chosen step. Killing before step K for every K in turn leaves the
// files in each state a crash inside that work can leave them in.
namespace cofrel::crashwriter {

// Becomes the default VFS of the process; call before any connection opens.
void instalaVfsContador();

// Counts from zero; with \a morreNoPasso > 0 the process dies just before
// that step. 0 only counts.
void armaContador(int morreNoPasso);
// Stops counting (and killing); returns the steps counted since armed.
int desarmaContador();

} // namespace cofrel::crashwriter
