// A child process for the process-runner tests.
//   process_probe spew N          write N bytes to standard output and N to standard error, interleaved
//   process_probe exit CODE       write "out" and "err" and exit with CODE
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>

int main(int argc, char** argv) {
    if (argc < 2)
        return 2;
    std::string mode = argv[1];
    if (mode == "spew" && argc == 3) {
        long total = std::atol(argv[2]);
        std::string chunk(4096, 'o');
        std::string errChunk(4096, 'e');
        for (long written = 0; written < total; written += 4096) {
            size_t n = static_cast<size_t>(std::min<long>(4096, total - written));
            std::fwrite(chunk.data(), 1, n, stdout);
            std::fwrite(errChunk.data(), 1, n, stderr);
        }
        return 0;
    }
    if (mode == "exit" && argc == 3) {
        std::fputs("out", stdout);
        std::fputs("err", stderr);
        return std::atoi(argv[2]);
    }
    return 2;
}
