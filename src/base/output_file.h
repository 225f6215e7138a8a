// The files a translation writes: the generated C file and the side files.
// Every write to them is checked.  The first failure (a full disk, a file
// size limit, an I/O error) is kept with its reason and reported when the
// file is closed, so that the run ends with a message instead of leaving a
// cut file behind for the stages.
#pragma once

#include <cstdio>

// Creates (truncates) `path` for writing, as fopen(path, "w") would; null,
// with errno set, when it cannot be created.
FILE *zelk_output_open(const char *path);

// Writes out what is buffered and closes the stream.  False when a write,
// the flush or the close failed; the file and the reason are then reported
// on standard error.
bool zelk_output_close(FILE *stream);
