#include "platform/FileVersion.h"

#include <array>
#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Random access to the bytes of a file or a memory image. Read fills exactly len bytes from
// offset, or fails when any of them lies outside the source.
class TByteSource
{
public:
    virtual ~TByteSource() = default;
    virtual uint64_t Size() const = 0;
    virtual bool ReadRaw(uint64_t offset, void* out, size_t len) const = 0;

    bool Read(uint64_t offset, void* out, size_t len) const
    {
        const uint64_t size = Size();
        if (offset > size || len > size - offset) {
            return false;
        }
        return ReadRaw(offset, out, len);
    }
};

class TMemorySource : public TByteSource
{
public:
    TMemorySource(const unsigned char* data, size_t size) : FData(data), FSize(size) {}
    uint64_t Size() const override { return FData == nullptr ? 0 : FSize; }
    bool ReadRaw(uint64_t offset, void* out, size_t len) const override
    {
        if (len != 0) {
            std::memcpy(out, FData + offset, len);
        }
        return true;
    }

private:
    const unsigned char* FData;
    size_t FSize;
};

class TFileSource : public TByteSource
{
public:
    TFileSource(int fd, uint64_t size) : FFd(fd), FSize(size) {}
    uint64_t Size() const override { return FSize; }
    bool ReadRaw(uint64_t offset, void* out, size_t len) const override
    {
        auto* bytes = static_cast<unsigned char*>(out);
        while (len > 0) {
            const ssize_t got = ::pread(FFd, bytes, len, static_cast<off_t>(offset));
            if (got < 0 && errno == EINTR) {
                continue;
            }
            if (got <= 0) {
                return false; // error, or the file shrank under us
            }
            bytes += got;
            offset += static_cast<uint64_t>(got);
            len -= static_cast<size_t>(got);
        }
        return true;
    }

private:
    int FFd;
    uint64_t FSize;
};

// Integers in the file's byte order.
class TEndian
{
public:
    explicit TEndian(bool bigEndian) : FBig(bigEndian) {}
    uint64_t Get(const unsigned char* p, int bytes) const
    {
        uint64_t value = 0;
        for (int i = 0; i < bytes; ++i) {
            const int index = FBig ? i : bytes - 1 - i;
            value = (value << 8) | p[index];
        }
        return value;
    }

private:
    bool FBig;
};

// Where the fields of the ELF header and of a section header lie for one file class.
struct TElfLayout
{
    size_t HeaderSize;
    size_t ShOffAt, ShOffBytes;
    size_t ShEntSizeAt, ShNumAt, ShStrNdxAt;
    size_t SectionSize; // the smallest section header we accept
    size_t NameAt, TypeAt, LinkAt, OffsetAt, SizeAt, WordBytes;
};

constexpr TElfLayout Elf32Layout{52, 0x20, 4, 0x2E, 0x30, 0x32, 40, 0, 4, 24, 16, 20, 4};
constexpr TElfLayout Elf64Layout{64, 0x28, 8, 0x3A, 0x3C, 0x3E, 64, 0, 4, 40, 24, 32, 8};

constexpr uint32_t SHT_PROGBITS = 1;
constexpr uint32_t SHN_XINDEX = 0xFFFF;

struct TSection
{
    uint32_t Name = 0;
    uint32_t Type = 0;
    uint32_t Link = 0;
    uint64_t Offset = 0;
    uint64_t Size = 0;
};

class TElfReader
{
public:
    explicit TElfReader(const TByteSource& source) : FSource(source), FEndian(false) {}

    bool FindRecord(TFixedFileInfo& info)
    {
        if (!ReadHeader()) {
            return false;
        }
        TSection strings;
        if (!Section(FStrIndex, strings) || strings.Type == 8 /* no bits in the file */) {
            return false;
        }
        for (uint64_t index = 1; index < FCount; ++index) {
            TSection section;
            if (!Section(index, section)) {
                return false;
            }
            if (section.Type == SHT_PROGBITS && NameIs(strings, section.Name) &&
                ReadRecord(section, info)) {
                return true;
            }
        }
        return false;
    }

private:
    bool ReadHeader()
    {
        std::array<unsigned char, 64> header{};
        if (!FSource.Read(0, header.data(), 16)) {
            return false;
        }
        if (header[0] != 0x7F || header[1] != 'E' || header[2] != 'L' || header[3] != 'F') {
            return false;
        }
        if (header[4] == 1) {
            FLayout = &Elf32Layout;
        } else if (header[4] == 2) {
            FLayout = &Elf64Layout;
        } else {
            return false;
        }
        if (header[5] != 1 && header[5] != 2) {
            return false;
        }
        FEndian = TEndian(header[5] == 2);
        if (!FSource.Read(0, header.data(), FLayout->HeaderSize)) {
            return false;
        }
        FTableOffset = FEndian.Get(&header[FLayout->ShOffAt], int(FLayout->ShOffBytes));
        FEntrySize = FEndian.Get(&header[FLayout->ShEntSizeAt], 2);
        uint64_t count = FEndian.Get(&header[FLayout->ShNumAt], 2);
        uint64_t strIndex = FEndian.Get(&header[FLayout->ShStrNdxAt], 2);
        if (FTableOffset == 0 || FEntrySize < FLayout->SectionSize) {
            return false;
        }
        // Section 0 carries the real count and string-table index when they do not fit the
        // header's 16-bit fields.
        FCount = 1;
        TSection first;
        if (!Section(0, first)) {
            return false;
        }
        if (count == 0) {
            count = first.Size;
        }
        if (strIndex == SHN_XINDEX) {
            strIndex = first.Link;
        }
        // Never believe a count beyond the headers that fit in the file.
        const uint64_t room = (FSource.Size() - FTableOffset) / FEntrySize;
        FCount = count < room ? count : room;
        FStrIndex = strIndex;
        return FStrIndex < FCount;
    }

