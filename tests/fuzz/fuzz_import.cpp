// Importing a file into a page: a text or HTML file's lines, or an RTF
// file converted, as the import commands do. The first byte says which.
#include "FuzzInput.h"
#include "document/ImportText.h"
#include "rtf2html/RtfToHtml.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 1)
        return 0;
    const QByteArray bytes = FuzzInput::bytes(data + 1, size - 1);
    switch (data[0] % 3) {
    case 0:
    case 1: {
        const QStringList lines = FuzzInput::pageLines(bytes);
        const QString text = ImportText::fromLines(lines, data[0] % 3 == 1);
        if (!lines.isEmpty() && !text.endsWith(QStringLiteral("\r\n")))
            __builtin_trap();
        break;
    }
    default:
        if (Rtf2Html::isRtf(bytes))
            (void)Rtf2Html::convert(bytes);
        break;
    }
    return 0;
}
