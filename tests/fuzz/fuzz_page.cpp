// Opening a page: encoding guessed from the bytes or named by the page,
// lines cut at every kind of break, and the page written back.
#include "FuzzInput.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes = FuzzInput::bytes(data, size);
    const PageFile::Page page = PageFile::decode(bytes);
    (void)PageFile::declaredEncoding(QString::fromLatin1(bytes));
    const PageFile::Encoding saved = PageFile::saveEncoding(page.lines, page.encoding);
    const QByteArray written = PageFile::encode(page.lines, saved);
    // Written in UTF-8, a page reads back as the same lines.
    if (saved != PageFile::Encoding::Windows1252 && PageFile::decode(written).lines != page.lines)
        __builtin_trap();
    for (const QString &line : page.lines)
        if (line.contains(u'\r') || line.contains(u'\n'))
            __builtin_trap();
    return 0;
}