    bool Section(uint64_t index, TSection& section) const
    {
        if (index >= FCount) {
            return false;
        }
        std::array<unsigned char, 64> raw{};
        // index < FCount <= (file size - table offset) / entry size: no overflow here.
        const uint64_t at = FTableOffset + index * FEntrySize;
        if (!FSource.Read(at, raw.data(), FLayout->SectionSize)) {
            return false;
        }
        const int word = int(FLayout->WordBytes);
        section.Name = uint32_t(FEndian.Get(&raw[FLayout->NameAt], 4));
        section.Type = uint32_t(FEndian.Get(&raw[FLayout->TypeAt], 4));
        section.Link = uint32_t(FEndian.Get(&raw[FLayout->LinkAt], 4));
        section.Offset = FEndian.Get(&raw[FLayout->OffsetAt], word);
        section.Size = FEndian.Get(&raw[FLayout->SizeAt], word);
        return true;
    }

    // True when the string at name in the string table is the record's section name. Reads
    // only the few bytes that name needs, and only inside the table.
    bool NameIs(const TSection& strings, uint32_t name) const
    {
        const size_t wanted = std::strlen(FileVersionSectionName) + 1; // with its terminator
        std::array<char, 32> text{};
        static_assert(sizeof(".orvex_version") <= 32);
        if (name > strings.Size || wanted > strings.Size - name) {
            return false;
        }
        if (strings.Offset > UINT64_MAX - name) {
            return false;
        }
        if (!FSource.Read(strings.Offset + name, text.data(), wanted)) {
            return false;
        }
        return std::memcmp(text.data(), FileVersionSectionName, wanted) == 0;
    }

    bool ReadRecord(const TSection& section, TFixedFileInfo& info) const
    {
        std::array<unsigned char, sizeof(TFixedFileInfo)> raw{};
        if (section.Size < raw.size() || !FSource.Read(section.Offset, raw.data(), raw.size())) {
            return false;
        }
        uint32_t words[13];
        for (int i = 0; i < 13; ++i) {
            words[i] = uint32_t(FEndian.Get(&raw[size_t(i) * 4], 4));
        }
        if (words[0] != FixedFileInfoSignature || words[1] != FixedFileInfoStrucVersion) {
            return false;
        }
        std::memcpy(&info, words, sizeof info);
        return true;
    }

    const TByteSource& FSource;
    TEndian FEndian;
    const TElfLayout* FLayout = nullptr;
    uint64_t FTableOffset = 0;
    uint64_t FEntrySize = 0;
    uint64_t FCount = 0;
    uint64_t FStrIndex = 0;
};

} // namespace

bool FindFixedFileInfo(const unsigned char* data, size_t size, TFixedFileInfo& info)
{
    const TMemorySource source(data, size);
    return TElfReader(source).FindRecord(info);
}

std::string FormatFileVersion(const TFixedFileInfo& info)
{
    return std::to_string(info.FileVersionMS >> 16) + '.' +
           std::to_string(info.FileVersionMS & 65535) + '.' +
           std::to_string(info.FileVersionLS >> 16) + '.' +
           std::to_string(info.FileVersionLS & 65535);
}

std::string FileVersionText(const std::string& fileName)
{
    std::string result = DefaultFileVersionText;
    const int fd = ::open(fileName.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        return result;
    }
    struct stat status
    {
    };
    // Only regular files: a directory, a pipe or a device has no version to give.
    if (::fstat(fd, &status) == 0 && S_ISREG(status.st_mode) && status.st_size > 0) {
        const TFileSource source(fd, static_cast<uint64_t>(status.st_size));
        TFixedFileInfo info{};
        if (TElfReader(source).FindRecord(info)) {
            result = FormatFileVersion(info);
        }
    }
    ::close(fd);
    return result;
}
