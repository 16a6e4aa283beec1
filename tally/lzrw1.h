#pragma once

#include "tally/lzrw1codec.h"

#include <QString>
#include <memory>
#include <optional>
#include <stdexcept>

// The compressor's failures; message() is the text shown to the player.
class ELzrw1Exception : public std::runtime_error
{
public:
    explicit ELzrw1Exception(const QString &message,
                             std::optional<lzrw1::Failure> failure = std::nullopt);
    QString message() const { return m_message; }
    // The input could be read to its end but holds no valid compressed data
    // (as opposed to files that could not be opened, read or written).
    bool damagedInput() const;

private:
    QString m_message;
    std::optional<lzrw1::Failure> m_failure;
};

// Compresses one file into another and back. Files are written with the fast
// LZRW1/KH method whatever CompressMode says: it is the only method this
// program reads back. A failure after the output was created closes and
// deletes it, so a half-written file never stays behind.
class Tlzrw1
{
public:
    enum class Mode { Good, Fast, Auto };

    // Throws ELzrw1Exception when the match table cannot be had.
    Tlzrw1();

    QString InputFile;
    QString OutputFile;
    Mode CompressMode = Mode::Fast;

    // Called after every block read or written; empty by default. It must
    // not start another operation on this object.
    lzrw1::BlockHook blockHook;

    // Both return the number of bytes written and throw ELzrw1Exception.
    qint64 Compress();
    qint64 Decompress();

private:
    std::unique_ptr<lzrw1::MatchTable> m_table;
    bool m_busy = false;
};
