#include "BatchMode.h"

#include "aids/HtmlValidator.h"
#include "document/Genxml.h"
#include "document/ImportText.h"
#include "document/PageCheck.h"
#include "page/PageFile.h"
#include "document/PageStats.h"
#include "page/SafeSave.h"
#include "document/TextTransforms.h"
#include "platform/Errors.h"
#include "platform/Paths.h"

#include <QFileInfo>
#include <QTextStream>
#include <functional>

namespace BatchMode {
namespace {

constexpr int Failure = 2;

struct Option {
    const char *name;
    int files;                  // file names that follow the option
    const char *synopsis;
    const char *description;
    std::function<void(const QStringList &files, QTextStream &out)> action;
    // An option whose exit status says what it found (0 when nothing).
    std::function<int(const QStringList &files, QTextStream &out)> finding = {};
};

void importRtf(const QStringList &files, QTextStream &)
{
    // The page written is Windows-1252, like a new page of the editor.
    const QString html = ImportText::rtfFileToHtml(files.at(0), PageFile::Encoding::Windows1252);
    PageFile::write(files.at(1), PageFile::splitLines(html), PageFile::Encoding::Windows1252);
}

void exportText(const QStringList &files, QTextStream &)
{
    const PageFile::Page page = PageFile::read(files.at(0));
    PageFile::write(files.at(1), TextTransforms::exportLines(page.lines), page.encoding, page.breaks);
}

void toXml(const QStringList &files, QTextStream &)
{
    PageFile::Page page = PageFile::read(files.at(0));
    genxmlLines(page.lines);
    PageFile::write(files.at(1), page.lines, page.encoding, page.breaks);
}

void check(const QStringList &files, QTextStream &out)
{
    const PageFile::Page page = PageFile::read(files.at(0));
    out << "Balise\tOuverte\tFermée\n";
    for (const PageCheck::TagBalance &tag : PageCheck::check(page.lines)) {
        out << tag.shortName() << '\t' << tag.openings << '\t' << tag.closings;
        if (tag.unbalanced())
            out << "\t*";
        out << '\n';
    }
}

void stats(const QStringList &files, QTextStream &out)
{
    const PageFile::Page page = PageFile::read(files.at(0));
    const QString folder = Platform::folderPart(QFileInfo(files.at(0)).absoluteFilePath());
    const PageStats::Stats figures = PageStats::compute(
        page.lines, [&folder](const QString &name) { return PageStats::pictureFileSize(folder, name); },
        PageFile::saveEncoding(page.lines, page.encoding), page.breaks);
    for (const QString &line : PageStats::report(figures))
        out << line << '\n';
}

// The messages, one a line; 1 when there are any.
int validate(const QStringList &files, QTextStream &out)
{
    const PageFile::Page page = PageFile::read(files.at(0));
    const QList<HtmlValidator::Message> messages = HtmlValidator::validate(page.lines);
    for (const HtmlValidator::Message &m : messages)
        out << HtmlValidator::describe(m) << '\n';
    return messages.isEmpty() ? 0 : 1;
}

const Option options[] = {
    {"--import-rtf", 2, "--import-rtf FICHIER.rtf PAGE.htm", "convertit un fichier RTF en page HTML", importRtf},
    {"--export-text", 2, "--export-text PAGE.htm TEXTE.txt", "exporte la page en texte sans les balises", exportText},
    {"--to-xml", 2, "--to-xml PAGE.htm PAGE.xml", "enregistre la page sous forme XML", toXml},
    {"--check", 1, "--check PAGE.htm", "affiche la vérification des balises", check},
    {"--stats", 1, "--stats PAGE.htm", "affiche les statistiques de la page", stats},
    {"--validate", 1, "--validate PAGE.htm", "valide la page (HTML5) ; code 1 s'il y a des messages", {}, validate},
};

void help(QTextStream &out)
{
    out << "Usage : pemohtml [FICHIER...]\n"
           "        pemohtml OPTION FICHIERS\n\n"
           "Sans option, ouvre les fichiers dans l'éditeur. Avec une option, travaille sans fenêtre :\n";
    for (const Option &o : options)
        out << "  " << QString::fromUtf8(o.synopsis).leftJustified(36) << QString::fromUtf8(o.description) << '\n';
    out << "  " << QStringLiteral("--help").leftJustified(36) << "affiche cette aide\n\n"
           "Code de sortie : 0 en cas de réussite, 1 quand --validate trouve des messages,\n"
           "2 en cas d'erreur.\n";
}

int fail(QTextStream &err, const QString &message)
{
    err << "pemohtml : " << message << '\n';
    err.flush();
    return Failure;
}

} // namespace

bool requested(const QStringList &arguments)
{
    return !arguments.isEmpty() && arguments.first().startsWith(QLatin1String("--"));
}

int run(const QStringList &arguments, QTextStream &out, QTextStream &err)
{
    const QString name = arguments.value(0);
    if (name == QLatin1String("--help")) {
        help(out);
        out.flush();
        return 0;
    }
    for (const Option &o : options) {
        if (name != QLatin1String(o.name))
            continue;
        const QStringList files = arguments.mid(1);
        if (files.size() != o.files)
            return fail(err, QStringLiteral("%1 attend %2 nom(s) de fichier.\nUsage : pemohtml %3")
                                 .arg(name)
                                 .arg(o.files)
                                 .arg(QString::fromUtf8(o.synopsis)));
        // Written over its own input, a page would be lost for good if the
        // work failed half-way, and the input is gone either way.
        if (o.files == 2 && SafeSave::sameFile(files.at(0), files.at(1)))
            return fail(err, QStringLiteral("le fichier de sortie %1 est le fichier d'entrée %2 : "
                                            "rien n'a été écrit, choisissez un autre nom de sortie.")
                                 .arg(files.at(1), files.at(0)));
        int status = 0;
        try {
            if (o.finding)
                status = o.finding(files, out);
            else
                o.action(files, out);
        } catch (const Platform::PemoError &e) {
            out.flush();
            return fail(err, e.message());
        }
        out.flush();
        return status;
    }
    return fail(err, QStringLiteral("option inconnue : %1\nLa liste des options : pemohtml --help").arg(name));
}

} // namespace BatchMode
