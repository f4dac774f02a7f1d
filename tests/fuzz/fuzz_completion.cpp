// Tag completion read from any text before the caret: what "</" closes and
// what a list would offer, at every "<" and at regular places in between;
// read from a page, the list is the one the same text alone gives.
#include "FuzzInput.h"
#include "aids/TagCompletion.h"

#include <QTextDocument>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QStringList lines = FuzzInput::pageLines(FuzzInput::bytes(data, size));
    const QString text = lines.join(QStringLiteral("\r\n"));
    // The page holds its line breaks as one character each.
    const QString paged = lines.join(QChar(0x2029));
    QTextDocument document;
    document.setPlainText(lines.join(u'\n'));
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
    const qsizetype pagedEnd = std::min<qsizetype>(paged.size(), 8192);
    for (qsizetype at = 0; at <= pagedEnd; ++at) {
        if (at % 61 != 0 && (at == 0 || paged[at - 1] != u'<') && at != pagedEnd)
            continue;
        const QStringView before = QStringView(paged).left(at).right(TagCompletion::ContextLookBack);
        if (TagCompletion::contextAt(document, int(at), QString()).choices
            != TagCompletion::contextOf(before, QString()).choices)
            __builtin_trap();
    }
    return 0;
}
