// Any byte sequence read as a bitmap stream either gives a bitmap within the limits or raises
// a read error; it never crashes or allocates by an unchecked length.
#include "platform/Bitmap.h"
#include "platform/Streams.h"

#include <cstdint>
#include <cstdlib>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    TMemoryStream stream(std::vector<uint8_t>(data, data + size));
    TBitmap bitmap;
    try {
        bitmap.ReadFromStream(stream);
        if (bitmap.Width() > MaxBitmapDimension || bitmap.Height() > MaxBitmapDimension)
            std::abort();
        // What was read writes back and reads again to the same size.
        TMemoryStream again;
        bitmap.WriteToStream(again);
        again.SetPosition(0);
        TBitmap copy;
        copy.ReadFromStream(again);
        if (copy.Width() != bitmap.Width() || copy.Height() != bitmap.Height())
            std::abort();
    } catch (const EReadError&) {
    }
    return 0;
}
