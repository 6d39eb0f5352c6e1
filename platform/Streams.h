#pragma once
// Byte streams: a position-based read/write interface with a memory and a file implementation.
// Short reads through ReadBuffer raise EReadError; write failures raise EStreamError.
#include "platform/Errors.h"

#include <QFile>
#include <QString>

#include <cstdint>
#include <vector>

class TStream
{
public:
    virtual ~TStream() = default;

    // Reads up to count bytes into buffer; returns the number read (0 at the end).
    virtual int64_t Read(void* buffer, int64_t count) = 0;
    // Writes count bytes; returns the number written.
    virtual int64_t Write(const void* buffer, int64_t count) = 0;
    virtual int64_t Size() const = 0;
    virtual int64_t Position() const = 0;
    // Moves the position; clamped to 0 .. Size for reading streams.
    virtual void SetPosition(int64_t position) = 0;

    // Exactly count bytes or EReadError("Stream read error").
    void ReadBuffer(void* buffer, int64_t count);
    // Exactly count bytes or EStreamError("Stream write error").
    void WriteBuffer(const void* buffer, int64_t count);
    int64_t Remaining() const { return Size() - Position(); }

    // Little-endian 32-bit values.
    int32_t ReadInt32();
    void WriteInt32(int32_t value);
    // Copies count bytes from source (all of source from its start when count is 0).
    int64_t CopyFrom(TStream& source, int64_t count);
};

// Bytes in memory. Contents never grow beyond MaxSize: a write that would reach past it writes
// nothing (WriteBuffer raises EStreamError) and SetSize beyond it raises EStreamError, so a
// far-off position cannot make it allocate without bound.
class TMemoryStream : public TStream
{
public:
    static constexpr int64_t MaxSize = int64_t{1} << 30;

    TMemoryStream() = default;
    explicit TMemoryStream(std::vector<uint8_t> bytes) : FData(std::move(bytes)) {}

    int64_t Read(void* buffer, int64_t count) override;
    int64_t Write(const void* buffer, int64_t count) override;
    int64_t Size() const override { return static_cast<int64_t>(FData.size()); }
    int64_t Position() const override { return FPosition; }
    void SetPosition(int64_t position) override;
    // Truncates or zero-extends the contents (at most MaxSize).
    void SetSize(int64_t size);
    void Clear();

    const std::vector<uint8_t>& Bytes() const { return FData; }
    const uint8_t* Memory() const { return FData.data(); }

private:
    std::vector<uint8_t> FData;
    int64_t FPosition = 0;
};

// File open modes.
enum TFileMode
{
    fmOpenRead,
    fmOpenWrite,
    fmOpenReadWrite,
    fmCreate
};

class TFileStream : public TStream
{
public:
    // Opens or creates the file; EStreamError ("Cannot open file ...") on failure.
    TFileStream(const QString& fileName, TFileMode mode);

    int64_t Read(void* buffer, int64_t count) override;
    int64_t Write(const void* buffer, int64_t count) override;
    int64_t Size() const override { return FFile.size(); }
    int64_t Position() const override { return FFile.pos(); }
    void SetPosition(int64_t position) override;

private:
    QFile FFile;
};
