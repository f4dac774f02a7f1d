// Opening a page: encoding guessed from the bytes or named by the page,
// lines cut at every kind of break, and the page written back.
#include "FuzzInput.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes = FuzzInput::bytes(data, size);
    const PageFile::Page page = PageFile::decode(bytes);
    (void)PageFile::declaredEncoding(QString::fromLatin1(bytes));
    if (!page.text)
        return 0;
    const PageFile::Encoding saved = PageFile::saveEncoding(page.lines, page.encoding);
    const QByteArray written = PageFile::encode(page.lines, saved, page.breaks);
    // Written in a form that names itself (UTF-8, or a wide form with its
    // mark), with its own line breaks, a page reads back as the same lines.
    // A wide form without a mark is only a guess from the bytes, which other
    // bytes may turn another way.
    using E = PageFile::Encoding;
    const bool unmarkedWide = saved == E::Utf16Le || saved == E::Utf16Be || saved == E::Utf32Le || saved == E::Utf32Be;
    if (saved != E::Windows1252 && !unmarkedWide && PageFile::decode(written).lines != page.lines)
        __builtin_trap();
    for (const QString &line : page.lines)
        if (line.contains(u'\r') || line.contains(u'\n'))
            __builtin_trap();
    return 0;
}
