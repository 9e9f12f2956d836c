// Pieces the changing commands share: opening IMAGE and finding DISK for a change, names given
// on the command line, and host files that must be readable.
#pragma once

#include <QByteArray>
#include <QString>
#include <functional>

#include "cli/image_access.h"

namespace cli {

struct Invocation;

// The --wait value (WaitOption) in milliseconds; false after reporting a usage error.
bool LockWait(const Invocation& run, int* waitMs);

// Opens IMAGE (argument 0) into the editor and resolves DISK (argument 1). Returns the disk's
// index, or -1 with *code set to the reported failure's exit code.
int OpenDisk(Invocation& run, ImageEditor& editor, int* code);

// Opens IMAGE, runs change on the disk that DISK names, and saves unless change returned a
// failure or the engine stopped: the body of the commands that change one disk.
int ChangeDisk(Invocation& run, const std::function<int(ImageEditor&, int)>& change);

// A name argument as bytes, at most maxBytes long and without NUL bytes; reports a usage error
// and returns false otherwise.
bool NameArgument(const QString& what, const QString& text, int maxBytes, QByteArray* bytes);

// kExitDone when path is a regular file we may read; else reports it and returns kExitFailed.
int CheckReadable(const QString& path);

}  // namespace cli
