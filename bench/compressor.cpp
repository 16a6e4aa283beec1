// The tally's LZRW1/KH compressor against zlib at level 1 and LZ4, on the
// same data in the same run: text like a game log, random bytes, and data of
// long runs and short repeats.
#include "tally/lzrw1codec.h"

#include <benchmark/benchmark.h>
#include <lz4.h>
#include <zlib.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;

constexpr std::size_t kDataSize = 4 * 1024 * 1024;

Bytes textData()
{
    static const char *const names[] = {"Ann", "Bob", "Computer 2", "Zed", "You"};
    static const char *const lines[] = {" bid ",
                                        " played the ",
                                        " took the trick",
                                        " has Won the Game!",
                                        " says: nice hand",
                                        " went Nil",
                                        " is just watching",
                                        " joined the table",
                                        " Total Score: ",
                                        " bags: "};
    static const char *const cards[] = {"Ace of Spades", "2 of Clubs", "Queen of Hearts",
                                        "10 of Diamonds", "King of Spades"};
    std::mt19937 rng(7);
    std::string out;
    while (out.size() < kDataSize) {
        out += names[rng() % std::size(names)];
        out += lines[rng() % std::size(lines)];
        if (rng() % 2)
            out += cards[rng() % std::size(cards)];
        else
            out += std::to_string(rng() % 500);
        out += "\r\n";
    }
    out.resize(kDataSize);
    return Bytes(out.begin(), out.end());
}

Bytes randomData()
{
    std::mt19937 rng(11);
    Bytes out(kDataSize);
    for (auto &b : out)
        b = std::uint8_t(rng());
    return out;
}

Bytes repetitiveData()
{
    std::mt19937 rng(13);
    Bytes out;
    while (out.size() < kDataSize) {
        if (rng() % 3 == 0) {
            out.insert(out.end(), 16 + rng() % 3000, std::uint8_t(rng()));
        } else {
            const std::uint8_t pattern[3] = {std::uint8_t(rng()), std::uint8_t(rng()),
                                             std::uint8_t(rng())};
            for (unsigned i = 0, k = 1 + rng() % 200; i < k; ++i)
                out.insert(out.end(), pattern, pattern + 1 + rng() % 3);
        }
    }
    out.resize(kDataSize);
    return out;
}

const Bytes &data(int kind)
{
    static const Bytes sets[] = {textData(), randomData(), repetitiveData()};
    return sets[kind];
}

const char *kindName(int kind)
{
    static const char *const names[] = {"text", "random", "repetitive"};
    return names[kind];
}

// Blocks as the file holds them: a 2-byte length, then the body. out must
// hold the input plus three bytes a block.
std::size_t lzrw1Compress(const Bytes &in, lzrw1::MatchTable &table, Bytes &out)
{
    std::size_t y = 0;
    for (std::size_t at = 0;; at += lzrw1::kPieceSize) {
        const std::size_t n = std::min(lzrw1::kPieceSize, in.size() - at);
        const std::size_t L = lzrw1::compressBlock(in.data() + at, n, out.data() + y + 2, table);
        out[y] = std::uint8_t(L);
        out[y + 1] = std::uint8_t(L >> 8);
        y += 2 + L;
        if (n < lzrw1::kPieceSize)
            return y;
    }
}

Bytes packedBuffer(const Bytes &in)
{
    return Bytes(in.size() + in.size() / 1024 + 64 * 1024);
}

std::size_t lzrw1Decompress(const Bytes &packed, Bytes &out)
{
    std::size_t x = 0;
    std::size_t y = 0;
    while (x + 2 <= packed.size()) {
        const std::size_t L = packed[x] | (std::size_t(packed[x + 1]) << 8);
        const std::ptrdiff_t n = lzrw1::decompressBlock(packed.data() + x + 2, L, out.data() + y);
        x += 2 + L;
        y += std::size_t(n);
    }
    return y;
}

void report(benchmark::State &state, std::size_t original, std::size_t packed)
{
    state.SetBytesProcessed(std::int64_t(state.iterations()) * std::int64_t(original));
    state.counters["ratio"] = double(packed) / double(original);
    state.SetLabel(kindName(int(state.range(0))));
}

