// Tag completion read from any text before the caret: what "</" closes and
// what a list would offer, at every "<" and at regular places in between.
#include "FuzzInput.h"
#include "aids/TagCompletion.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString text = FuzzInput::pageLines(FuzzInput::bytes(data, size)).join(QStringLiteral("\r\n"));
    const QStringView view(text);
    const qsizetype end = std::min<qsizetype>(view.size(), 8192);
    for (qsizetype at = 0; at <= end; ++at) {
        if (at % 61 != 0 && (at == 0 || view[at - 1] != u'<') && at != end)
            continue;
        const QStringView before = view.left(at);
        const QString name = TagCompletion::closingName(before);
        if (name.contains(u'<') || name.contains(u'>'))
            __builtin_trap();
        // No folder: no file is listed, nothing on disk is touched.
        const TagCompletion::Context context = TagCompletion::contextOf(before, QString());
        if (context.kind == TagCompletion::Kind::None && !context.choices.isEmpty())
            __builtin_trap();
        if (context.kind == TagCompletion::Kind::File && !context.choices.isEmpty())
            __builtin_trap();
        for (const QString &choice : context.choices)
            (void)TagCompletion::insertion(context, choice);
    }
    return 0;
}
