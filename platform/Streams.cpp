#include "platform/Streams.h"

#include <algorithm>
#include <cstring>

void TStream::ReadBuffer(void* buffer, int64_t count)
{
    if (count < 0 || (count > 0 && Read(buffer, count) != count))
        throw EReadError("Stream read error");
}

void TStream::WriteBuffer(const void* buffer, int64_t count)
{
    if (count < 0 || (count > 0 && Write(buffer, count) != count))
        throw EStreamError("Stream write error");
}

int32_t TStream::ReadInt32()
{
    uint8_t b[4];
    ReadBuffer(b, 4);
    const uint32_t v = static_cast<uint32_t>(b[0]) | (static_cast<uint32_t>(b[1]) << 8) |
                       (static_cast<uint32_t>(b[2]) << 16) | (static_cast<uint32_t>(b[3]) << 24);
    return static_cast<int32_t>(v);
}

void TStream::WriteInt32(int32_t value)
{
    const auto v = static_cast<uint32_t>(value);
    const uint8_t b[4] = {static_cast<uint8_t>(v), static_cast<uint8_t>(v >> 8),
                          static_cast<uint8_t>(v >> 16), static_cast<uint8_t>(v >> 24)};
    WriteBuffer(b, 4);
}

int64_t TStream::CopyFrom(TStream& source, int64_t count)
{
    if (count == 0) {
        source.SetPosition(0);
        count = source.Size();
    }
    if (count < 0 || count > source.Remaining())
        throw EReadError("Stream read error");
    uint8_t chunk[8192];
    int64_t left = count;
    while (left > 0) {
        const int64_t n = std::min<int64_t>(left, sizeof chunk);
        source.ReadBuffer(chunk, n);
        WriteBuffer(chunk, n);
        left -= n;
    }
    return count;
}

// ---- TMemoryStream ----------------------------------------------------------------------------

int64_t TMemoryStream::Read(void* buffer, int64_t count)
{
    if (count <= 0 || FPosition >= Size())
        return 0;
    const int64_t n = std::min(count, Size() - FPosition);
    std::memcpy(buffer, FData.data() + FPosition, static_cast<size_t>(n));
    FPosition += n;
    return n;
}

int64_t TMemoryStream::Write(const void* buffer, int64_t count)
{
    if (count <= 0 || count > MaxSize || FPosition > MaxSize - count)
        return 0;
    const int64_t end = FPosition + count;
    if (end > Size())
        FData.resize(static_cast<size_t>(end));
    std::memcpy(FData.data() + FPosition, buffer, static_cast<size_t>(count));
    FPosition = end;
    return count;
}

void TMemoryStream::SetPosition(int64_t position)
{
    FPosition = std::max<int64_t>(0, position);
}

void TMemoryStream::SetSize(int64_t size)
{
    if (size > MaxSize)
        throw EStreamError("Out of memory while expanding memory stream");
    FData.resize(static_cast<size_t>(std::max<int64_t>(0, size)));
    FPosition = std::min(FPosition, Size());
}

void TMemoryStream::Clear()
{
    FData.clear();
    FPosition = 0;
}

// ---- TFileStream ------------------------------------------------------------------------------

TFileStream::TFileStream(const QString& fileName, TFileMode mode) : FFile(fileName)
{
    QIODevice::OpenMode qtMode = QIODevice::ReadOnly;
    switch (mode) {
    case fmOpenRead:
        qtMode = QIODevice::ReadOnly;
        break;
    case fmOpenWrite:
        qtMode = QIODevice::WriteOnly | QIODevice::ExistingOnly;
        break;
    case fmOpenReadWrite:
        qtMode = QIODevice::ReadWrite | QIODevice::ExistingOnly;
        break;
    case fmCreate:
        qtMode = QIODevice::ReadWrite | QIODevice::Truncate;
        break;
    }
    if (!FFile.open(qtMode))
        throw EStreamError("Cannot open file \"" + fileName.toStdString() + "\"");
}

int64_t TFileStream::Read(void* buffer, int64_t count)
{
    if (count <= 0)
        return 0;
    const qint64 n = FFile.read(static_cast<char*>(buffer), count);
    return n < 0 ? 0 : n;
}

int64_t TFileStream::Write(const void* buffer, int64_t count)
{
    if (count <= 0)
        return 0;
    const qint64 n = FFile.write(static_cast<const char*>(buffer), count);
    return n < 0 ? 0 : n;
}

void TFileStream::SetPosition(int64_t position)
{
    FFile.seek(std::max<int64_t>(0, position));
}
