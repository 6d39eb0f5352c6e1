// The file version reader: a real record linked into this test binary, small ELF images built
// here (64- and 32-bit, both byte orders), and files that lie, are cut short or are no ELF.
#include "platform/FileVersion.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include <unistd.h>

// This binary carries version 1.2.3.4, placed by the compiler and linker like the program's.
ORVEX_FILE_VERSION_RECORD(TestFileVersionRecord, 1, 2, 3, 4);

namespace {

namespace fs = std::filesystem;

// Builds a minimal ELF: header, the section name table, an optional record section, and the
// section header table at the end. Offsets of the interesting fields are kept so that tests
// can corrupt them.
class TElfBuilder
{
public:
    bool Is64 = true;
    bool BigEndian = false;
    bool WithRecord = true;
    std::string SectionName = ".orvex_version";
    TFixedFileInfo Record = MakeFixedFileInfo(1, 2, 3, 4);

    // Filled by Build.
    size_t ShOffAt = 0, ShNumAt = 0, ShStrNdxAt = 0, ShEntSizeAt = 0;
    size_t RecordAt = 0, TableAt = 0, RecordHeaderAt = 0, NamesHeaderAt = 0;

    std::vector<unsigned char> Build()
    {
        std::vector<unsigned char> out(HeaderSize(), 0);
        out[0] = 0x7F;
        out[1] = 'E';
        out[2] = 'L';
        out[3] = 'F';
        out[4] = Is64 ? 2 : 1;
        out[5] = BigEndian ? 2 : 1;
        out[6] = 1;

        // Section names: "", the record's name, ".shstrtab".
        std::string names(1, '\0');
        const uint32_t recordName = uint32_t(names.size());
        names += SectionName + '\0';
        const uint32_t tableName = uint32_t(names.size());
        names += std::string(".shstrtab") + '\0';
        const size_t namesAt = out.size();
        out.insert(out.end(), names.begin(), names.end());

        while (out.size() % 4 != 0) {
            out.push_back(0);
        }
        RecordAt = out.size();
        if (WithRecord) {
            const uint32_t* words = reinterpret_cast<const uint32_t*>(&Record);
            for (int i = 0; i < 13; ++i) {
                Put(out, out.size(), words[i], 4, true);
            }
        }
        while (out.size() % 8 != 0) {
            out.push_back(0);
        }

        TableAt = out.size();
        const int sections = WithRecord ? 3 : 2;
        out.resize(out.size() + size_t(sections) * EntrySize(), 0);
        // Section 0 stays empty; then the name table, then the record.
        NamesHeaderAt = TableAt + EntrySize();
        SectionHeader(out, NamesHeaderAt, tableName, 3, namesAt, names.size());
        if (WithRecord) {
            RecordHeaderAt = TableAt + 2 * EntrySize();
            SectionHeader(out, RecordHeaderAt, recordName, 1, RecordAt, sizeof(TFixedFileInfo));
        }

        ShOffAt = Is64 ? 0x28 : 0x20;
        ShEntSizeAt = Is64 ? 0x3A : 0x2E;
        ShNumAt = Is64 ? 0x3C : 0x30;
        ShStrNdxAt = Is64 ? 0x3E : 0x32;
        Put(out, ShOffAt, TableAt, Is64 ? 8 : 4);
        Put(out, ShEntSizeAt, EntrySize(), 2);
        Put(out, ShNumAt, uint64_t(sections), 2);
        Put(out, ShStrNdxAt, 1, 2);
        return out;
    }

    // Writes value at the given offset in the image's byte order (or, for record words, in
    // the order the target would store them).
    void Put(std::vector<unsigned char>& out, size_t at, uint64_t value, int bytes,
             bool append = false) const
    {
        if (append) {
            out.resize(at + size_t(bytes));
        }
        for (int i = 0; i < bytes; ++i) {
            const int shift = BigEndian ? 8 * (bytes - 1 - i) : 8 * i;
            out[at + size_t(i)] = static_cast<unsigned char>(value >> shift);
        }
    }

