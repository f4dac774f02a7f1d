#include "HtmlElements.h"

#include <QString>

#include <algorithm>
#include <bitset>
#include <vector>
#include <cstring>

namespace HtmlElements {
namespace {

// The start tags that end an open <p>.
#define BLOCKS                                                                                              \
    "address article aside blockquote center details dialog dir div dl dd dt fieldset figcaption figure "   \
    "footer form h1 h2 h3 h4 h5 h6 header hgroup hr li listing main menu nav ol p plaintext pre section "  \
    "table ul xmp"

const char *const Global = "accesskey class contenteditable dir draggable hidden id lang spellcheck style "
                           "tabindex title translate onclick ondblclick onmousedown onmouseup onmouseover "
                           "onmousemove onmouseout onkeydown onkeypress onkeyup";

// Sorted by name: looked up by binary search.
const Element Table[] = {
    {"a", 0, "href target download rel hreflang type name charset coords shape rev", nullptr},
    {"abbr", 0, "", nullptr},
    {"acronym", Obsolete, "", nullptr},
    {"address", 0, "", nullptr},
    {"applet", Obsolete | Boundary, "code codebase archive object alt name width height align hspace vspace", nullptr},
    {"area", Void, "alt coords shape href target download rel nohref", nullptr},
    {"article", 0, "", nullptr},
    {"aside", 0, "", nullptr},
    {"audio", 0, "src controls autoplay loop muted preload crossorigin", nullptr},
    {"b", 0, "", nullptr},
    {"base", Void, "href target", nullptr},
    {"basefont", Void | Obsolete, "color face size", nullptr},
    {"bdi", 0, "", nullptr},
    {"bdo", 0, "", nullptr},
    {"bgsound", Void | Obsolete, "src loop balance volume", nullptr},
    {"big", Obsolete, "", nullptr},
    {"blink", Obsolete, "", nullptr},
    {"blockquote", 0, "cite", nullptr},
    {"body", 0, "onload onunload onbeforeunload onresize background bgcolor text link vlink alink leftmargin "
                "topmargin marginwidth marginheight", nullptr},
    {"br", Void, "clear", nullptr},
    {"button", Boundary, "type name value disabled autofocus form formaction formmethod formtarget", nullptr},
    {"canvas", 0, "width height", nullptr},
    {"caption", Boundary, "align", nullptr},
    {"center", Obsolete, "", nullptr},
    {"cite", 0, "", nullptr},
    {"code", 0, "", nullptr},
    {"col", Void, "span width align valign", nullptr},
    {"colgroup", OptionalEnd, "span width align valign", "caption colgroup thead tbody tfoot tr td th"},
    {"data", 0, "value", nullptr},
    {"datalist", 0, "", nullptr},
    {"dd", OptionalEnd, "", "dd dt"},
    {"del", 0, "cite datetime", nullptr},
    {"details", 0, "open name", nullptr},
    {"dfn", 0, "", nullptr},
    {"dialog", 0, "open", nullptr},
    {"dir", Obsolete | Boundary, "compact", nullptr},
    {"div", 0, "align", nullptr},
    {"dl", Boundary, "compact", nullptr},
    {"dt", OptionalEnd, "", "dd dt"},
    {"em", 0, "", nullptr},
    {"embed", Void, "src type width height", nullptr},
    {"fieldset", 0, "disabled form name", nullptr},
    {"figcaption", 0, "", nullptr},
    {"figure", 0, "", nullptr},
    {"font", Obsolete, "color face size", nullptr},
    {"footer", 0, "", nullptr},
    {"form", 0, "action method enctype name target accept-charset autocomplete novalidate onsubmit onreset",
     nullptr},
    {"frame", Void | Obsolete, "src name frameborder marginwidth marginheight noresize scrolling longdesc",
     nullptr},
    {"frameset", Obsolete, "rows cols border frameborder framespacing bordercolor onload onunload", nullptr},
    {"h1", 0, "align", nullptr},
    {"h2", 0, "align", nullptr},
    {"h3", 0, "align", nullptr},
    {"h4", 0, "align", nullptr},
    {"h5", 0, "align", nullptr},
    {"h6", 0, "align", nullptr},
    {"head", 0, "profile", "body frameset"},
    {"header", 0, "", nullptr},
    {"hgroup", 0, "", nullptr},
    {"hr", Void, "align noshade size width color", nullptr},
    {"html", Boundary, "lang xmlns manifest version", nullptr},
    {"i", 0, "", nullptr},
    {"iframe", 0, "src srcdoc name width height allow allowfullscreen loading referrerpolicy sandbox "
                  "frameborder scrolling marginwidth marginheight align", nullptr},
    {"img", Void, "src alt width height srcset sizes loading decoding usemap ismap crossorigin border align "
                  "hspace vspace lowsrc name longdesc", nullptr},
    {"input", Void, "type name value size maxlength checked disabled readonly placeholder required autofocus "
                    "autocomplete min max step pattern multiple accept list form src alt width height align",
     nullptr},
    {"ins", 0, "cite datetime", nullptr},
    {"isindex", Void | Obsolete, "prompt action", nullptr},
    {"kbd", 0, "", nullptr},
    {"label", 0, "for form", nullptr},
    {"legend", 0, "align", nullptr},
    {"li", OptionalEnd, "value type", "li"},
    {"link", Void, "href rel type media hreflang sizes crossorigin integrity as", nullptr},
    {"listing", Obsolete, "", nullptr},
    {"main", 0, "", nullptr},
    {"map", 0, "name", nullptr},
    {"mark", 0, "", nullptr},
    {"marquee", Obsolete | Boundary, "behavior direction loop scrollamount scrolldelay bgcolor width height "
                                     "hspace vspace", nullptr},
    {"menu", Boundary, "", nullptr},
    {"meta", Void, "name content http-equiv charset", nullptr},
    {"meter", 0, "value min max low high optimum", nullptr},
    {"multicol", Obsolete, "cols gutter width", nullptr},
    {"nav", 0, "", nullptr},
    {"nobr", Obsolete, "", nullptr},
    {"noembed", Obsolete | RawText, "", nullptr},
    {"noframes", Obsolete | RawText, "", nullptr},
    {"noscript", 0, "", nullptr},
    {"object", Boundary, "data type name width height usemap form classid codebase align border hspace vspace",
     nullptr},
    {"ol", Boundary, "start reversed type compact", nullptr},
    {"optgroup", OptionalEnd, "label disabled", "optgroup"},
    {"option", OptionalEnd, "value selected disabled label", "option optgroup"},
    {"output", 0, "for form name", nullptr},
    {"p", OptionalEnd, "align", BLOCKS},
    {"param", Void | Obsolete, "name value valuetype type", nullptr},
    {"picture", 0, "", nullptr},
    {"plaintext", Obsolete | RawText, "", nullptr},
    {"pre", 0, "width", nullptr},
    {"progress", 0, "value max", nullptr},
    {"q", 0, "cite", nullptr},
    {"rp", OptionalEnd, "", "rp rt"},
    {"rt", OptionalEnd, "", "rp rt"},
    {"ruby", 0, "", nullptr},
    {"s", 0, "", nullptr},
    {"samp", 0, "", nullptr},
    {"script", RawText, "src type async defer language charset crossorigin integrity nomodule", nullptr},
    {"section", 0, "", nullptr},
    {"select", Boundary, "name size multiple disabled required autofocus form onchange", nullptr},
    {"small", 0, "", nullptr},
    {"source", Void, "src srcset type media sizes width height", nullptr},
    {"spacer", Obsolete, "type size width height align", nullptr},
    {"span", 0, "", nullptr},
    {"strike", Obsolete, "", nullptr},
    {"strong", 0, "", nullptr},
    {"style", RawText, "type media", nullptr},
    {"sub", 0, "", nullptr},
    {"summary", 0, "", nullptr},
    {"sup", 0, "", nullptr},
    {"table", Boundary, "border cellpadding cellspacing width height align bgcolor background bordercolor frame "
                        "rules summary", nullptr},
    {"tbody", OptionalEnd, "align valign", "tbody tfoot"},
    {"td", OptionalEnd, "colspan rowspan headers width height align valign bgcolor background nowrap",
     "td th tr tbody thead tfoot"},
    {"template", Boundary, "", nullptr},
    {"textarea", RawText, "name rows cols wrap readonly disabled maxlength placeholder required autofocus form",
     nullptr},
    {"tfoot", OptionalEnd, "align valign", "tbody"},
    {"th", OptionalEnd, "colspan rowspan headers scope abbr width height align valign bgcolor nowrap",
     "td th tr tbody thead tfoot"},
    {"thead", OptionalEnd, "align valign", "tbody tfoot"},
    {"time", 0, "datetime", nullptr},
    {"title", RawText, "", nullptr},
    {"tr", OptionalEnd, "align valign bgcolor", "tr tbody thead tfoot"},
    {"track", Void, "src kind srclang label default", nullptr},
    {"tt", Obsolete, "", nullptr},
    {"u", 0, "", nullptr},
    {"ul", Boundary, "type compact", nullptr},
    {"var", 0, "", nullptr},
    {"video", 0, "src poster width height controls autoplay loop muted preload playsinline crossorigin", nullptr},
    {"wbr", Void, "", nullptr},
    {"xmp", Obsolete | RawText, "", nullptr},
};

// Compares an ASCII name in lower case (of `length` characters, or up to
// its zero) with a name as written.
int compareName(const char *lower, QStringView name, qsizetype length = -1)
{
    const qsizetype n = name.size();
    for (qsizetype i = 0;; ++i) {
        const char a = i == length ? '\0' : lower[i];
        if (i == n)
            return a ? 1 : 0;
        if (!a)
            return -1;
        char16_t b = name[i].unicode();
        if (b >= u'A' && b <= u'Z')
            b = char16_t(b + 32);
        if (char16_t(a) != b)
            return char16_t(a) < b ? -1 : 1;
    }
}

bool inList(const char *list, QStringView word)
{
    const char *p = list;
    while (*p) {
        const char *end = std::strchr(p, ' ');
        const qsizetype len = end ? end - p : qsizetype(std::strlen(p));
        if (len == word.size() && compareName(p, word, len) == 0)
            return true;
        if (!end)
            break;
        p = end + 1;
    }
    return false;
}

} // namespace

const Element *find(QStringView name)
{
    if (name.isEmpty() || name.size() > 12)
        return nullptr;
    const Element *begin = std::begin(Table), *end = std::end(Table);
    const Element *it = std::lower_bound(begin, end, name,
                                         [](const Element &e, QStringView n) { return compareName(e.name, n) < 0; });
    return it != end && compareName(it->name, name) == 0 ? it : nullptr;
}

const QStringList &names()
{
    static const QStringList all = [] {
        QStringList list;
        for (const Element &e : Table)
            list << QString::fromLatin1(e.name);
        return list;
    }();
    return all;
}

QStringList attributes(const Element *element)
{
    QStringList own = element ? QString::fromLatin1(element->attributes).split(u' ', Qt::SkipEmptyParts)
                              : QStringList();
    std::sort(own.begin(), own.end());
    QStringList global = QString::fromLatin1(Global).split(u' ');
    std::sort(global.begin(), global.end());
    for (const QString &g : std::as_const(global))
        if (!own.contains(g))
            own << g;
    return own;
}

bool endedBy(const Element &open, const Element *opening)
{
    if (!open.endedBy || !opening)
        return false;
    // Read once into a table of which start tags end which element: a page
    // of unclosed paragraphs asks it at every tag.
    constexpr size_t Count = std::size(Table);
    static const std::vector<std::bitset<Count>> ends = [] {
        std::vector<std::bitset<Count>> out(Count);
        for (size_t i = 0; i < Count; ++i)
            for (size_t j = 0; Table[i].endedBy && j < Count; ++j)
                out[i][j] = inList(Table[i].endedBy, QString::fromLatin1(Table[j].name));
        return out;
    }();
    return ends[size_t(&open - Table)][size_t(opening - Table)];
}

} // namespace HtmlElements
