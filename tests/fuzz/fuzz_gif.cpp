// GIF reading: any bytes opened as an animation, which either reads or
// throws the reader's French error.
#include "FuzzInput.h"
#include "images/GifReader.h"
#include "platform/Errors.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    try {
        const GifReader::Animation a = GifReader::decode(FuzzInput::bytes(data, size), QStringLiteral("essai.gif"));
        if (a.frames.size() != a.delays.size() || a.frames.size() != a.palettes.size())
            __builtin_trap();
        for (const QImage &frame : a.frames)
            if (frame.size() != a.screen)
                __builtin_trap();
    } catch (const Platform::PemoError &) {
    }
    return 0;
}
