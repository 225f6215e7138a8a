// The files a translation writes: the generated C file and the side files.
// Every write to them is checked.  The first failure (a full disk, a file
// size limit, an I/O error) is kept with its reason and reported when the
// file is closed, so that the run ends with a message instead of leaving a
// cut file behind for the stages.
#pragma once

#include <cstdio>

// Creates (truncates) `path` for writing, as fopen(path, "w") would, with a
// buffer of `buffer_size` bytes (the stream's default is 8 KiB, where the
// side files of a large model take megabytes); null, with errno set, when
// it cannot be created.
FILE *zelk_output_open(const char *path, size_t buffer_size = 64 * 1024);

// Writes out what is buffered and closes the stream.  False when a write,
// the flush or the close failed; the file and the reason are then reported
// on standard error.
bool zelk_output_close(FILE *stream);
