#include "CommandTable.h"

#include "app/Main.h"
#include "document/AidCommands.h"
#include "document/Childwin.h"

#include <QStringList>

namespace {

using DocFn = std::function<void(TEditeur &)>;
using FrameFn = std::function<void(TMainForm &)>;

MenuCommand doc(const char *name, const QString &caption, const QString &hint, DocFn fn = {},
                const char *shortcut = "")
{
    MenuCommand c;
    c.name = QString::fromLatin1(name);
    c.caption = caption;
    c.hint = hint;
    c.doc = true;
    c.onDocument = std::move(fn);
    c.shortcut = QString::fromLatin1(shortcut);
    return c;
}

MenuCommand frame(const char *name, const QString &caption, const QString &hint, FrameFn fn = {},
                  const char *shortcut = "")
{
    MenuCommand c;
    c.name = QString::fromLatin1(name);
    c.caption = caption;
    c.hint = hint;
    c.onFrame = std::move(fn);
    c.shortcut = QString::fromLatin1(shortcut);
    return c;
}

MenuCommand sep(MenuCommand c)
{
    c.separatorBefore = true;
    return c;
}

MenuCommand submenu(MenuCommand c, QList<MenuCommand> children)
{
    c.children = std::move(children);
    return c;
}

QList<MenuDefinition> build()
{
    QList<MenuDefinition> menus;

    menus << MenuDefinition{QStringLiteral("Fichier1"), QStringLiteral("&Fichier"),
        QStringLiteral("Quitter cette application"), 4, {
        frame("FileNewItem", QStringLiteral("&Nouveau"), QStringLiteral("Créer un nouveau fichier"),
              [](TMainForm &f) { f.FileNewItemClick(); }, "Ctrl+N"),
        submenu(frame("Nouveauprojet1", QStringLiteral("Nouveau &projet"), QStringLiteral("Assistant projet")), {
            frame("Siteperso1", QStringLiteral("Site &personnel"), QStringLiteral("Site perso"),
                  [](TMainForm &f) { f.Nouveauprojet1Click(); }),
            frame("Cv1", QStringLiteral("&Curriculum vitae"), QStringLiteral("Curriculum vitae"),
                  [](TMainForm &f) { f.Cv1Click(); }),
            frame("Sitepro1", QStringLiteral("Site pr&ofessionnel"), QStringLiteral("Site professionnel"),
                  [](TMainForm &f) { f.Sitepro1Click(); }),
        }),
        frame("FileOpenItem", QStringLiteral("&Ouvrir"), QStringLiteral("Ouvrir un fichier existant"),
              [](TMainForm &f) { f.FileOpenItemClick(); }, "Ctrl+O"),
        [] {
            MenuCommand c = doc("FileCloseItem", QStringLiteral("&Fermer"), QStringLiteral("Fermer le fichier en cours"));
            c.onFrame = [](TMainForm &f) { f.FileCloseItemClick(); };
            return c;
        }(),
        sep(doc("FileSaveItem", QStringLiteral("&Enregistrer"), QStringLiteral("Enregistrer le fichier en cours"),
            [](TEditeur &e) { e.Enregistrer(); }, "Ctrl+S")),
        doc("FileSaveAsItem", QStringLiteral("Enregistrer &sous..."),
            QStringLiteral("Enregistrer le fichier en cours sous..."), [](TEditeur &e) { e.SaveAs(); }),
        [] {
            MenuCommand c = doc("Toutenregistrer1", QStringLiteral("&Tout enregistrer"),
                                QStringLiteral("Enregistrer toutes les fenêtres"));
            c.onFrame = [](TMainForm &f) { f.Toutenregistrer1Click(); };
            return c;
        }(),
        sep(doc("Importerfichierrtf1", QStringLiteral("Importer fichier &RTF..."),
            QStringLiteral("Importer fichier texte enrichi"), [](TEditeur &e) { e.Importrtf(); })),
        doc("Exportersansbalises1", QStringLiteral("E&xporter sans les balises..."),
            QStringLiteral("Exporter en texte sans balises"), [](TEditeur &e) { e.Exporte(); }),
        sep(frame("TransferparFTP1", QStringLiteral("&Transfert par FTP"),
              QStringLiteral("Envoyer les fichiers par FTP"), [](TMainForm &f) { f.TransferparFTP1Click(); })),
        sep(doc("Imprimer1", QStringLiteral("&Imprimer..."), QStringLiteral("Imprimer le fichier"),
            [](TEditeur &e) { e.Imprimer(); }, "Ctrl+P")),
        frame("Configurationimpression1", QStringLiteral("&Configuration impression..."),
              QStringLiteral("Configurer l'imprimante"), [](TMainForm &f) { f.PrinterSetup(); }),
        sep(frame("FileExitItem", QStringLiteral("&Quitter"), QStringLiteral("Quitter l'application"),
              [](TMainForm &f) { f.close(); })),
    }};

    menus << MenuDefinition{QStringLiteral("Edition1"), QStringLiteral("&Edition"), QString(), 5, {
        doc("Annuler1", QStringLiteral("&Annuler"), QStringLiteral("Annuler la dernière opération"),
            [](TEditeur &e) { e.Annuler(); }, "Ctrl+Z"),
        [] {
            // Own rule: the document windows enable and disable it.
            MenuCommand c = doc("Rtablir1", QStringLiteral("&Rétablir"), QStringLiteral("Rétablir"),
                                [](TEditeur &e) { e.Retablir(); }, "Ctrl+Y|Ctrl+Shift+Z");
            c.doc = false;
            return c;
        }(),
        sep(doc("CutItem", QStringLiteral("&Couper"), QStringLiteral("Couper vers le Presse-papiers"), [](TEditeur &e) { e.Couper(); }, "Ctrl+X")),
        doc("CopyItem", QStringLiteral("Co&pier"), QStringLiteral("Copier vers le Presse-papiers"), [](TEditeur &e) { e.Copier(); }, "Ctrl+C"),
        [] {
            MenuCommand c = doc("PasteItem", QStringLiteral("C&oller"),
                                QStringLiteral("Coller depuis le Presse-papiers"), [](TEditeur &e) { e.Coller(); }, "Ctrl+V");
            c.doc = false;
            return c;
        }(),
        doc("Toutslectionner1", QStringLiteral("&Tout sélectionner"), QStringLiteral("Sélectionner tout le texte"),
            [](TEditeur &e) { e.ToutSelectionner(); }, "Ctrl+A"),
        sep(doc("Rechercher1", QStringLiteral("Rec&hercher..."), QStringLiteral("Rechercher le texte"), [](TEditeur &e) { e.Chercher(); }, "Ctrl+F")),
        doc("Continuer1", QStringLiteral("Co&ntinuer"), QStringLiteral("Continer la recherche"), [](TEditeur &e) { e.Continuer(); }, "F3"),
        doc("Remplacer1", QStringLiteral("Re&mplacer..."), QStringLiteral("Remplacer un texte"),
            [](TEditeur &e) { e.Remplacer(); }),
        sep(doc("Changerlacasse1", QStringLiteral("C&hanger  la casse..."), QStringLiteral("Conversion maj/min"),
                [](TEditeur &e) { e.Casse(); })),
        doc("Convertircaractresspciaux1", QStringLiteral("Con&vertir caractères spéciaux"),
            QStringLiteral("Convertir les accentués"), [](TEditeur &e) { e.Convertir(); }),
        doc("Indenter1", QStringLiteral("&Indenter"), QStringLiteral("Indenter le bloc"),
            [](TEditeur &e) { e.Indenter(); }),
    }};

    menus << MenuDefinition{QStringLiteral("Insertion1"), QStringLiteral("&Insertion"), QString(), 6, {
        doc("Balisehtml1", QStringLiteral("&Balise HTML..."), QStringLiteral("Insérer balise"),
            [](TEditeur &e) { e.Balises(); }),
        doc("Commentaire1", QStringLiteral("&Commentaire"), QStringLiteral("Insérer un commentaire"),
            [](TEditeur &e) { e.Commentaire(); }),
        sep(doc("Ancrage1", QStringLiteral("&Ancrage"), QStringLiteral("Insérer ancrage"),
            [](TEditeur &e) { e.Ancrage(); })),
        doc("Lienversancrage1", QStringLiteral("Lien vers a&ncrage"), QStringLiteral("Lien vers ancrage"),
            [](TEditeur &e) { e.LienAncrage(); }),
        doc("Url1", QStringLiteral("&Hyperlien fichier..."), QStringLiteral("Lien vers un fichier"),
            [](TEditeur &e) { e.Url(); }),
        doc("Url2", QStringLiteral("Lien vers &Url"), QStringLiteral("Lien vers un serveur Internet"),
            [](TEditeur &e) { e.Url2(); }),
        doc("LienMail", QStringLiteral("Lien vers &mailbox"), QStringLiteral("Recevoir du courrier"),
            [](TEditeur &e) { e.LienMail(); }),
        sep(doc("Image1", QStringLiteral("&Image..."), QStringLiteral("Insérer une image"),
            [](TEditeur &e) { e.Image(); })),
        doc("Son1", QStringLiteral("&Son..."), QStringLiteral("Insérer un son"),
            [](TEditeur &e) { e.Son(); }),
        doc("Texte1", QStringLiteral("T&exte..."), QStringLiteral("Importerr un fichier"),
            [](TEditeur &e) { e.Importer(); }),
        sep(doc("Tableau1", QStringLiteral("&Tableau..."), QStringLiteral("Insérer un tableau"),
                [](TEditeur &e) { e.Tableau(); })),
        doc("Liste1", QStringLiteral("&Liste..."), QStringLiteral("Insérer une liste"),
            [](TEditeur &e) { e.Liste(); }),
        submenu(doc("Formulaire1", QStringLiteral("&Formulaire"), QStringLiteral("Insérer un formulaire")), {
            doc("Dfinir1", QStringLiteral("&Définir..."), QString(), [](TEditeur &e) { e.FormDef(); }),
            doc("Lignnedesaisie1", QStringLiteral("Ligne de &saisie..."), QString(), [](TEditeur &e) { e.FormSaisie(); }),
            doc("Fentrtedetexte1", QStringLiteral("Fenêtre de &texte..."), QString(), [](TEditeur &e) { e.FormTexte(); }),
            doc("Casecocher1", QStringLiteral("Case à &cocher..."), QString(), [](TEditeur &e) { e.FormCocher(); }),
            doc("Boutonradio1", QStringLiteral("&Bouton radio..."), QString(), [](TEditeur &e) { e.FormBtnRadio(); }),
            doc("Menudroulant1", QStringLiteral("&Menu déroulant..."), QString(), [](TEditeur &e) { e.FormMenu(); }),
            doc("Boutonenvoi1", QStringLiteral("Bouton &envoi"), QString(), [](TEditeur &e) { e.FormEnvoi(); }),
            doc("Boutonraz1", QStringLiteral("Bouton &raz"), QString(), [](TEditeur &e) { e.FormRaz(); }),
        }),
        sep(doc("Paragraphe1", QStringLiteral("&Paragraphe"), QStringLiteral("Insérer paragraphe"),
            [](TEditeur &e) { e.Paragraphe(); })),
        doc("Lignehorizontale1", QStringLiteral("Ligne &horizontale"), QStringLiteral("Tirer un trait"),
            [](TEditeur &e) { e.Horizontal(); }),
        doc("Retourchariot1", QStringLiteral("&Retour chariot"), QStringLiteral("Insérer retour à la ligne"),
            [](TEditeur &e) { e.RetourChariot(); }),
        sep(doc("Caractrresspciaux1", QStringLiteral("Caractères spéciau&x"), QStringLiteral("Choisir caractères spéciaux"),
            [](TEditeur &e) { e.Caracts(); })),
        doc("Smiley1", QStringLiteral("S&miley"), QStringLiteral("Insérer smiley"), [](TEditeur &e) { e.Smil(); }),
        sep(doc("Appletjava1", QStringLiteral("Applet &java..."), QStringLiteral("Insérer applet java"),
            [](TEditeur &e) { e.Applet(); })),
        doc("IltdedonnesXML1", QStringLiteral("Ilot de données &XML"), QStringLiteral("Insèrer îlot de données XML"),
            [](TEditeur &e) { e.Ilot(); }),
    }};

    menus << MenuDefinition{QStringLiteral("Style1"), QStringLiteral("&Style"), QString(), 7, {
        doc("Gras1", QStringLiteral("&Gras"), QStringLiteral("Texte en gras"),
            [](TEditeur &e) { e.Gras(); }),
        doc("Italique1", QStringLiteral("&Italique"), QStringLiteral("Texte en italique"),
            [](TEditeur &e) { e.Italique(); }),
        doc("Soulign1", QStringLiteral("&Souligné"), QStringLiteral("Texte souligné"),
            [](TEditeur &e) { e.Souligne(); }),
        doc("Barre1", QStringLiteral("&Barré"), QStringLiteral("Texte barré"),
            [](TEditeur &e) { e.Barre(); }),
        doc("Indice1", QStringLiteral("I&ndice"), QStringLiteral("Mettre en indixe"),
            [](TEditeur &e) { e.Indice(); }),
        doc("Exposant1", QStringLiteral("&Exposant"), QStringLiteral("Mettre en exposant"),
            [](TEditeur &e) { e.Exposant(); }),
        doc("Preformat1", QStringLiteral("P&réformaté"), QStringLiteral("Texte préformaté"),
            [](TEditeur &e) { e.Preformat(); }),
        sep(doc("Aligngauche1", QStringLiteral("&Aligné à gauche"), QStringLiteral("Aligner bloc à gauche"),
            [](TEditeur &e) { e.Gauche(); })),
        doc("Centr1", QStringLiteral("&Centré"), QStringLiteral("Centrer Bloc"),
            [](TEditeur &e) { e.Centre(); }),
        doc("Cadrdroite1", QStringLiteral("Aligné à &droite"), QStringLiteral("Cadrer bloc à droite"),
            [](TEditeur &e) { e.Droite(); }),
        sep(doc("Couleur1", QStringLiteral("C&ouleur..."), QStringLiteral("Couleur du texte"),
            [](TEditeur &e) { e.Couleur(); })),
        submenu(doc("Taille1", QStringLiteral("&Taille"), QStringLiteral("Choisir la taille du texte")), {
            doc("Titre1H11", QStringLiteral("Titre&1  H1"), QStringLiteral("Taille maximum"),
            [](TEditeur &e) { e.H1(); }),
            doc("Titre2H21", QStringLiteral("Titre&2  H2"), QStringLiteral("Sous- titre"),
            [](TEditeur &e) { e.H2(); }),
            doc("Titre3H31", QStringLiteral("Titre&3  H3"), QStringLiteral("Standard"),
            [](TEditeur &e) { e.H3(); }),
            doc("Titre4H41", QStringLiteral("Titre&4  H4"), QStringLiteral("Taille normale"),
            [](TEditeur &e) { e.H4(); }),
            doc("Titre5H51", QStringLiteral("Titre&5  H5"), QStringLiteral("Petits caractères"),
            [](TEditeur &e) { e.H5(); }),
            doc("Titre6H61", QStringLiteral("Titre&6  H6"), QStringLiteral("Taille minimum"),
            [](TEditeur &e) { e.H6(); }),
        }),
        sep(doc("Sectionstyle1", QStringLiteral("Section sty&le..."), QStringLiteral("Section <style>"),
            [](TEditeur &e) { e.Section(); })),
    }};

    menus << MenuDefinition{QStringLiteral("Parametres1"), QStringLiteral("&Paramètres"), QString(), 8, {
        doc("Optionsdudocument1", QStringLiteral("&Options du document..."),
            QStringLiteral("Fixer l'en-tête et les couleurs"), [](TEditeur &e) { e.Options(); }),
        doc("Feuilledestylecss1", QStringLiteral("&Feuille de style css..."), QStringLiteral("Lier à une feuille de style"),
            [](TEditeur &e) { e.Css(); }),
        doc("Editeur1", QStringLiteral("&Editeur..."), QStringLiteral("Options de l'éditeur"),
            [](TEditeur &e) { e.OptEdit(); }),
        [] {
            MenuCommand c = frame("Numerosdeligne1", QStringLiteral("&Numéros de ligne"),
                                  QStringLiteral("Afficher les numéros de ligne dans la marge"),
                                  [](TMainForm &f) { f.Numerosdeligne1Click(); });
            c.checkable = true;
            return c;
        }(),
        sep([] {
            MenuCommand c = doc("Actualiserautomatiquement1", QStringLiteral("A&ctualiser automatiquement"),
                                QStringLiteral("Actualiser automatiqement l'affichage"));
            c.checkable = true;
            c.onFrame = [](TMainForm &f) { f.Actualiserautomatiquement1Click(); };
            return c;
        }()),
        doc("Actualiserlaffichage1", QStringLiteral("&Actualiser l'affichage"), QStringLiteral("Reafficher la page web"),
            [](TEditeur &e) { e.Actualiser(); }),
        sep(frame("Aidesredaction1", QStringLiteral("Aides à la &rédaction..."),
                  QStringLiteral("Activer ou désactiver la validation et la typographie"),
                  [](TMainForm &f) { AidCommands::settings(&f); })),
    }};

    menus << MenuDefinition{QStringLiteral("Outils1"), QStringLiteral("&Outils"), QString(), 9, {
        [] {
            MenuCommand c = doc("Lancerlenavigateur1", QStringLiteral("&Lancer le navigateur"),
                                QStringLiteral("Lancer navigateur par défaut"));
            c.onFrame = [](TMainForm &f) { f.Lancernavigateur1Click(); };
            return c;
        }(),
        sep(doc("Statistiques1", QStringLiteral("&Statistiques"), QStringLiteral("Statistiques sur la page"),
                [](TEditeur &e) { e.Statistiques(); })),
        doc("Vrifierlapage1", QStringLiteral("&Vérifier la page"), QStringLiteral("Vérifier la page"),
            [](TEditeur &e) { e.Validation(); }),
        doc("Validerlapage1", QStringLiteral("Valider la page (&HTML5)..."),
            QStringLiteral("Valider la page selon HTML5"), [](TEditeur &e) { AidCommands::validate(e); }),
        doc("Typographiefrancaise1", QStringLiteral("&Typographie française..."),
            QStringLiteral("Espaces de la typographie française"), [](TEditeur &e) { AidCommands::typography(e); }),
        doc("Compacterlesbalises1", QStringLiteral("&Compacter les balises"), QStringLiteral("Compacter les balises"),
            [](TEditeur &e) { e.Compacter(); }),
        sep(doc("Editerimage1", QStringLiteral("Editer &image"), QStringLiteral("Retoucher une image"),
                [](TEditeur &e) { e.EditImage(); })),
        doc("Editergifanim1", QStringLiteral("Editer gif &animé"), QStringLiteral("Editer un gif animé"),
            [](TEditeur &e) { e.EditGif(); }),
        doc("Gnrervignettes1", QStringLiteral("&Générer vignettes..."), QStringLiteral("Générer vignettes des images"),
            [](TEditeur &e) { e.Vignettes(); }),
    }};

    menus << MenuDefinition{QStringLiteral("Javascript1"), QStringLiteral("&Javascript"), QString(), 10, {
        doc("Script1", QStringLiteral("&Script"), QStringLiteral("Script JavaScript"),
            [](TEditeur &e) { e.JsScript(); }),
        doc("Motscl1", QStringLiteral("&Mots-clé"), QStringLiteral("Liste des mots clé"),
            [](TEditeur &e) { e.JsCles(); }),
        doc("Bouclefor1", QStringLiteral("&For"), QStringLiteral("Boucle for"),
            [](TEditeur &e) { e.JsFor(); }),
        doc("While1", QStringLiteral("&While"), QStringLiteral("Boucle while"),
            [](TEditeur &e) { e.JsWhile(); }),
        doc("If1", QStringLiteral("Condition &if"), QStringLiteral("Condition if"),
            [](TEditeur &e) { e.JsIf(); }),
        sep(doc("Mssagedfilanr1", QStringLiteral("Message &défilant..."), QStringLiteral("Message défilant"),
            [](TEditeur &e) { e.JsDefile(); })),
        doc("Textedgrad1", QStringLiteral("&Texte dégradé..."), QStringLiteral("Texte en dégradé"),
            [](TEditeur &e) { e.JsDegrade(); }),
        doc("Messagealatoire1", QStringLiteral("Message a&léatoire..."), QStringLiteral("Affiche un message aléatoirement"),
            [](TEditeur &e) { e.JsMessalea(); }),
        doc("Messageanim1", QStringLiteral("Message a&nimé..."), QStringLiteral("Le texte s'anime dans une boite de dialogue"),
            [](TEditeur &e) { e.JsAnime(); }),
        doc("Compterebours1", QStringLiteral("&Compte à rebours..."), QStringLiteral("Compte à rebours des jours"),
            [](TEditeur &e) { e.JsCompte(); }),
        sep(doc("Imprimerlapage1", QStringLiteral("Im&primer la page..."), QStringLiteral("Imprimer la page"),
            [](TEditeur &e) { e.JsImprime(); })),
        doc("Ajouterauxfavoris1", QStringLiteral("&Ajouter aux favoris..."), QStringLiteral("Ajouter le site aux favoris"),
            [](TEditeur &e) { e.JsFavoris(); }),
        doc("Rollover1", QStringLiteral("&Rollover..."), QStringLiteral("Effet de permutation d'images"),
            [](TEditeur &e) { e.JsRollover(); }),
        doc("Imagealatoire1", QStringLiteral("Ima&ge aléatoire..."), QStringLiteral("Affiche une image aléatoirement"),
            [](TEditeur &e) { e.JsImgalea(); }),
        doc("Cookiedidentification1", QStringLiteral("Coo&kie d'identification"),
            QStringLiteral("Invite d'intentification du surdeur"),
            [](TEditeur &e) { e.JsCookie(); }),
    }};

    menus << MenuDefinition{QStringLiteral("Utilitaires1"), QStringLiteral("&Utilitaires"), QString(), 11, {
        frame("Calendrier1", QStringLiteral("&Calendrier"), QStringLiteral("Calendrier"),
              [](TMainForm &f) { f.Calendrier1Click(); }),
        frame("Calculatrice1", QStringLiteral("C&alculatrice"), QStringLiteral("Calculatrice"),
              [](TMainForm &f) { f.Calculatrice1Click(); }),
        frame("Euroconversion1", QStringLiteral("&Euro conversion"), QStringLiteral("Convertisseur Euro"),
              [](TMainForm &f) { f.Euroconversion1Click(); }),
        frame("Horloge1", QStringLiteral("&Horloge"), QStringLiteral("Horloge"),
              [](TMainForm &f) { f.Horloge1Click(); }),
        frame("Blocnotes1", QStringLiteral("&Bloc-notes"), QStringLiteral("Bloc-notes"),
              [](TMainForm &f) { f.Blocnotes1Click(); }),
    }};

    menus << MenuDefinition{QStringLiteral("Fenetre1"), QStringLiteral("Fe&nêtre"),
        QStringLiteral("Commandes de fenêtres telles que Mosaïque et Cascade"), 12, {
        [] {
            MenuCommand c = doc("WindowCascadeItem", QStringLiteral("&Cascade"),
                                QStringLiteral("Disposer les fenêtres en recouvrement"));
            c.onFrame = [](TMainForm &f) { f.WindowCascade(); };
            return c;
        }(),
        [] {
            MenuCommand c = doc("WindowTileItem", QStringLiteral("&Mosaïque"),
                                QStringLiteral("Disposer les fenêtres sans recouvrement"));
            c.onFrame = [](TMainForm &f) { f.WindowTile(); };
            return c;
        }(),
        [] {
            MenuCommand c = doc("WindowArrangeItem", QStringLiteral("&Réorganiser les icônes"),
                                QStringLiteral("Disposer les fenêtres en bas de la fenêtre principale"));
            c.onFrame = [](TMainForm &f) { f.WindowArrange(); };
            return c;
        }(),
        [] {
            MenuCommand c = doc("WindowMinimizeItem", QStringLiteral("&Tout réduire"),
                                QStringLiteral("Minimiser toutes les fenêtres"));
            c.onFrame = [](TMainForm &f) { f.WindowMinimizeAll(); };
            return c;
        }(),
    }};

    menus << MenuDefinition{QStringLiteral("Aide1"), QStringLiteral("&Aide"), QStringLiteral("Sujets d'aide"), 13, {
        frame("Index1", QStringLiteral("&Sommaire"), QStringLiteral("Sommaire de l'aide"),
              [](TMainForm &f) { f.HelpContents(); }),
        frame("Rechercher2", QStringLiteral("&Rechercher"), QStringLiteral("Rechercher"),
              [](TMainForm &f) { f.HelpSearch(); }),
        frame("Utiliserlaide1", QStringLiteral("&Utiliser l'aide"), QStringLiteral("Utiliser l'aide"),
              [](TMainForm &f) { f.HelpHowToUse(); }),
        sep(frame("HelpAboutItem", QStringLiteral("&A propos"), QStringLiteral("Informations sur le logiciel"),
              [](TMainForm &f) { f.HelpAboutItemClick(); })),
    }};
    return menus;
}

void collectPending(const QList<MenuCommand> &items, QStringList &out)
{
    for (const MenuCommand &c : items) {
        if (!c.children.isEmpty())
            collectPending(c.children, out);
        else if (!c.onDocument && !c.onFrame)
            out << c.name;
    }
}

} // namespace

const QList<MenuDefinition> &commandTable()
{
    static const QList<MenuDefinition> table = build();
    return table;
}

QStringList pendingCommands()
{
    QStringList names;
    for (const MenuDefinition &m : commandTable())
        collectPending(m.items, names);
    return names;
}