void BM_Lzrw1Compress(benchmark::State &state)
{
    const Bytes &in = data(int(state.range(0)));
    lzrw1::MatchTable table;
    Bytes out = packedBuffer(in);
    std::size_t packed = 0;
    for (auto _ : state) {
        packed = lzrw1Compress(in, table, out);
        benchmark::DoNotOptimize(out.data());
    }
    report(state, in.size(), packed);
}

void BM_Lzrw1Decompress(benchmark::State &state)
{
    const Bytes &in = data(int(state.range(0)));
    lzrw1::MatchTable table;
    Bytes packed = packedBuffer(in);
    packed.resize(lzrw1Compress(in, table, packed));
    Bytes out(in.size() + lzrw1::kBufferSize);
    for (auto _ : state) {
        const std::size_t n = lzrw1Decompress(packed, out);
        benchmark::DoNotOptimize(out.data());
        if (n != in.size() || std::memcmp(out.data(), in.data(), n) != 0)
            state.SkipWithError("LZRW1 round trip differs");
    }
    report(state, in.size(), packed.size());
}

void BM_ZlibCompress(benchmark::State &state)
{
    const Bytes &in = data(int(state.range(0)));
    Bytes out(compressBound(uLong(in.size())));
    uLongf packed = 0;
    for (auto _ : state) {
        packed = uLongf(out.size());
        compress2(out.data(), &packed, in.data(), uLong(in.size()), 1);
        benchmark::DoNotOptimize(out.data());
    }
    report(state, in.size(), packed);
}

void BM_ZlibDecompress(benchmark::State &state)
{
    const Bytes &in = data(int(state.range(0)));
    Bytes packed(compressBound(uLong(in.size())));
    uLongf packedSize = uLongf(packed.size());
    compress2(packed.data(), &packedSize, in.data(), uLong(in.size()), 1);
    Bytes out(in.size());
    for (auto _ : state) {
        uLongf n = uLongf(out.size());
        uncompress(out.data(), &n, packed.data(), packedSize);
        benchmark::DoNotOptimize(out.data());
        if (n != in.size())
            state.SkipWithError("zlib round trip differs");
    }
    report(state, in.size(), packedSize);
}

void BM_Lz4Compress(benchmark::State &state)
{
    const Bytes &in = data(int(state.range(0)));
    Bytes out(std::size_t(LZ4_compressBound(int(in.size()))));
    int packed = 0;
    for (auto _ : state) {
        packed = LZ4_compress_default(reinterpret_cast<const char *>(in.data()),
                                      reinterpret_cast<char *>(out.data()), int(in.size()),
                                      int(out.size()));
        benchmark::DoNotOptimize(out.data());
    }
    report(state, in.size(), std::size_t(packed));
}

void BM_Lz4Decompress(benchmark::State &state)
{
    const Bytes &in = data(int(state.range(0)));
    Bytes packed(std::size_t(LZ4_compressBound(int(in.size()))));
    const int packedSize = LZ4_compress_default(reinterpret_cast<const char *>(in.data()),
                                                reinterpret_cast<char *>(packed.data()),
                                                int(in.size()), int(packed.size()));
    Bytes out(in.size());
    for (auto _ : state) {
        const int n =
            LZ4_decompress_safe(reinterpret_cast<const char *>(packed.data()),
                                reinterpret_cast<char *>(out.data()), packedSize, int(out.size()));
        benchmark::DoNotOptimize(out.data());
        if (n != int(in.size()))
            state.SkipWithError("LZ4 round trip differs");
    }
    report(state, in.size(), std::size_t(packedSize));
}

} // namespace

BENCHMARK(BM_Lzrw1Compress)->DenseRange(0, 2)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Lz4Compress)->DenseRange(0, 2)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ZlibCompress)->DenseRange(0, 2)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Lzrw1Decompress)->DenseRange(0, 2)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Lz4Decompress)->DenseRange(0, 2)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ZlibDecompress)->DenseRange(0, 2)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
