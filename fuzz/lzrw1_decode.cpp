// Feeds arbitrary bytes to the LZRW1/KH decoder, as a whole file and as a
// single block body, and checks that pieces the coder writes come back whole.
#include "tally/lzrw1codec.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace {

class MemorySource : public lzrw1::Source
{
public:
    MemorySource(const std::uint8_t *data, std::size_t size) : m_data(data), m_size(size) {}
    std::ptrdiff_t read(std::uint8_t *data, std::size_t size) override
    {
        const std::size_t n = std::min(size, m_size - m_at);
        if (n > 0)
            std::memcpy(data, m_data + m_at, n);
        m_at += n;
        return std::ptrdiff_t(n);
    }

private:
    const std::uint8_t *m_data;
    std::size_t m_size;
    std::size_t m_at = 0;
};

class CountingSink : public lzrw1::Sink
{
public:
    bool write(const std::uint8_t *, std::size_t size) override
    {
        total += size;
        return true;
    }
    std::uint64_t total = 0;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    static lzrw1::Buffers buffers;
    static lzrw1::MatchTable table;

    // The whole input as a compressed file.
    {
        MemorySource source(data, size);
        CountingSink sink;
        try {
            const std::uint64_t written = lzrw1::decompressStream(source, sink, buffers);
            if (written != sink.total)
                std::abort();
        } catch (const lzrw1::StreamError &) {
        }
    }

    // The input as one block body, copied so that reading past it is caught.
    if (size <= lzrw1::kMaxBodySize) {
        auto *body = new std::uint8_t[size > 0 ? size : 1];
        if (size > 0)
            std::memcpy(body, data, size);
        auto *out = new std::uint8_t[lzrw1::kOutputSize];
        const std::ptrdiff_t n = lzrw1::decompressBlock(body, size, out);
        if (n > std::ptrdiff_t(lzrw1::kPieceSize))
            std::abort();
        delete[] out;
        delete[] body;
    }

    // The input as a piece: coded and decoded, it must come back unchanged.
    const std::size_t n = std::min(size, lzrw1::kPieceSize);
    const std::size_t L = lzrw1::compressBlock(data, n, buffers.body.get(), table);
    if (L < 1 || L > n + 1)
        std::abort();
    const std::ptrdiff_t back = lzrw1::decompressBlock(buffers.body.get(), L, buffers.piece.get());
    if (back != std::ptrdiff_t(n) || (n > 0 && std::memcmp(buffers.piece.get(), data, n) != 0))
        std::abort();
    return 0;
}
