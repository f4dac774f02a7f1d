#include "DocumentRules.h"

namespace DocumentRules {

void declare(TDrawRules &rules)
{
    rules.Clear();
    // All four share ZOrder 0, so a later rule wins where spans overlap:
    // the comment grey covers the tag blue, and keywords keep their colour
    // inside tags and comments alike.
    TColorRule *tags = rules.Add();
    tags->SetDefKeyColor(clBlue);
    tags->SetKeyBegEndLst({QStringLiteral("<;>")});

    TColorRule *comments = rules.Add();
    comments->SetDefKeyColor(clGray);
    comments->SetKeyBegEndLst({QStringLiteral("<!--;-->")});

    TColorRule *head = rules.Add();
    head->SetKeyDrawingType(dtKeyShow);
    head->SetDefKeyColor(clMaroon);
    head->SetKeywords({QStringLiteral("meta"), QStringLiteral("head"), QStringLiteral("html"),
                       QStringLiteral("/html"), QStringLiteral("/head"), QStringLiteral("title"),
                       QStringLiteral("/title")});

    TColorRule *attributes = rules.Add();
    attributes->SetKeyDrawingType(dtKeyShow);
    attributes->SetDefKeyColor(clFuchsia);
    attributes->SetKeywords({QStringLiteral("name="),      QStringLiteral("bgcolor="),
                             QStringLiteral("color="),     QStringLiteral("src="),
                             QStringLiteral("href="),      QStringLiteral("mailto:"),
                             QStringLiteral("vlink="),     QStringLiteral("size="),
                             QStringLiteral("align="),     QStringLiteral("valign="),
                             QStringLiteral("alt="),       QStringLiteral("width="),
                             QStringLiteral("height="),    QStringLiteral("background="),
                             QStringLiteral("link="),      QStringLiteral("face="),
                             QStringLiteral("colspan="),   QStringLiteral("type="),
                             QStringLiteral("id="),        QStringLiteral("datasrc="),
                             QStringLiteral("onclick="),   QStringLiteral("border="),
                             QStringLiteral("cellpadding="), QStringLiteral("datafld="),
                             QStringLiteral("style=")});
}

} // namespace DocumentRules
