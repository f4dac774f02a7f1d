// Rich text import: any bytes, read as an RTF file for either kind of page.
#include "FuzzInput.h"
#include "rtf2html/RtfToHtml.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray rtf = FuzzInput::bytes(data, size);
    (void)Rtf2Html::isRtf(rtf);
    const QString latin = Rtf2Html::convert(rtf, Rtf2Html::PageCharset::Windows1252);
    const QString unicode = Rtf2Html::convert(rtf, Rtf2Html::PageCharset::Unicode);
    // A page that can hold every character never needs a character
    // reference more than one that cannot.
    if (latin.isEmpty() != unicode.isEmpty())
        __builtin_trap();
    return 0;
}
