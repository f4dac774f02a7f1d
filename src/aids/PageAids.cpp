#include "PageAids.h"

#include "page/Page.h"

#include <QTextBlock>
#include <QTextDocument>

namespace PageAids {

int offsetOf(const TPage &page, int line, int column)
{
    if (line <= 0)
        return 0;
    if (line > page.LineCount())
        return page.TextLength();
    const int start = page.lineOffset(line - 1);
    return start + std::clamp(column - 1, 0, std::max(0, page.lineEndOffset(line - 1) - start));
}

void placeCaret(TPage &page, int line, int column) { page.SetSelStart(offsetOf(page, line, column)); }

bool writesReferences(const TPage &page)
{
    return PageFile::saveEncoding(page.Lines(), page.encoding()) == PageFile::Encoding::Windows1252;
}

int fixTypography(TPage &page, const QList<FrenchTypography::Fault> &faults)
{
    if (faults.isEmpty())
        return 0;
    const QStringList before = page.Lines();
    const QStringList after = FrenchTypography::applyFixes(before, faults, writesReferences(page));
    int first = 0;
    while (first < before.size() && before.at(first) == after.at(first))
        ++first;
    int last = int(before.size());
    while (last > first && before.at(last - 1) == after.at(last - 1))
        --last;
    page.beginCommand(QStringLiteral("Typographie française"));
    if (first < last) {
        const int start = page.SelStart();
        page.replaceLines(first, last - first, after.mid(first, last - first));
        // The caret stays where the user left it (give or take the spaces
        // put in before it).
        page.SetSelStart(std::min(start, page.TextLength()));
    }
    return last - first;
}

} // namespace PageAids
