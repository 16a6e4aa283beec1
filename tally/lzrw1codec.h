#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>

// The LZRW1/KH block format: pieces of up to 32768 bytes coded independently,
// each as a body of literals, copies (3..18 bytes, up to 4095 back) and runs
// (16..4095 equal bytes) steered by 16-bit control words, or stored raw when
// coding would not make it smaller. Pure functions over caller-owned buffers.
namespace lzrw1 {

inline constexpr std::size_t kPieceSize = 32768;
// A piece plus slack: the coder may run a few bytes past the piece size
// before it notices the body no longer shrinks.
inline constexpr std::size_t kBufferSize = kPieceSize + 16;
inline constexpr std::size_t kMaxBodySize = kPieceSize + 1;
// The decoder's output: a piece plus room for copies made a word at a time.
inline constexpr std::size_t kOutputSize = kPieceSize + 32;
inline constexpr std::size_t kTableSize = 4096;

inline constexpr std::uint8_t kStored = 0x80;
inline constexpr std::uint8_t kCompressed = 0x40;

// File identifiers, as read little-endian from the first four bytes.
inline constexpr std::uint32_t kFastId = 0x4C5A5257; // "WRZL", LZRW1/KH
inline constexpr std::uint32_t kGoodId = 0x4C5A4821; // "!HZL", LZH (never written)

// Input positions of earlier 3-byte prefixes by hash; the coder owns its
// contents and resets them for every piece.
using MatchTable = std::array<std::int16_t, kTableSize>;

// Codes in[0, n) (n <= kPieceSize) into body, which must hold kBufferSize
// bytes, and returns the body length L (1 <= L <= n + 1). The table is reset
// first, so no item refers to an earlier piece.
std::size_t compressBlock(const std::uint8_t *in, std::size_t n, std::uint8_t *body,
                          MatchTable &table);

// Decodes body[0, L) into out, which must hold kOutputSize bytes. Returns the
// piece size, or -1 when the body is damaged: a copy reaching before the start
// of the piece, output beyond kPieceSize, an item or control word cut off by
// the end of the body, or L > kMaxBodySize. Never touches memory outside
// body[0, L) and out[0, kOutputSize); bytes of out past the piece are scratch.
std::ptrdiff_t decompressBlock(const std::uint8_t *body, std::size_t L, std::uint8_t *out);

// Byte streams for the file layer. read() returns the number of bytes read
// (short only at the end) or -1 on error; write() returns false unless every
// byte was written.
class Source
{
public:
    virtual ~Source() = default;
    virtual std::ptrdiff_t read(std::uint8_t *data, std::size_t size) = 0;
};

class Sink
{
public:
    virtual ~Sink() = default;
    virtual bool write(const std::uint8_t *data, std::size_t size) = 0;
};

enum class Failure {
    ReadWhileCompressing, // a read failed
    ShortRead,            // fewer bytes than the layout asks for while decompressing
    Write,                // fewer bytes written than asked
    NoHeader,             // neither identifier
    SizeMismatch,         // the pieces add up to another size than the header says
    DamagedBlock,
};

struct StreamError
{
    Failure failure;
};

// Called after every block read or written, e.g. to keep a window responsive.
using BlockHook = std::function<void()>;

// The two block buffers of one compress or decompress: piece holds
// kOutputSize bytes, body kBufferSize. Allocation throws std::bad_alloc.
struct Buffers
{
    Buffers();
    std::unique_ptr<std::uint8_t[]> piece;
    std::unique_ptr<std::uint8_t[]> body;
};

// Writes the identifier, the size and the blocks of everything in source.
// Returns the number of bytes written; throws StreamError.
std::uint64_t compressStream(Source &source, std::uint32_t size, Sink &sink, Buffers &buffers,
                             MatchTable &table, const BlockHook &hook = {});

// Restores a stream written by compressStream. Returns the number of bytes
// written; throws StreamError ("!HZL" streams fail with NoHeader).
std::uint64_t decompressStream(Source &source, Sink &sink, Buffers &buffers,
                               const BlockHook &hook = {});

} // namespace lzrw1
