#include "PageCommands.h"

#include "document/Genxml.h"
#include "document/TagText.h"
#include "document/TextTransforms.h"
#include "page/Page.h"

namespace PageCommands {

void wrap(TPage &page, const QString &open, const QString &close)
{
    page.beginCommand();
    page.SetSelText(open + page.SelText() + close);
}

void wrapSelected(TPage &page, const QString &open, const QString &close)
{
    page.beginCommand();
    if (page.SelLength() > 0)
        page.SetSelText(open + page.SelText() + close);
}

void replaceSelection(TPage &page, const QString &text)
{
    page.beginCommand();
    page.SetSelText(text);
}

void convertAccents(TPage &page)
{
    page.beginCommand();
    page.SetLines(TextTransforms::convertAccents(page.Lines()));
}

void compact(TPage &page)
{
    page.beginCommand();
    page.SetLines(TextTransforms::compact(page.Lines()));
}

void indent(TPage &page)
{
    page.beginCommand();
    page.SetSelText(TextTransforms::indent(page.SelText()));
}

void genxml(TPage &page)
{
    QStringList lines = page.Lines();
    if (genxmlLines(lines).isEmpty())
        return;
    const int start = page.SelStart(), length = page.SelLength();
    page.replaceLines(0, int(lines.size()), lines);
    page.Select(start, length);
}

void linkStyleSheet(TPage &page, const QString &href)
{
    page.beginCommand();
    const QString link = QStringLiteral("<link rel=stylesheet href=\"") + href + QStringLiteral("\" type=\"text/css\">");
    const TagText::LineEdit edit = TagText::styleSheetLine(page.Lines());
    if (edit.line < 0)
        return;
    // The user's selection stays where it was, only moved along with the
    // text.
    page.replaceLines(edit.line, edit.replace ? 1 : 0, {link});
}

} // namespace PageCommands
