// The small files in /tmp through which the window talks to the daemon, and
// the name of the file the daemon answers in.
#pragma once

#include <QString>

// Paths are empty when the serial may not name a file (IsAcceptableSerial).
// "/tmp/ZR_<serial>.log", written by the daemon, read by the worker.
QString infoFilePath(const QString &serial);

// "/tmp/ZR_<serial>_UTIL": present while a window watches the printer.
QString watchFilePath(const QString &serial);

// "/tmp/ZR_<serial>_TC_UTIL": asks the daemon for a fresh print counter.
QString totalCountRequestPath(const QString &serial);

// Creates `path` empty with mode 0666 so that the daemon, running as another
// user, may delete it. /tmp is world-writable: a symlink planted under the
// name is never followed, and a file that is not a plain, singly-linked file
// of ours is neither emptied nor re-moded. True when the file is there, empty
// and ours.
bool createControlFile(const QString &path);

// Removes the name (a symlink is removed itself, never its target).
void removeControlFile(const QString &path);
