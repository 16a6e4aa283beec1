#include "tally/lzrw1.h"

#include <QFile>
#include <QFileInfo>
#include <limits>
#include <new>

ELzrw1Exception::ELzrw1Exception(const QString &message, std::optional<lzrw1::Failure> failure)
    : std::runtime_error(message.toStdString()), m_message(message), m_failure(failure)
{
}

bool ELzrw1Exception::damagedInput() const
{
    if (!m_failure)
        return false;
    switch (*m_failure) {
    case lzrw1::Failure::ShortRead:
    case lzrw1::Failure::NoHeader:
    case lzrw1::Failure::SizeMismatch:
    case lzrw1::Failure::DamagedBlock:
        return true;
    case lzrw1::Failure::ReadWhileCompressing:
    case lzrw1::Failure::Write:
        return false;
    }
    return false;
}

namespace {

class FileSource : public lzrw1::Source
{
public:
    explicit FileSource(QFile &file) : m_file(file) {}
    std::ptrdiff_t read(std::uint8_t *data, std::size_t size) override
    {
        return std::ptrdiff_t(m_file.read(reinterpret_cast<char *>(data), qint64(size)));
    }

private:
    QFile &m_file;
};

class FileSink : public lzrw1::Sink
{
public:
    explicit FileSink(QFile &file) : m_file(file) {}
    bool write(const std::uint8_t *data, std::size_t size) override
    {
        return m_file.write(reinterpret_cast<const char *>(data), qint64(size)) == qint64(size);
    }

private:
    QFile &m_file;
};

const QString kNoBuffers =
    QStringLiteral("Lzrw1 (de)compression : Failed to get memory for I/O buffers !");

lzrw1::Buffers takeBuffers()
{
    try {
        return lzrw1::Buffers();
    } catch (const std::bad_alloc &) {
        throw ELzrw1Exception(kNoBuffers);
    }
}

bool sameFile(const QString &a, const QString &b)
{
    const QString ca = QFileInfo(a).canonicalFilePath();
    return !ca.isEmpty() && ca == QFileInfo(b).canonicalFilePath();
}

// Opens both files; the output is only created once the input is open.
void openBoth(QFile &input, QFile &output)
{
    if (!input.open(QIODevice::ReadOnly))
        throw ELzrw1Exception("Lzrw1 (de)compression : Failed to open input file : " +
                              input.fileName());
    // Truncating the input itself would destroy the very data being read.
    if (sameFile(input.fileName(), output.fileName()) ||
        !output.open(QIODevice::WriteOnly | QIODevice::Truncate))
        throw ELzrw1Exception("Lzrw1 (de)compression : Failed to open output file : " +
                              output.fileName());
}

QString messageFor(lzrw1::Failure failure, const QString &input, const QString &output)
{
    switch (failure) {
    case lzrw1::Failure::ReadWhileCompressing:
        return "Lzrw1 : Error reading from input file : " + input + " (LZRW1/KH)";
    case lzrw1::Failure::ShortRead:
        return "Lzrw1 : Error reading from input file : " + input;
    case lzrw1::Failure::Write:
        return "Lzrw1 : Error writing to output file : " + output;
    case lzrw1::Failure::NoHeader:
        return input + " : Lzrw1 decompression : this file has no valid header !";
    case lzrw1::Failure::SizeMismatch:
        return QStringLiteral(
            "Lzrw1 (decompression LZRW1/KH) : Original and compressed sizes do not match !");
    case lzrw1::Failure::DamagedBlock:
        return "Lzrw1 (decompression LZRW1/KH) : damaged block in input file : " + input;
    }
    return QString();
}

// Deletes the output once created, unless the operation got to its end.
class OutputGuard
{
public:
    explicit OutputGuard(QFile &output) : m_output(output) {}
    ~OutputGuard()
    {
        if (m_armed && !m_done) {
            m_output.close();
            // Only ever a file this operation wrote, never a device or pipe.
            if (QFileInfo(m_output.fileName()).isFile())
                m_output.remove();
        }
    }
    void arm() { m_armed = true; }
    void done() { m_done = true; }

private:
    QFile &m_output;
    bool m_armed = false;
    bool m_done = false;
};

class BusyGuard
{
public:
    explicit BusyGuard(bool &busy) : m_busy(busy)
    {
        if (m_busy)
            throw ELzrw1Exception(
                QStringLiteral("Lzrw1 : another operation is still running on this object"));
        m_busy = true;
    }
    ~BusyGuard() { m_busy = false; }

private:
    bool &m_busy;
};

// Everything written must reach the disk; a short write shows only here.
void finishOutput(QFile &output)
{
    if (!output.flush())
        throw lzrw1::StreamError{lzrw1::Failure::Write};
    output.close();
    if (output.error() != QFileDevice::NoError)
        throw lzrw1::StreamError{lzrw1::Failure::Write};
}

} // namespace

Tlzrw1::Tlzrw1()
{
    try {
        m_table = std::make_unique<lzrw1::MatchTable>();
    } catch (const std::bad_alloc &) {
        throw ELzrw1Exception(QStringLiteral("LZRW1KH : no memory for HASH table"));
    }
}

qint64 Tlzrw1::Compress()
{
    BusyGuard busy(m_busy);
    lzrw1::Buffers buffers = takeBuffers();
    const QFileInfo info(InputFile);
    // The header holds the size in 32 bits; a bigger file could not be restored.
    if (!info.exists() || !info.isFile() ||
        info.size() > qint64(std::numeric_limits<std::uint32_t>::max()))
        throw ELzrw1Exception("Lzrw1 compression : Failed to obtain the size of : " + InputFile);
    QFile input(InputFile);
    QFile output(OutputFile);
    OutputGuard guard(output);
    openBoth(input, output);
    guard.arm();
    try {
        FileSource source(input);
        FileSink sink(output);
        const std::uint64_t written = lzrw1::compressStream(source, std::uint32_t(info.size()),
                                                            sink, buffers, *m_table, blockHook);
        finishOutput(output);
        guard.done();
        return qint64(written);
    } catch (const lzrw1::StreamError &e) {
        throw ELzrw1Exception(messageFor(e.failure, InputFile, OutputFile), e.failure);
    }
}

qint64 Tlzrw1::Decompress()
{
    BusyGuard busy(m_busy);
    lzrw1::Buffers buffers = takeBuffers();
    QFile input(InputFile);
    QFile output(OutputFile);
    OutputGuard guard(output);
    openBoth(input, output);
    guard.arm();
    try {
        FileSource source(input);
        FileSink sink(output);
        const std::uint64_t written = lzrw1::decompressStream(source, sink, buffers, blockHook);
        finishOutput(output);
        guard.done();
        return qint64(written);
    } catch (const lzrw1::StreamError &e) {
        throw ELzrw1Exception(messageFor(e.failure, InputFile, OutputFile), e.failure);
    }
}
