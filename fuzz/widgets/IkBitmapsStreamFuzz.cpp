// Feeds arbitrary bytes to the bitmap list reader. It must either read the list or raise one of
// the program's exceptions; what it read must write back and read again to the same list.
// Reading and writing bitmaps only touches QImage, so no QGuiApplication is needed.
#include "platform/Bitmap.h"
#include "platform/Streams.h"
#include "widgets/IkClasses.h"

#include <cstdint>
#include <cstdlib>
#include <vector>

namespace {

void Check(bool condition)
{
    if (!condition)
        std::abort();
}

bool SameImages(const TIkBitmaps& a, const TIkBitmaps& b)
{
    if (a.Count() != b.Count())
        return false;
    for (int32_t i = 0; i < a.Count(); ++i)
        if (a.Items(i)->Image() != b.Items(i)->Image())
            return false;
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    TMemoryStream stream(std::vector<uint8_t>(data, data + size));
    TIkBitmaps list;
    int notified = 0;
    list.OnChange = [&](TIkPersistent*) { ++notified; };
    bool complete = true;
    try {
        list.ReadFromStream(stream);
    } catch (const Exception&) {
        complete = false;
    }
    // Every bitmap added was announced once; each took at least its 4-byte length field.
    Check(notified == list.Count());
    Check(static_cast<int64_t>(list.Count()) * 4 <= static_cast<int64_t>(size));
    Check(list.UpdateCount() == 0);

    if (complete) {
        TMemoryStream copy;
        list.WriteToStream(copy);
        copy.SetPosition(0);
        TIkBitmaps again;
        again.ReadFromStream(copy);
        Check(SameImages(list, again));
    }
    return 0;
}
