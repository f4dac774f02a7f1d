#include "ScriptEffects.h"

#include "ScriptText.h"

namespace ScriptEffects {

namespace {

const QString crlf = QStringLiteral("\r\n");
const QString scriptOpen = QStringLiteral("<script language=\"JavaScript\">");
const QString scriptClose = QStringLiteral("</script>");

// Each line followed by CR LF.
QString lines(const QStringList &list)
{
    QString text;
    for (const QString &line : list)
        text += line + crlf;
    return text;
}

// The body piece that only calls the effect's function.
QString callPiece(const QString &call) { return lines({scriptOpen, call, scriptClose}); }

QString number(int value) { return QString::number(value); }

} // namespace

// --- text effects

Pieces scrollingMessage(const QString &message, bool inButton)
{
    const QStringList opening{scriptOpen, QStringLiteral("<!--"), QStringLiteral("msg=\"") + ScriptText::jsQuoted(message, u'"') + QStringLiteral(" - \";"),
                              QStringLiteral("function defile()"), QStringLiteral("{")};
    const QStringList start{scriptOpen, QStringLiteral("<!--"), QStringLiteral("defile();"), QStringLiteral("//-->"),
                            scriptClose};
    Pieces pieces;
    if (inButton) {
        pieces.head = lines(opening)
                      + lines({QStringLiteral("document.formmsg.buttonmsg.value=msg;"),
                               QStringLiteral("msg=msg.substring(1,255)+msg.charAt(0);"),
                               QStringLiteral("window.setTimeout(\"defile()\",200);"), QStringLiteral("}"),
                               QStringLiteral("//-->"), scriptClose});
        pieces.body = lines({QStringLiteral("<form name=formmsg>"),
                             QStringLiteral("<input type=button name=buttonmsg value=\"") + ScriptText::htmlAttribute(message)
                                 + QStringLiteral(" - \">"),
                             QStringLiteral("</form>")})
                      + lines(start);
    } else {
        // The status-line head ends without a line break after </script>.
        pieces.head = lines(opening)
                      + lines({QStringLiteral("window.status=msg;msg=msg.substring(1,255)+msg.charAt(0);"
                                              "window.setTimeout(\"defile()\",200);"),
                               QStringLiteral("}"), QStringLiteral("//-->")})
                      + scriptClose;
        pieces.body = lines(start);
    }
    return pieces;
}

Pieces gradientText(const QString &message, const QColor &start, const QColor &end)
{
    Pieces pieces;
    pieces.head = lines({
        scriptOpen,
        QStringLiteral("<!--"),
        QStringLiteral("var hexa = \"0123456789ABCDEF\";"),
        QStringLiteral("function DecToHexa(DecNb)"),
        QStringLiteral("{"),
        QStringLiteral("x=Math.floor(DecNb/16);"),
        QStringLiteral("h=hexa.charAt(x);"),
        QStringLiteral("x=DecNb%16;"),
        QStringLiteral("h+=hexa.charAt(x);"),
        QStringLiteral("return h;"),
        QStringLiteral("}"),
        QStringLiteral("function degrade(dr,dg,db,fr,fg,fb,texte)"),
        QStringLiteral("{"),
        QStringLiteral("steps=texte.length;"),
        QStringLiteral("cr=dr; cg=dg; cb=db;"),
        QStringLiteral("sr=(fr-dr)/steps;"),
        QStringLiteral("sg=(fg-dg)/steps;"),
        QStringLiteral("sb=(fb-db)/steps;"),
        QStringLiteral("for(var i=0;i<=steps;i++)"),
        QStringLiteral("{"),
        QStringLiteral("document.write('<font color=\"#'+DecToHexa(cr)+DecToHexa(cg)+DecToHexa(cb)+'\">');"),
        QStringLiteral("document.write(texte.charAt(i));"),
        QStringLiteral("document.write('</font>');"),
        QStringLiteral("cr +=sr; cg +=sg; cb +=sb;"),
        QStringLiteral("}"),
        QStringLiteral("}"),
        QStringLiteral("//-->"),
        scriptClose,
    });
    const QString call = QStringLiteral("degrade(") + number(start.red()) + u',' + number(start.green()) + u','
                         + number(start.blue()) + u',' + number(end.red()) + u',' + number(end.green()) + u','
                         + number(end.blue()) + QStringLiteral(",\"") + ScriptText::jsQuoted(message, u'"') + QStringLiteral("\");");
    pieces.body = lines({scriptOpen, QStringLiteral("<!--"), call, QStringLiteral("//-->"), scriptClose});
    return pieces;
}

Pieces animatedMessage(const QString &message)
{
    Pieces pieces;
    // The substring calls end at the message's length (in the script's own
    // UTF-16 units, as QString counts them): a fixed end cut longer messages.
    const QString length = number(int(message.size()));
    pieces.head = lines({
        scriptOpen,
        QStringLiteral("var count = -1;"),
        QStringLiteral("var counter;"),
        QStringLiteral("var nchar;"),
        QStringLiteral("var speedtogo = 150;"),
        QStringLiteral("var txt = new Array();"),
        QStringLiteral("txt2=\"") + ScriptText::jsQuoted(letterUpper(message), u'"') + QStringLiteral("\";"),
        QStringLiteral("txt1=\"") + ScriptText::jsQuoted(letterLower(message), u'"') + QStringLiteral("\";"),
        QStringLiteral("function majmin() {"),
        QStringLiteral("count++;"),
        QStringLiteral("if(count == 0){"),
        QStringLiteral("document.boite.champ.value = txt1;"),
        QStringLiteral("}"),
        QStringLiteral("if(count == 1){"),
        QStringLiteral("document.boite.champ.value=txt2.substring(0,1)+txt1.substring(") + length + QStringLiteral(",1);"),
        QStringLiteral("}"),
        QStringLiteral("if(count > 1){"),
        QStringLiteral("txt3 = txt1.substring(0,count-1)+txt2.substring(count-1,"),
        QStringLiteral("count)+txt1.substring(") + length + QStringLiteral(",count)"),
        QStringLiteral("document.boite.champ.value=txt3"),
        QStringLiteral("}"),
        QStringLiteral("if(count == txt1.length){"),
        QStringLiteral("count = -1"),
        QStringLiteral("}"),
        QStringLiteral("counter=setTimeout(\"majmin()\",speedtogo);"),
        QStringLiteral("}"),
        scriptClose,
    });
    pieces.body = lines({
        scriptOpen,
        QStringLiteral("document.write(\"<FORM NAME=\\\"boite\\\">\");"),
        QStringLiteral("document.write(\"<INPUT TYPE=\\\"TEXT\\\" NAME=\\\"champ\\\" SIZE=\\\"40\\\">\");"),
        QStringLiteral("document.write(\"</FORM>\");"),
        QStringLiteral("majmin();"),
        scriptClose,
    });
    return pieces;
}

Pieces randomMessage(const QStringList &texts)
{
    const auto text = [&texts](int i) { return i < texts.size() ? texts.at(i) : QString(); };
    QStringList head{scriptOpen, QStringLiteral("function MsgAlea() {"), QStringLiteral("var MessAlea=new Array();")};
    for (int i = 0; i < 5; ++i) {
        if (i < 3 || !text(i).isEmpty())
            head << QStringLiteral("MessAlea[%1]='").arg(i) + ScriptText::jsQuoted(text(i), u'\'') + QStringLiteral("';");
    }
    head << QStringLiteral("MessAleaNb = Math.round(Math.random()*(MessAlea.length-1));")
         << QStringLiteral("document.write(MessAlea[MessAleaNb]); }") << scriptClose;
    return {lines(head), callPiece(QStringLiteral("MsgAlea();"))};
}

QString countDownParseDate(const QDate &date)
{
    static const char *const months[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                         "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    return QString::fromLatin1(months[date.month() - 1]) + u' ' + number(date.day()) + u','
           + QStringLiteral("%1").arg(date.year(), 4, 10, QLatin1Char('0'));
}

QString countDownShownDate(const QDate &date)
{
    static const QStringList months{
        QStringLiteral("janvier"), QStringLiteral("février"), QStringLiteral("mars"),
        QStringLiteral("avril"),   QStringLiteral("mai"),     QStringLiteral("juin"),
        QStringLiteral("juillet"), QStringLiteral("août"),    QStringLiteral("septembre"),
        QStringLiteral("octobre"), QStringLiteral("novembre"), QStringLiteral("décembre"),
    };
    return number(date.day()) + u' ' + months.at(date.month() - 1) + u' '
           + QStringLiteral("%1").arg(date.year(), 4, 10, QLatin1Char('0'));
}

QString countDown(const QDate &date)
{
    return lines({
        QStringLiteral("<script language =\"Javascript\">"),
        QStringLiteral("function Reste(){"),
        QStringLiteral("Temps=Date.parse(\"") + countDownParseDate(date) + QStringLiteral(" GMT\")-Date.parse(new Date);"),
        QStringLiteral("return(Math.round(Temps/(24*60*60*1000)))}"),
        QStringLiteral("document.write(\"Il reste \" +Reste()+\" jours avant le ") + countDownShownDate(date)
            + QStringLiteral("\");"),
        scriptClose,
    });
}

// --- image, link and cookie scripts

Pieces randomPicture(const QStringList &pictures)
{
    const auto picture = [&pictures](int i) { return i < pictures.size() ? pictures.at(i) : QString(); };
    // The fifth picture decides even when the fourth is empty.
    const int n = !picture(4).isEmpty() ? 5 : !picture(3).isEmpty() ? 4 : 3;
    QStringList head{
        scriptOpen,
        QStringLiteral("function makeArray(n) {"),
        QStringLiteral("this.length=n;"),
        QStringLiteral("for (var i=1; i<=n; i++) {"),
        QStringLiteral("this[i] = \"\";"),
        QStringLiteral("}"),
        QStringLiteral("return this;"),
        QStringLiteral("}"),
        QStringLiteral("var i;"),
        QStringLiteral("function imgalea() {"),
        QStringLiteral("i=Math.floor(") + number(n) + QStringLiteral("*Math.random()+1);"),
        QStringLiteral("return img[i];"),
        QStringLiteral("}"),
        QStringLiteral("img=new makeArray(") + number(n) + QStringLiteral(");"),
    };
    // The script writes each name into an unquoted src attribute.
    for (int i = 0; i < 5; ++i) {
        if (i < 3 || !picture(i).isEmpty())
            head << QStringLiteral("img[%1]=\"").arg(i + 1)
                        + ScriptText::jsQuoted(ScriptText::unquotedUrl(picture(i)), u'"') + QStringLiteral("\";");
    }
    head << scriptClose;
    return {lines(head), callPiece(QStringLiteral("document.write(\"<img src=\"+imgalea()+\" border=0>\");"))};
}

Pieces rollover(const QString &picture1, const QString &picture2, int width, int height)
{
    const QString size = number(width) + u',' + number(height);
    Pieces pieces;
    pieces.head = lines({
        scriptOpen,
        QStringLiteral("var logo_a;"),
        QStringLiteral("var myselect='none';"),
        QStringLiteral("function onload(){"),
        QStringLiteral("logo_a = new Array();"),
        QStringLiteral("logo_a['over']=new Image(") + size + QStringLiteral(");"),
        QStringLiteral("logo_a['over'].src=\"") + ScriptText::jsQuoted(picture2, u'"') + QStringLiteral("\";"),
        QStringLiteral("logo_a['out']=new Image(") + size + QStringLiteral(");"),
        QStringLiteral("logo_a['out'].src=\"") + ScriptText::jsQuoted(picture1, u'"') + QStringLiteral("\";"),
        QStringLiteral("}"),
        QStringLiteral("function rollover(myword) {"),
        QStringLiteral("document.images[myword].src=eval(myword+\"_a['over'].src\");"),
        QStringLiteral("}"),
        QStringLiteral("function rollout(myword) {"),
        QStringLiteral("if (myselect != myword) {"),
        QStringLiteral("document.images[myword].src = eval(myword+\"_a['out'].src\");"),
        QStringLiteral("} else {"),
        QStringLiteral("myselect = 'none';"),
        QStringLiteral("}"),
        QStringLiteral("}"),
        QStringLiteral("onload();"),
        scriptClose,
    });
    pieces.body = lines({QStringLiteral("<a href=\"#\" onMouseOver=\"rollover('logo');\" onMouseOut=\"rollout('logo');\">"
                                        "<img name=\"logo\" src=\"")
                         + ScriptText::htmlAttribute(picture1) + QStringLiteral("\" alt=\"\" border=\"0\"></a>")});
    return pieces;
}

Pieces favourites(const QString &address, const QString &title)
{
    const QStringList head{
        scriptOpen,
        QStringLiteral("navig = navigator.appName.substring(0,3);"),
        QStringLiteral("version = navigator.appVersion.substring(0,1)"),
        QStringLiteral("function Favoris()"),
        QStringLiteral("{"),
        QStringLiteral("if (navig == \"Mic\" && version >= 4)"),
        QStringLiteral("{"),
        QStringLiteral("url_site=\"") + ScriptText::jsQuoted(address, u'"') + QStringLiteral("\";"),
        QStringLiteral("titre_site=\"") + ScriptText::jsQuoted(title, u'"') + QStringLiteral("\";"),
        QStringLiteral("document.write('<a href=\"#\" onClick=\"window.external.AddFavorite(url_site, titre_site);"
                       "return(false);\">Ajouter ce site à vos favoris !</a><br>')"),
        QStringLiteral("}"),
        QStringLiteral("else"),
        QStringLiteral("{"),
        QStringLiteral("document.write('Faites CTRL+D pour ajouter ce site à vos favoris!')"),
        QStringLiteral("}"),
        QStringLiteral("}"),
        scriptClose,
    };
    return {lines(head), callPiece(QStringLiteral("Favoris();"))};
}

QString printPage(bool asButton)
{
    return (asButton ? QStringLiteral("<input type=\"button\" value=\"Imprimer\" name=\"Imprimer\" "
                                      "OnClick=\"javascript:window.print()\">")
                     : QStringLiteral("<a href=\"#\" OnClick=\"javascript:window.print()\">"
                                      "cliquez ici pour imprimer la page</a>"))
           + crlf;
}

Pieces visitorCookie()
{
    // The 8 in the substring calls is the length of "visitor=" and of
    // "nbvisit=". A visitor who cancels the name box is asked no more: the
    // empty name is remembered like any other. The cookies last a year from
    // the visit.
    Pieces pieces;
    pieces.head = lines({
        scriptOpen,
        QStringLiteral("visitnd=1;"),
        QStringLiteral("cook=document.cookie;"),
        QStringLiteral("var VisitName;"),
        QStringLiteral("function detectCookie()"),
        QStringLiteral("{"),
        QStringLiteral("place=cook.indexOf(\"visitor=\",0);"),
        QStringLiteral("if(place<=-1)"),
        QStringLiteral("{"),
        QStringLiteral("while (VisitName==\"\"||VisitName==null||VisitName=='Votre nom ici')"),
        QStringLiteral("{"),
        QStringLiteral("  VisitName=prompt('Entrez votre nom','Votre nom ici');"),
        QStringLiteral("  if(VisitName==null){VisitName='';break;}"),
        QStringLiteral("}"),
        QStringLiteral("}"),
        QStringLiteral("else"),
        QStringLiteral("{"),
        QStringLiteral("end=cook.indexOf(\";\",place);"),
        QStringLiteral("if(end<=-1)"),
        QStringLiteral("{VisitName=cook.substring(place+8,cook.length);}"),
        QStringLiteral("else"),
        QStringLiteral("{VisitName=cook.substring(place+8,end);}"),
        QStringLiteral("}"),
        QStringLiteral("plac2=cook.indexOf(\"nbvisit=\",0);"),
        QStringLiteral("if(plac2<=-1)"),
        QStringLiteral("{"),
        QStringLiteral("visitnd=1;"),
        QStringLiteral("}"),
        QStringLiteral("else"),
        QStringLiteral("{"),
        QStringLiteral("end2=cook.indexOf(\";\",plac2);"),
        QStringLiteral("if(end2<=-1)"),
        QStringLiteral("{visitnd=cook.substring(plac2+8,cook.length);}"),
        QStringLiteral("else"),
        QStringLiteral("{visitnd=cook.substring(plac2+8,end2);}"),
        QStringLiteral("visitnd++;"),
        QStringLiteral("}"),
        QStringLiteral("CreateCookie();"),
        QStringLiteral("}"),
        QStringLiteral("dateExp=new Date();"),
        QStringLiteral("dateExp.setFullYear(dateExp.getFullYear()+1);"),
        QStringLiteral("dateExp=dateExp.toGMTString();"),
        QStringLiteral("function CreateCookie()"),
        QStringLiteral("{"),
        QStringLiteral("document.cookie='visitor='+VisitName+';expires='+dateExp;"),
        QStringLiteral("document.cookie='nbvisit='+visitnd+';expires='+dateExp;"),
        QStringLiteral("}"),
        scriptClose,
    });
    pieces.body = lines({
        scriptOpen,
        QStringLiteral("detectCookie();"),
        QStringLiteral("document.write('Bonjour '+VisitName+'<br>');"),
        QStringLiteral("if(visitnd==1)"),
        QStringLiteral("document.write('Ceci est votre première visite <br>');"),
        QStringLiteral("else"),
        QStringLiteral("document.write('Ceci est votre '+visitnd+' ème visite<br>');"),
        scriptClose,
    });
    return pieces;
}

// --- previews

QString rotated(const QString &text)
{
    if (text.isEmpty())
        return text;
    return text.mid(1) + text.front();
}

QString letterUpper(const QString &text)
{
    QString out = text;
    for (QChar &c : out)
        c = c.toUpper();
    return out;
}

QString letterLower(const QString &text)
{
    QString out = text;
    for (QChar &c : out)
        c = c.toLower();
    return out;
}

QString animatedFrame(const QString &message, int capital)
{
    QString frame = letterLower(message);
    if (capital >= 0 && capital < frame.size())
        frame[capital] = frame.at(capital).toUpper();
    return frame;
}

QList<QColor> gradientColours(int length, const QColor &start, const QColor &end)
{
    QList<QColor> colours;
    if (length <= 0)
        return colours;
    // C++ integer division truncates toward zero, as the steps must.
    const int stepRed = (end.red() - start.red()) / length;
    const int stepGreen = (end.green() - start.green()) / length;
    const int stepBlue = (end.blue() - start.blue()) / length;
    for (int i = 0; i < length; ++i)
        colours << QColor(start.red() + i * stepRed, start.green() + i * stepGreen, start.blue() + i * stepBlue);
    return colours;
}

int headEndLine(const QStringList &lines)
{
    for (int i = 0; i < lines.size(); ++i) {
        if (lines.at(i).contains(QStringLiteral("</HEAD"), Qt::CaseInsensitive))
            return i;
    }
    return -1;
}

} // namespace ScriptEffects
