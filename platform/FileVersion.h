#pragma once
// The program file's version information. The build places a fixed file-information record in
// a section of its own in the executable (ELF); the reader finds that section through the
// file's section headers, checks the record and formats its file version as a.b.c.d.
//
// The reader trusts nothing in the file: every offset and size is checked against the file's
// real size before it is used, nothing is allocated by a size read from the file, and any
// file that is not a readable ELF with a valid record gives the default version.
#include <cstddef>
#include <cstdint>
#include <string>

// The fixed file information: thirteen little-endian 32-bit words, laid out as the classic
// desktop's fixed version block so that a.b.c.d packs the same way (a and b in FileVersionMS,
// c and d in FileVersionLS, the higher part in the upper 16 bits).
struct TFixedFileInfo
{
    uint32_t Signature;
    uint32_t StrucVersion;
    uint32_t FileVersionMS;
    uint32_t FileVersionLS;
    uint32_t ProductVersionMS;
    uint32_t ProductVersionLS;
    uint32_t FileFlagsMask;
    uint32_t FileFlags;
    uint32_t FileOS;
    uint32_t FileType;
    uint32_t FileSubtype;
    uint32_t FileDateMS;
    uint32_t FileDateLS;
};
static_assert(sizeof(TFixedFileInfo) == 52, "the record is 13 words without padding");

constexpr uint32_t FixedFileInfoSignature = 0xFEEF04BD;
constexpr uint32_t FixedFileInfoStrucVersion = 0x00010000;
// The ELF section that holds the record.
constexpr const char* FileVersionSectionName = ".orvex_version";
// What a file without a valid record reports.
constexpr const char* DefaultFileVersionText = "1.0.0.1";

constexpr TFixedFileInfo MakeFixedFileInfo(uint16_t a, uint16_t b, uint16_t c, uint16_t d)
{
    const uint32_t ms = (uint32_t(a) << 16) | b;
    const uint32_t ls = (uint32_t(c) << 16) | d;
    return TFixedFileInfo{FixedFileInfoSignature,
                          FixedFileInfoStrucVersion,
                          ms,
                          ls,
                          ms,
                          ls,
                          0x3F,
                          0,
                          0x40004, // a 32-bit-style desktop program, as the classic format names it
                          1,       // an application
                          0,
                          0,
                          0};
}

// Defines the record of a program or test binary in its own section, kept by the compiler and
// the linker even though nothing refers to it.
#define ORVEX_FILE_VERSION_RECORD(name, a, b, c, d)                                                \
    extern "C" __attribute__((section(".orvex_version"), used, aligned(4)))                        \
    const TFixedFileInfo name = MakeFixedFileInfo(a, b, c, d)

// Finds and checks the record in an ELF image held in memory. Returns true and fills info
// when the image has a section named FileVersionSectionName of at least the record's size
// whose first bytes carry the signature and the structure version.
bool FindFixedFileInfo(const unsigned char* data, size_t size, TFixedFileInfo& info);

// The version text of a fixed file information: "a.b.c.d" in decimal without leading zeros.
std::string FormatFileVersion(const TFixedFileInfo& info);

// The file version of the named file as a.b.c.d, DefaultFileVersionText when the file cannot
// be read or holds no valid record.
std::string FileVersionText(const std::string& fileName);
