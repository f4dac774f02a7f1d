// XML conversion of any page.
#include "FuzzInput.h"
#include "document/Genxml.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    QStringList lines = FuzzInput::pageLines(FuzzInput::bytes(data, size));
    const qsizetype count = lines.size();
    const QList<int> changed = genxmlLines(lines);
    if (lines.size() != count)
        __builtin_trap();
    for (int index : changed)
        if (index < 1 || index >= count)
            __builtin_trap();
    return 0;
}
