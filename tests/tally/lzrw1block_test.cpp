#include "tally/lzrw1codec.h"
#include "tests/tally/sampledata.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes bytesOf(const QByteArray &data)
{
    return Bytes(data.begin(), data.end());
}
Bytes randomBytes(std::size_t n, unsigned seed)
{
    return bytesOf(sampledata::noise(qsizetype(n), seed));
}
Bytes textBytes(std::size_t n, unsigned seed)
{
    return bytesOf(sampledata::text(qsizetype(n), seed));
}
Bytes repetitiveBytes(std::size_t n, unsigned seed)
{
    return bytesOf(sampledata::runs(qsizetype(n), seed));
}

Bytes compress(const Bytes &piece)
{
    lzrw1::MatchTable table;
    Bytes body(lzrw1::kBufferSize);
    body.resize(lzrw1::compressBlock(piece.data(), piece.size(), body.data(), table));
    return body;
}

// False for a damaged body; otherwise out holds the piece.
bool decode(const Bytes &body, Bytes &out)
{
    out.assign(lzrw1::kOutputSize, 0xCD);
    const std::ptrdiff_t n = lzrw1::decompressBlock(body.data(), body.size(), out.data());
    if (n < 0)
        return false;
    out.resize(std::size_t(n));
    return true;
}

// The coder written out step by step, reading its hash bytes past the end
// of the piece from a buffer full of leftovers, as a block buffer would be.
Bytes referenceCompress(const Bytes &piece, unsigned slackSeed)
{
    const std::size_t n = piece.size();
    Bytes in = randomBytes(lzrw1::kBufferSize, slackSeed);
    std::copy(piece.begin(), piece.end(), in.begin());
    std::vector<int> table(4096, -1);
    Bytes body(lzrw1::kBufferSize + 8);
    body[0] = 0x40;
    std::size_t x = 0, y = 3, z = 1, bits = 0;
    unsigned control = 0;
    while (x < n && y <= n) {
        if (bits > 15) {
            body[z] = std::uint8_t(control >> 8);
            body[z + 1] = std::uint8_t(control);
            z = y;
            y += 2;
            bits = 0;
        }
        std::size_t r = 1;
        while (in[x + r] == in[x] && r < 4095 && x + r < n)
            ++r;
        if (r >= 16) {
            body[y] = 0;
            body[y + 1] = std::uint8_t((r - 16) >> 8);
            body[y + 2] = std::uint8_t(r - 16);
            body[y + 3] = in[x];
            y += 4;
            x += r;
            control = (control * 2 + 1) & 0xFFFF;
        } else {
            std::uint32_t h = ((((std::uint32_t(in[x]) << 4) ^ in[x + 1]) << 4) ^ in[x + 2]);
            h = ((h * 40543u) >> 4) & 0x0FFF;
            const int p = table[h];
            std::size_t m = 0;
            if (p != -1 && x - std::size_t(p) < 4096)
                while (m < 18 && in[x + m] == in[std::size_t(p) + m] && x + m < n)
                    ++m;
            table[h] = int(x);
            if (m >= 3) {
                const unsigned v = unsigned((x - std::size_t(p)) * 16 + (m - 3));
                body[y] = std::uint8_t(v >> 8);
                body[y + 1] = std::uint8_t(v);
                y += 2;
                x += m;
                control = (control * 2 + 1) & 0xFFFF;
            } else {
                body[y++] = in[x++];
                control = (control * 2) & 0xFFFF;
            }
        }
        ++bits;
    }
    control = (control << (16 - bits)) & 0xFFFF;
    body[z] = std::uint8_t(control >> 8);
    body[z + 1] = std::uint8_t(control);
    if (y > n) {
        Bytes stored{0x80};
        stored.insert(stored.end(), piece.begin(), piece.end());
        return stored;
    }
    body.resize(y);
    return body;
}

TEST(Lzrw1Block, EqualBytesCodeAsEightRunsALiteralAndACopy)
{
    const Bytes piece(lzrw1::kPieceSize, 'A');
    const Bytes body = compress(piece);
    Bytes expected{0x40, 0xFF, 0x40};
    for (int i = 0; i < 8; ++i)
        expected.insert(expected.end(), {0x00, 0x0F, 0xEF, 'A'}); // 4095 = 16 + 0x0FEF
    expected.push_back('A');
    expected.insert(expected.end(), {0x00, 0x14}); // distance 1, length 7
    EXPECT_EQ(body, expected);
    EXPECT_EQ(body.size(), 38u);
    Bytes out;
    ASSERT_TRUE(decode(body, out));
    EXPECT_EQ(out, piece);
    // Runs and copies fill the piece exactly; the control word's next bit
    // asks for one more literal, which does not fit.
    Bytes longer = body;
    longer.push_back('B');
    EXPECT_FALSE(decode(longer, out));
}

