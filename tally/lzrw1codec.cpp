#include "tally/lzrw1codec.h"

#include <algorithm>
#include <bit>
#include <climits>
#include <cstring>
#include <memory>

namespace lzrw1 {

namespace {

constexpr std::size_t kWindow = 4096;
// An empty match slot; far enough below every position to be out of reach.
constexpr std::int16_t kEmpty = INT16_MIN;
constexpr std::size_t kMinCopy = 3;
constexpr std::size_t kMaxCopy = 18;
constexpr std::size_t kMinRun = 16;
constexpr std::size_t kMaxRun = 4095;

inline unsigned hashAt(const std::uint8_t *p)
{
    const std::uint32_t key = ((((std::uint32_t(p[0]) << 4) ^ p[1]) << 4) ^ p[2]);
    return ((key * 40543u) >> 4) & 0x0FFFu;
}

// Length of the common prefix of a and b, at most limit (<= kMaxCopy).
inline std::size_t matchLength(const std::uint8_t *a, const std::uint8_t *b, std::size_t limit)
{
    if constexpr (std::endian::native == std::endian::little) {
        if (limit == kMaxCopy) {
            // All 18 bytes at once, choosing the first difference without
            // branches: match lengths vary too much to be predicted.
            std::uint64_t a0, b0, a1, b1;
            std::uint16_t a2, b2;
            std::memcpy(&a0, a, 8);
            std::memcpy(&b0, b, 8);
            std::memcpy(&a1, a + 8, 8);
            std::memcpy(&b1, b + 8, 8);
            std::memcpy(&a2, a + 16, 2);
            std::memcpy(&b2, b + 16, 2);
            const std::uint64_t d0 = a0 ^ b0;
            const std::uint64_t d1 = a1 ^ b1;
            const std::uint32_t d2 = std::uint32_t(a2 ^ b2) | 0x10000u;
            const std::size_t m2 = 16 + std::size_t(std::countr_zero(d2) / 8);
            const std::size_t m1 = d1 ? 8 + std::size_t(std::countr_zero(d1) / 8) : m2;
            return d0 ? std::size_t(std::countr_zero(d0) / 8) : m1;
        }
    }
    std::size_t m = 0;
    while (m < limit && a[m] == b[m])
        ++m;
    return m;
}

// How many bytes from p on equal p[0], at most limit; p[1] is known to.
inline std::size_t runLength(const std::uint8_t *p, std::size_t limit)
{
    std::size_t r = 2;
    if constexpr (std::endian::native == std::endian::little) {
        const std::uint64_t pattern = p[0] * 0x0101010101010101ull;
        while (r + 8 <= limit) {
            std::uint64_t word;
            std::memcpy(&word, p + r, 8);
            if (const std::uint64_t diff = word ^ pattern)
                return r + std::size_t(std::countr_zero(diff) / 8);
            r += 8;
        }
    }
    while (r < limit && p[r] == p[0])
        ++r;
    return r;
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
    table.fill(kEmpty);
    const std::uint8_t *__restrict src = in;
    std::uint8_t *__restrict dst = body;
    std::int16_t *const slots = table.data();
    dst[0] = kCompressed;
    std::size_t x = 0;
    std::size_t y = 3;
    std::size_t z = 1;
    unsigned bits = 0;
    unsigned control = 0;

    while (x < n && y <= n) {
        if (bits > 15) {
            putWord(dst + z, control);
            z = y;
            y += 2;
            bits = 0;
        }
        ++bits;
        const std::uint8_t first = src[x];
        const std::size_t left = n - x;

        // Anything shorter than a run is left to the match search, so only
        // count on when the next byte repeats.
        if (left >= kMinRun && src[x + 1] == first) {
            const std::size_t r = runLength(src + x, std::min(kMaxRun, left));
            if (r >= kMinRun) {
                dst[y] = 0;
                putWord(dst + y + 1, unsigned(r - kMinRun));
                dst[y + 3] = first;
                y += 4;
                x += r;
                control = (control << 1) | 1;
                continue;
            }
        }

        // Fewer than three bytes left can never make a copy; their table
        // entries could only serve later positions, and none of those could
        // match either.
        if (left >= kMinCopy) {
            const unsigned h = hashAt(src + x);
            const std::int16_t p = slots[h];
            slots[h] = std::int16_t(x);
            // Whether the slot holds a position in reach is close to a coin
            // toss on data that does not compress; comparing anyway and
            // masking the result keeps the branch out of the loop. An empty
            // slot is always out of reach.
            const std::size_t usable =
                std::size_t(0) - std::size_t(std::ptrdiff_t(x) - p < std::ptrdiff_t(kWindow));
            const std::size_t from = std::size_t(std::ptrdiff_t(p)) & usable;
            const std::size_t m =
                matchLength(src + x, src + from, std::min(kMaxCopy, left)) & usable;
            if (m >= kMinCopy) {
                putWord(dst + y, unsigned((x - from) * 16 + (m - kMinCopy)));
                y += 2;
                x += m;
                control = (control << 1) | 1;
                continue;
            }
        }
        dst[y++] = first;
        ++x;
        control <<= 1;
    }
    control = (control << (16 - bits)) & 0xFFFFu;
    putWord(dst + z, control);

    if (y > n) {
        dst[0] = kStored;
        if (n > 0)
            std::memcpy(dst + 1, src, n);
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

    // Copies below move whole words and may write up to 24 bytes past the
    // piece's current end; the output buffer's slack takes that.
    const std::uint8_t *__restrict in = body;
    std::uint8_t *__restrict dst = out;
    unsigned control = (unsigned(in[1]) << 8) | in[2];
    unsigned bits = 16;
    std::size_t x = 3;
    std::size_t y = 0;
    while (x < L) {
        if (bits == 0) {
            if (L - x < 2)
                return -1;
            control = (unsigned(in[x]) << 8) | in[x + 1];
            x += 2;
            bits = 16;
            continue;
        }
        if ((control & 0x8000u) == 0) {
            // A stretch of literals, up to the next copy or run; the low bits
            // of the last control word are padding past the body's end.
            std::size_t k = std::size_t(std::countl_zero(std::uint16_t(control)));
            k = std::min({k, std::size_t(bits), L - x});
            if (k > kPieceSize - y)
                return -1;
            if (L - x >= 16)
                std::memcpy(dst + y, in + x, 16);
            else
                std::memcpy(dst + y, in + x, k);
            x += k;
            y += k;
            control <<= k;
            bits -= unsigned(k);
            continue;
        }
        if (L - x < 2)
            return -1;
        const std::size_t d = (std::size_t(in[x]) << 4) | (in[x + 1] >> 4);
        if (d == 0) {
            if (L - x < 4)
                return -1;
            const std::size_t count = ((std::size_t(in[x + 1]) << 8) | in[x + 2]) + kMinRun;
            if (count > kPieceSize - y)
                return -1;
            std::memset(dst + y, in[x + 3], count);
            y += count;
            x += 4;
        } else {
            const std::size_t m = (in[x + 1] & 0x0Fu) + kMinCopy;
            if (d > y || m > kPieceSize - y)
                return -1;
            std::uint8_t *to = dst + y;
            const std::uint8_t *from = to - d;
            if (d >= 16) {
                std::memcpy(to, from, 16);
                std::memcpy(to + 16, from + 16, 2);
            } else if (d >= 8) {
                // Each word reads only bytes already written.
                std::memcpy(to, from, 8);
                std::memcpy(to + 8, from + 8, 8);
                std::memcpy(to + 16, from + 16, 8);
            } else {
                for (std::size_t i = 0; i < m; ++i)
                    to[i] = from[i];
            }
            y += m;
            x += 2;
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
    : piece(std::make_unique<std::uint8_t[]>(kOutputSize)),
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
