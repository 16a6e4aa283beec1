// Compresses a file into the tally's compressed format, or restores one:
//   spades-lzrw1 c INPUT OUTPUT
//   spades-lzrw1 d INPUT OUTPUT
#include "tally/lzrw1.h"

#include <QString>
#include <cstdio>
#include <cstring>

namespace {

int usage()
{
    std::fputs("usage: spades-lzrw1 c|d INPUT OUTPUT\n"
               "  c  compress INPUT into OUTPUT\n"
               "  d  restore INPUT into OUTPUT\n",
               stderr);
    return 2;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 4 || std::strlen(argv[1]) != 1 || (argv[1][0] != 'c' && argv[1][0] != 'd'))
        return usage();
    try {
        Tlzrw1 doit;
        doit.InputFile = QString::fromLocal8Bit(argv[2]);
        doit.OutputFile = QString::fromLocal8Bit(argv[3]);
        const bool compress = argv[1][0] == 'c';
        const qint64 written = compress ? doit.Compress() : doit.Decompress();
        std::printf("%s: %lld bytes written\n", argv[3], static_cast<long long>(written));
        return 0;
    } catch (const ELzrw1Exception &e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
}