TEST(Lzrw1Block, EmptyAndIncompressiblePiecesAreStored)
{
    EXPECT_EQ(compress({}), Bytes{0x80});
    for (std::size_t n : {std::size_t(1), std::size_t(2), std::size_t(100), lzrw1::kPieceSize}) {
        const Bytes piece = randomBytes(n, unsigned(n));
        const Bytes body = compress(piece);
        ASSERT_EQ(body.size(), n + 1) << n;
        EXPECT_EQ(body[0], 0x80);
        EXPECT_TRUE(std::equal(piece.begin(), piece.end(), body.begin() + 1));
    }
}

TEST(Lzrw1Block, SmallBodiesDecode)
{
    const struct
    {
        const char *what;
        Bytes body;
        const char *piece;
    } cases[] = {
        // Three literals, then a copy of six bytes from three back.
        {"overlapping copy", {0x40, 0x10, 0x00, 'a', 'b', 'c', 0x00, 0x33}, "abcabcabc"},
        {"any kind but stored is compressed", {0x00, 0x00, 0x00, 'x', 'y'}, "xy"},
        {"empty body", {}, ""},
    };
    for (const auto &c : cases) {
        Bytes out;
        ASSERT_TRUE(decode(c.body, out)) << c.what;
        EXPECT_EQ(std::string(out.begin(), out.end()), c.piece) << c.what;
    }
}

TEST(Lzrw1Block, MatchesTheStepByStepCoderByteForByte)
{
    for (unsigned seed = 1; seed <= 6; ++seed) {
        for (std::size_t n :
             {std::size_t(0), std::size_t(1), std::size_t(2), std::size_t(3), std::size_t(17),
              std::size_t(1000), lzrw1::kPieceSize - 1, lzrw1::kPieceSize}) {
            for (const Bytes &piece :
                 {textBytes(n, seed), repetitiveBytes(n, seed), randomBytes(n, seed)}) {
                ASSERT_EQ(compress(piece), referenceCompress(piece, seed * 7)) << n;
            }
        }
    }
}

TEST(Lzrw1Block, RoundTripsEveryKindOfPiece)
{
    for (unsigned seed = 1; seed <= 20; ++seed) {
        std::mt19937 rng(seed);
        const std::size_t n = rng() % (lzrw1::kPieceSize + 1);
        for (const Bytes &piece : {textBytes(n, seed), repetitiveBytes(n, seed),
                                   randomBytes(n, seed), Bytes(n, std::uint8_t(seed))}) {
            const Bytes body = compress(piece);
            EXPECT_LE(body.size(), piece.size() + 1);
            Bytes out;
            ASSERT_TRUE(decode(body, out));
            ASSERT_EQ(out, piece) << "size " << n << " seed " << seed;
        }
    }
}

TEST(Lzrw1Block, DamagedBodiesAreRejected)
{
    Bytes nineLongRuns{0x40, 0xFF, 0x80};
    for (int i = 0; i < 9; ++i)
        nineLongRuns.insert(nineLongRuns.end(), {0x00, 0x0F, 0xEF, 'z'});
    Bytes seventeenLiterals{0x40, 0x00, 0x00};
    seventeenLiterals.insert(seventeenLiterals.end(), 16, 'q');
    seventeenLiterals.push_back(0x00); // half a control word
    Bytes storedTooLong(lzrw1::kMaxBodySize + 1, 0);
    storedTooLong[0] = 0x80;

    const struct
    {
        const char *what;
        Bytes body;
    } cases[] = {
        {"copy before the piece", {0x40, 0x40, 0x00, 'a', 0x00, 0x20}},
        {"copy from an empty piece", {0x40, 0x80, 0x00, 0x00, 0x10}},
        {"output past 32768 bytes", nineLongRuns},
        {"copy cut by the end", {0x40, 0x40, 0x00, 'a', 0x00}},
        {"run cut by the end", {0x40, 0x80, 0x00, 0x00, 0x00, 0x05}},
        {"control word cut by the end", seventeenLiterals},
        {"control word missing", {0x40, 0x00}},
        {"body longer than a block", storedTooLong},
    };
    for (const auto &c : cases) {
        Bytes out;
        EXPECT_FALSE(decode(c.body, out)) << c.what;
    }
}

} // namespace
