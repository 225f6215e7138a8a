// zelk4th IN OUT: the fourth stage of the translation pipeline.
//
// For now it hands the preprocessed text on unchanged, behind a comment that
// names its input.
#include <cerrno>
#include <cstdio>
#include <cstring>

int main(int argc, char **argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: zelk4th IN OUT\n");
        return 1;
    }
    const char *in_name = argv[1];
    const char *out_name = argv[2];
    FILE *in = std::fopen(in_name, "rb");
    if (!in) {
        std::fprintf(stderr, "zelk4th: cannot read '%s': %s\n", in_name, std::strerror(errno));
        return 2;
    }
    FILE *out = std::fopen(out_name, "wb");
    if (!out) {
        std::fprintf(stderr, "zelk4th: cannot write '%s': %s\n", out_name, std::strerror(errno));
        std::fclose(in);
        return 2;
    }
    bool ok = std::fprintf(out, "/* zelk4th: from '%s' */\n", in_name) > 0;
    char buf[65536];
    size_t n;
    while (ok && (n = std::fread(buf, 1, sizeof buf, in)) > 0) ok = std::fwrite(buf, 1, n, out) == n;
    ok = ok && !std::ferror(in);
    std::fclose(in);
    if (std::fclose(out) != 0) ok = false;
    if (!ok) {
        std::fprintf(stderr, "zelk4th: failed to copy '%s' to '%s'\n", in_name, out_name);
        std::remove(out_name);
        return 2;
    }
    return 0;
}
