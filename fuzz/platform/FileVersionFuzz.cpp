// Any byte sequence read as a program file either gives its version or the default one; the
// reader never reads outside the bytes, never crashes and never allocates by a size it read.
// The same bytes are also read as a file, so both sources are held to one answer.
#include "platform/FileVersion.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include <unistd.h>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    TFixedFileInfo info{};
    const bool found = FindFixedFileInfo(data, size, info);
    if (found && (info.Signature != FixedFileInfoSignature ||
                  info.StrucVersion != FixedFileInfoStrucVersion)) {
        std::abort();
    }
    const std::string fromMemory = found ? FormatFileVersion(info) : DefaultFileVersionText;

    static const std::string path = "/tmp/orvex_fileversion_fuzz_" + std::to_string(::getpid());
    if (FILE* file = std::fopen(path.c_str(), "wb")) {
        const bool written = std::fwrite(data, 1, size, file) == size;
        std::fclose(file);
        if (written && FileVersionText(path) != fromMemory) {
            std::abort();
        }
        std::remove(path.c_str());
    }
    return 0;
}
