#include "tally/lzrw1codec.h"

#include <algorithm>
#include <cstring>
#include <memory>

namespace lzrw1 {

namespace {

constexpr std::size_t kWindow = 4096;
constexpr std::size_t kMinCopy = 3;
constexpr std::size_t kMaxCopy = 18;
constexpr std::size_t kMinRun = 16;
constexpr std::size_t kMaxRun = 4095;

inline unsigned hashAt(const std::uint8_t *p)
{
    const std::uint32_t key = ((((std::uint32_t(p[0]) << 4) ^ p[1]) << 4) ^ p[2]);
    return ((key * 40543u) >> 4) & 0x0FFFu;
}

inline void putWord(std::uint8_t *at, unsigned value)
{
    at[0] = std::uint8_t(value >> 8);
    at[1] = std::uint8_t(value);
}

} // namespace

std::size_t compressBlock(const std::uint8_t *in, std::size_t n, std::uint8_t *body,
                          MatchTable &table)
{
    table.fill(-1);
    body[0] = kCompressed;
    std::size_t x = 0;
    std::size_t y = 3;
    std::size_t z = 1;
    unsigned bits = 0;
    std::uint16_t control = 0;

    while (x < n && y <= n) {
        if (bits > 15) {
            putWord(body + z, control);
            z = y;
            y += 2;
            bits = 0;
        }
        const std::uint8_t first = in[x];
        const std::size_t left = n - x;
        std::size_t r = 1;
        const std::size_t runLimit = std::min(kMaxRun, left);
        while (r < runLimit && in[x + r] == first)
            ++r;

        if (r >= kMinRun) {
            body[y] = 0;
            putWord(body + y + 1, unsigned(r - kMinRun));
            body[y + 3] = first;
            y += 4;
            x += r;
            control = std::uint16_t((control << 1) | 1);
        } else {
            std::size_t m = 0;
            std::size_t distance = 0;
            // Fewer than three bytes left can never make a copy; their table
            // entries could only serve later positions, and there are none
            // that could match either.
            if (left >= kMinCopy) {
                const unsigned h = hashAt(in + x);
                const std::int16_t p = table[h];
                table[h] = std::int16_t(x);
                if (p >= 0 && x - std::size_t(p) < kWindow) {
                    const std::uint8_t *a = in + x;
                    const std::uint8_t *b = in + p;
                    const std::size_t limit = std::min(kMaxCopy, left);
                    while (m < limit && a[m] == b[m])
                        ++m;
                    distance = x - std::size_t(p);
                }
            }
            if (m >= kMinCopy) {
                putWord(body + y, unsigned(distance * 16 + (m - kMinCopy)));
                y += 2;
                x += m;
                control = std::uint16_t((control << 1) | 1);
            } else {
                body[y++] = first;
                ++x;
                control = std::uint16_t(control << 1);
            }
        }
        ++bits;
    }
    control = std::uint16_t(unsigned(control) << (16 - bits));
    putWord(body + z, control);

    if (y > n) {
        body[0] = kStored;
        if (n > 0)
            std::memcpy(body + 1, in, n);
        return n + 1;
    }
    return y;
}

std::ptrdiff_t decompressBlock(const std::uint8_t *body, std::size_t L, std::uint8_t *out)
{
    if (L > kMaxBodySize)
        return -1;
    if (L <= 1)
        return 0;
    if (body[0] == kStored) {
        std::memcpy(out, body + 1, L - 1);
        return std::ptrdiff_t(L - 1);
    }
    if (L < 3)
        return -1;

    unsigned control = (unsigned(body[1]) << 8) | body[2];
    unsigned bits = 16;
    std::size_t x = 3;
    std::size_t y = 0;
    while (x < L) {
        if (bits == 0) {
            if (L - x < 2)
                return -1;
            control = (unsigned(body[x]) << 8) | body[x + 1];
            x += 2;
            bits = 16;
            // Sixteen literals in a row is the common case for text that
            // hardly compresses; take them in one go.
            if (control == 0 && L - x >= 16 && kPieceSize - y >= 16) {
                std::memcpy(out + y, body + x, 16);
                x += 16;
                y += 16;
                bits = 0;
                continue;
            }
            if (x >= L)
                break;
        }
        if ((control & 0x8000u) == 0) {
            if (y >= kPieceSize)
                return -1;
            out[y++] = body[x++];
        } else {
            if (L - x < 2)
                return -1;
            const std::size_t d = (std::size_t(body[x]) << 4) | (body[x + 1] >> 4);
            if (d == 0) {
                if (L - x < 4)
                    return -1;
                const std::size_t count = ((std::size_t(body[x + 1]) << 8) | body[x + 2]) + kMinRun;
                if (count > kPieceSize - y)
                    return -1;
                std::memset(out + y, body[x + 3], count);
                y += count;
                x += 4;
            } else {
                const std::size_t m = (body[x + 1] & 0x0Fu) + kMinCopy;
                if (d > y || m > kPieceSize - y)
                    return -1;
                std::uint8_t *dst = out + y;
                const std::uint8_t *src = dst - d;
                if (d >= m) {
                    std::memcpy(dst, src, m);
                } else {
                    for (std::size_t i = 0; i < m; ++i)
                        dst[i] = src[i];
                }
                y += m;
                x += 2;
            }
        }
        control <<= 1;
        --bits;
    }
    return std::ptrdiff_t(y);
}

namespace {

void writeAll(Sink &sink, const std::uint8_t *data, std::size_t size)
{
    if (!sink.write(data, size))
        throw StreamError{Failure::Write};
}

// Reads until size bytes arrived or the source ends; -1 on error.
std::ptrdiff_t readAll(Source &source, std::uint8_t *data, std::size_t size)
{
    std::size_t done = 0;
    while (done < size) {
        const std::ptrdiff_t got = source.read(data + done, size - done);
        if (got < 0)
            return -1;
        if (got == 0)
            break;
        done += std::size_t(got);
    }
    return std::ptrdiff_t(done);
}

void readExactly(Source &source, std::uint8_t *data, std::size_t size)
{
    if (readAll(source, data, size) != std::ptrdiff_t(size))
        throw StreamError{Failure::ShortRead};
}

void putLittle32(std::uint8_t *at, std::uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        at[i] = std::uint8_t(value >> (8 * i));
}

std::uint32_t getLittle32(const std::uint8_t *at)
{
    return std::uint32_t(at[0]) | (std::uint32_t(at[1]) << 8) | (std::uint32_t(at[2]) << 16) |
           (std::uint32_t(at[3]) << 24);
}

} // namespace

Buffers::Buffers()
    : piece(std::make_unique<std::uint8_t[]>(kBufferSize)),
      body(std::make_unique<std::uint8_t[]>(kBufferSize))
{
}

std::uint64_t compressStream(Source &source, std::uint32_t size, Sink &sink, Buffers &buffers,
                             MatchTable &table, const BlockHook &hook)
{
    std::uint8_t header[8];
    putLittle32(header, kFastId);
    putLittle32(header + 4, size);
    writeAll(sink, header, sizeof header);
    std::uint64_t written = sizeof header;

    for (;;) {
        const std::ptrdiff_t n = readAll(source, buffers.piece.get(), kPieceSize);
        if (n < 0)
            throw StreamError{Failure::ReadWhileCompressing};
        if (hook)
            hook();
        const std::size_t L =
            compressBlock(buffers.piece.get(), std::size_t(n), buffers.body.get(), table);
        const std::uint8_t length[2] = {std::uint8_t(L), std::uint8_t(L >> 8)};
        writeAll(sink, length, 2);
        writeAll(sink, buffers.body.get(), L);
        written += 2 + L;
        if (hook)
            hook();
        if (std::size_t(n) < kPieceSize)
            break;
    }
    return written;
}

std::uint64_t decompressStream(Source &source, Sink &sink, Buffers &buffers, const BlockHook &hook)
{
    std::uint8_t header[4];
    readExactly(source, header, 4);
    const std::uint32_t id = getLittle32(header);
    // Only LZRW1/KH is ever written; an LZH stream is refused like any other
    // unknown one.
    if (id != kFastId)
        throw StreamError{Failure::NoHeader};
    readExactly(source, header, 4);
    const std::uint64_t size = getLittle32(header);

    std::uint64_t total = 0;
    for (;;) {
        std::uint8_t length[2];
        readExactly(source, length, 2);
        const std::size_t L = std::size_t(length[0]) | (std::size_t(length[1]) << 8);
        if (L > kMaxBodySize)
            throw StreamError{Failure::DamagedBlock};
        readExactly(source, buffers.body.get(), L);
        if (hook)
            hook();
        const std::ptrdiff_t n = decompressBlock(buffers.body.get(), L, buffers.piece.get());
        if (n < 0)
            throw StreamError{Failure::DamagedBlock};
        // More output than the header announces can only end in a size
        // mismatch; stop before a damaged file fills the disk.
        if (total + std::uint64_t(n) > size)
            throw StreamError{Failure::SizeMismatch};
        writeAll(sink, buffers.piece.get(), std::size_t(n));
        total += std::uint64_t(n);
        if (hook)
            hook();
        if (std::size_t(n) != kPieceSize)
            break;
    }
    if (total != size)
        throw StreamError{Failure::SizeMismatch};
    return total;
}

} // namespace lzrw1
