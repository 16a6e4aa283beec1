#pragma once

class QCoreApplication;

// Makes SIGTERM and SIGINT end the program's event loop instead of the
// process, so that what the program holds outside itself is given back on the
// way out: router mappings removed, listings withdrawn, connections closed.
// The handler only writes a byte to a pipe; the loop does the rest. Call once,
// after the application object exists. SIGPIPE is ignored as well: a peer that
// vanished is seen as a failed write, not as the end of the process.
void quitOnTerminationSignals(QCoreApplication &app);