    size_t HeaderSize() const { return Is64 ? 64 : 52; }
    size_t EntrySize() const { return Is64 ? 64 : 40; }
    size_t OffsetField() const { return Is64 ? 24 : 16; }
    size_t SizeField() const { return Is64 ? 32 : 20; }
    int Word() const { return Is64 ? 8 : 4; }

private:
    void SectionHeader(std::vector<unsigned char>& out, size_t at, uint32_t name, uint32_t type,
                       uint64_t offset, uint64_t size) const
    {
        Put(out, at, name, 4);
        Put(out, at + 4, type, 4);
        Put(out, at + OffsetField(), offset, Word());
        Put(out, at + SizeField(), size, Word());
    }
};

std::string VersionOf(const std::vector<unsigned char>& image)
{
    TFixedFileInfo info{};
    if (!FindFixedFileInfo(image.data(), image.size(), info)) {
        return DefaultFileVersionText;
    }
    return FormatFileVersion(info);
}

class TTempFile
{
public:
    explicit TTempFile(const std::vector<unsigned char>& bytes)
    {
        static int counter = 0;
        FPath = fs::temp_directory_path() / ("orvex_fileversion_" + std::to_string(::getpid()) +
                                             "_" + std::to_string(counter++));
        std::ofstream(FPath, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    }
    ~TTempFile() { fs::remove(FPath); }
    std::string Path() const { return FPath.string(); }

private:
    fs::path FPath;
};

TEST(FileVersionTest, ReadsTheRecordLinkedIntoThisProgramAndDefaultsForOtherFiles)
{
    // The test binary itself: a real linker's ELF with the record in its own section.
    EXPECT_EQ(FileVersionText("/proc/self/exe"), "1.2.3.4");
    // Real ELF files without the record, something that is no ELF, and nothing at all.
    EXPECT_EQ(FileVersionText("/bin/sh"), "1.0.0.1");
    EXPECT_EQ(FileVersionText("/etc/hostname"), "1.0.0.1");
    EXPECT_EQ(FileVersionText("/no/such/file"), "1.0.0.1");
    EXPECT_EQ(FileVersionText(fs::temp_directory_path().string()), "1.0.0.1");
    EXPECT_EQ(FileVersionText(""), "1.0.0.1");
    EXPECT_EQ(FileVersionText("/dev/null"), "1.0.0.1");
    const TTempFile empty({});
    EXPECT_EQ(FileVersionText(empty.Path()), "1.0.0.1");
}

TEST(FileVersionTest, FindsTheRecordInEveryClassAndByteOrderAndFormatsWithoutLeadingZeros)
{
    for (bool is64 : {true, false}) {
        for (bool big : {false, true}) {
            TElfBuilder elf;
            elf.Is64 = is64;
            elf.BigEndian = big;
            elf.Record = MakeFixedFileInfo(2, 0, 10, 300);
            const auto image = elf.Build();
            EXPECT_EQ(VersionOf(image), "2.0.10.300") << "64-bit " << is64 << " big " << big;
            const TTempFile file(image);
            EXPECT_EQ(FileVersionText(file.Path()), "2.0.10.300");
        }
    }
    TElfBuilder widest;
    widest.Record = MakeFixedFileInfo(65535, 65535, 65535, 65535);
    EXPECT_EQ(VersionOf(widest.Build()), "65535.65535.65535.65535");

    // The file version counts, not the product version.
    TElfBuilder product;
    product.Record.ProductVersionMS = (9u << 16) | 9;
    EXPECT_EQ(VersionOf(product.Build()), "1.2.3.4");
}

TEST(FileVersionTest, RejectsRecordsThatAreMissingMisnamedOrUnsigned)
{
    TElfBuilder none;
    none.WithRecord = false;
    EXPECT_EQ(VersionOf(none.Build()), "1.0.0.1");

    TElfBuilder otherName;
    otherName.SectionName = ".orvex_versio";
    EXPECT_EQ(VersionOf(otherName.Build()), "1.0.0.1");
    TElfBuilder longerName;
    longerName.SectionName = ".orvex_version2";
    EXPECT_EQ(VersionOf(longerName.Build()), "1.0.0.1");

    TElfBuilder unsigned_;
    unsigned_.Record.Signature = 0xFEEF04BE;
    EXPECT_EQ(VersionOf(unsigned_.Build()), "1.0.0.1");
    TElfBuilder otherStructure;
    otherStructure.Record.StrucVersion = 0x00020000;
    EXPECT_EQ(VersionOf(otherStructure.Build()), "1.0.0.1");

    // A section of the right name but too small for the record, or without bytes in the file.
    TElfBuilder builder;
    auto small = builder.Build();
    builder.Put(small, builder.RecordHeaderAt + builder.SizeField(), 51, builder.Word());
    EXPECT_EQ(VersionOf(small), "1.0.0.1");
    auto nobits = builder.Build();
    builder.Put(nobits, builder.RecordHeaderAt + 4, 8, 4);
    EXPECT_EQ(VersionOf(nobits), "1.0.0.1");

    // Not an ELF: bad magic, unknown class, unknown byte order.
    for (size_t at : {size_t(0), size_t(3), size_t(4), size_t(5)}) {
        auto broken = builder.Build();
        broken[at] = 0x7E;
        EXPECT_EQ(VersionOf(broken), "1.0.0.1") << "byte " << at;
    }
}

TEST(FileVersionTest, SurvivesTruncatedFilesAndLyingOffsetsCountsAndSizes)
{
    TElfBuilder builder;
    const auto good = builder.Build();
    ASSERT_EQ(VersionOf(good), "1.2.3.4");

    // Every truncation, in memory and as a file: the section table sits at the end, so no
    // shorter image may find the record.
    for (size_t length = 0; length < good.size(); ++length) {
        const std::vector<unsigned char> cut(good.begin(), good.begin() + std::ptrdiff_t(length));
        ASSERT_EQ(VersionOf(cut), "1.0.0.1") << length;
    }
    const TTempFile cutFile(std::vector<unsigned char>(good.begin(), good.end() - 1));
    EXPECT_EQ(FileVersionText(cutFile.Path()), "1.0.0.1");

    struct TLie
    {
        const char* What;
        size_t At;
        uint64_t Value;
        int Bytes;
    };
    const uint64_t huge = ~uint64_t(0);
    const TLie lies[] = {
        {"table offset past the end", builder.ShOffAt, good.size(), 8},
        {"table offset wraps", builder.ShOffAt, huge - 8, 8},
        {"table offset zero", builder.ShOffAt, 0, 8},
        {"entries too small", builder.ShEntSizeAt, 16, 2},
        {"entries huge", builder.ShEntSizeAt, 0xFFFF, 2},
        {"count beyond the file", builder.ShNumAt, 0xFFFE, 2},
        {"name table index out of range", builder.ShStrNdxAt, 7, 2},
        {"name table index escapes", builder.ShStrNdxAt, 0xFFFF, 2},
        {"record offset past the end", builder.RecordHeaderAt + builder.OffsetField(),
         good.size() - 10, 8},
        {"record offset wraps", builder.RecordHeaderAt + builder.OffsetField(), huge - 20, 8},
        {"record size huge", builder.RecordHeaderAt + builder.SizeField(), huge, 8},
        {"name offset huge", builder.RecordHeaderAt, 0xFFFFFFFF, 4},
        {"name table offset wraps", builder.NamesHeaderAt + builder.OffsetField(), huge - 2, 8},
        {"name table size huge", builder.NamesHeaderAt + builder.SizeField(), huge, 8},
    };
    for (const TLie& lie : lies) {
        auto image = good;
        builder.Put(image, lie.At, lie.Value, lie.Bytes);
        const std::string version = VersionOf(image);
        // Lies about sizes that only grow a range may still leave the record readable; the
        // reader must never read outside the image (the sanitizers watch) and must not invent
        // a version.
        EXPECT_TRUE(version == "1.0.0.1" || version == "1.2.3.4") << lie.What;
        const TTempFile file(image);
        EXPECT_EQ(FileVersionText(file.Path()), version) << lie.What;
    }

    // The fields that lead to the record: any lie about them loses it.
    for (const TLie& lie : {lies[0], lies[1], lies[2], lies[3], lies[6], lies[8], lies[9]}) {
        auto image = good;
        builder.Put(image, lie.At, lie.Value, lie.Bytes);
        EXPECT_EQ(VersionOf(image), "1.0.0.1") << lie.What;
    }

    // A 16-bit section count of zero asks section 0 for the real count; a lying huge count
    // there is cut to what fits in the file.
    auto extended = good;
    builder.Put(extended, builder.ShNumAt, 0, 2);
    builder.Put(extended, builder.TableAt + builder.SizeField(), huge, 8);
    EXPECT_EQ(VersionOf(extended), "1.2.3.4");
}

TEST(FileVersionTest, RandomBytesAndRandomCorruptionNeverCrash)
{
    std::mt19937 random(20261208);
    TElfBuilder builder;
    const auto good = builder.Build();
    int found = 0;
    for (int round = 0; round < 3000; ++round) {
        std::vector<unsigned char> image;
        if (round % 3 == 0) {
            image.resize(random() % 400);
            for (auto& byte : image) {
                byte = static_cast<unsigned char>(random());
            }
            if (image.size() >= 4 && round % 2 == 0) {
                std::memcpy(image.data(),
                            "\x7F"
                            "ELF",
                            4);
            }
        } else {
            image = good;
            for (int flips = 1 + int(random() % 4); flips > 0; --flips) {
                image[random() % image.size()] = static_cast<unsigned char>(random());
            }
        }
        const std::string version = VersionOf(image);
        found += version != "1.0.0.1";
    }
    // Corruption that misses the path to the record keeps it readable.
    EXPECT_GT(found, 0);
}

} // namespace
