#include "base/output_file.h"

#include <cerrno>
#include <fcntl.h>
#include <map>
#include <memory>
#include <string>
#include <unistd.h>

#include "base/diagnostics.h"

namespace {

// The stream writes through these functions, so that the reason of the
// first failed write is kept: by the time the file is closed, errno tells
// nothing about it any more.
struct OutputFile {
    int fd;
    int error;  // errno of the first failure, 0 while there was none
    std::string path;
    std::unique_ptr<char[]> buffer;
};

std::map<FILE *, OutputFile *> g_files;

ssize_t write_out(void *cookie, const char *buf, size_t size) {
    OutputFile &f = *static_cast<OutputFile *>(cookie);
    size_t done = 0;
    while (done < size) {
        ssize_t n = ::write(f.fd, buf + done, size - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            if (f.error == 0) f.error = n < 0 ? errno : EIO;
            break;
        }
        done += static_cast<size_t>(n);
    }
    // A short count marks the stream as failed.
    return static_cast<ssize_t>(done);
}

int close_out(void *cookie) {
    OutputFile &f = *static_cast<OutputFile *>(cookie);
    int rc = ::close(f.fd);
    if (rc != 0 && f.error == 0) f.error = errno;
    return rc;
}

}  // namespace

FILE *zelk_output_open(const char *path, size_t buffer_size) {
    int fd = ::open(path, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0) return nullptr;
    OutputFile *f = new OutputFile{fd, 0, path, std::unique_ptr<char[]>(new char[buffer_size])};
    cookie_io_functions_t io = {nullptr, write_out, nullptr, close_out};
    FILE *stream = fopencookie(f, "w", io);
    if (!stream) {
        int err = errno;
        ::close(fd);
        delete f;
        errno = err;
        return nullptr;
    }
    std::setvbuf(stream, f->buffer.get(), _IOFBF, buffer_size);
    g_files[stream] = f;
    return stream;
}

bool zelk_output_close(FILE *stream) {
    auto it = g_files.find(stream);
    if (it == g_files.end()) return std::fclose(stream) == 0;
    OutputFile *f = it->second;
    g_files.erase(it);
    bool ok = std::fflush(stream) == 0 && !std::ferror(stream);
    if (std::fclose(stream) != 0) ok = false;
    if (!ok) zelk_write_error(f->path.c_str(), f->error != 0 ? f->error : EIO);
    delete f;
    return ok;
}
