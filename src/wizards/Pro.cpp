#include "Pro.h"

#include "platform/Errors.h"
#include "platform/Messages.h"
#include "platform/Paths.h"
#include "wizards/MenuButton.h"

#include "images/GifWriter.h"

#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QVBoxLayout>

TPro::TPro(QWidget *owner)
    : TWizardDialog(owner, QStringLiteral("Assistant projet"))
{
    setObjectName(QStringLiteral("Pro"));
    QWidget *head = addTab(QStringLiteral("En tête de page"), "EnTete");
    Options = addDocumentFields(head, false);
    static_cast<QVBoxLayout *>(head->layout())->addStretch();

    QWidget *bar = addTab(QStringLiteral("Barre de menus"), "BarreMenus");
    auto *labels = new QGroupBox(QStringLiteral("Intitulés des menus"), bar);
    labels->setObjectName(QStringLiteral("Intitules"));
    labels->setAccessibleName(labels->title());
    auto *names = new QGroupBox(QStringLiteral("Nom des pages html"), bar);
    names->setObjectName(QStringLiteral("NomsPages"));
    names->setAccessibleName(names->title());
    auto *labelGrid = new QGridLayout(labels);
    auto *nameGrid = new QGridLayout(names);
    const auto defaults = WizardPages::ProSite::defaultMenus();
    for (int i = 0; i < 8; ++i) {
        const QByteArray n = QByteArray::number(i + 1);
        QLineEdit *label = lineField(QByteArray("Intitule" + n).constData(), labels);
        label->setText(defaults[std::size_t(i)].intitule);
        QLineEdit *page = lineField(QByteArray("Page" + n).constData(), names);
        page->setText(defaults[std::size_t(i)].page);
        labelGrid->addWidget(labelFor(QString::number(i + 1), label, labels), i, 0);
        label->setAccessibleName(QStringLiteral("Intitulé du menu %1").arg(i + 1));
        labelGrid->addWidget(label, i, 1);
        nameGrid->addWidget(labelFor(QString::number(i + 1), page, names), i, 0);
        page->setAccessibleName(QStringLiteral("Nom de la page html %1").arg(i + 1));
        nameGrid->addWidget(page, i, 1);
        Intitules[std::size_t(i)] = label;
        Pages[std::size_t(i)] = page;
    }
    auto *barLayout = new QHBoxLayout(bar);
    barLayout->addWidget(labels);
    barLayout->addWidget(names);

    QWidget *home = addTab(QStringLiteral("Page d'accueil"), "Accueil");
    AccueilTitre = lineField("AccueilTitre", home);
    AccueilTitre->setText(QStringLiteral("Bienvenue sur notre site"));
    makeLarge(AccueilTitre);
    AccueilTexte = memoField("AccueilTexte", home);
    auto *homeLayout = new QVBoxLayout(home);
    homeLayout->addWidget(labelFor(QStringLiteral("Titre"), AccueilTitre, home));
    homeLayout->addWidget(AccueilTitre);
    homeLayout->addWidget(labelFor(QStringLiteral("Texte du paragraphe"), AccueilTexte, home));
    homeLayout->addWidget(AccueilTexte, 1);

    Pied = addFooterTab(QStringLiteral("Générer pages HTML"));
    resize(520, 460);
}

WizardPages::ProSite TPro::fields() const
{
    WizardPages::ProSite s;
    s.document = documentValues(Options);
    for (std::size_t i = 0; i < 8; ++i)
        s.menus[i] = {Intitules[i]->text(), Pages[i]->text()};
    s.accueilTitre = AccueilTitre->text();
    s.accueilTexte = AccueilTexte->toPlainText();
    s.pied = Pied.values();
    return s;
}

void TPro::generate()
{
    m_barWidth = 0;
    setGenerated(true);
    const WizardPages::ProSite s = fields();
    const std::array<QString, 8> files = WizardPages::buttonFiles(s.menus);
    try {
        for (std::size_t i = 0; i < s.menus.size(); ++i)
            if (s.menus[i].active())
                writeButton(s.menus[i].intitule, files[i]);
    } catch (const Platform::PemoError &e) {
        // A button that cannot be written (a folder without write access, a
        // full disk): the user mends it and generates again.
        setGenerated(false);
        Platform::error(this, e.message());
        return;
    }
    accept();
}

void TPro::Gengif(const QString &label) { writeButton(label, WizardPages::buttonFileName(label)); }

void TPro::writeButton(const QString &label, const QString &fileName)
{
    m_barWidth += MenuButton::textWidth(label) + 22;
    GifWriter::save(Platform::currentDirWithSeparator() + fileName, {MenuButton::draw(label)});
}

void TPro::Result(QStringList &lines, QString &name) const
{
    lines.clear();
    if (!generated())
        return;
    const WizardPages::ProSite s = fields();
    lines = WizardPages::proHome(s, m_barWidth);
    name = s.menus[0].page;
}

void TPro::Getmenu(int row, QStringList &lines, QString &name) const
{
    lines.clear();
    if (!generated() || row < 2 || row > 8)
        return;
    const WizardPages::MenuRow menu{Intitules[std::size_t(row - 1)]->text(), Pages[std::size_t(row - 1)]->text()};
    if (!menu.active())
        return;
    name = menu.page;
    Genmenu(lines, menu.intitule);
}

void TPro::Genmenu(QStringList &lines, const QString &title) const
{
    const WizardPages::ProSite s = fields();
    lines << WizardPages::proSecondary(s.menus, m_barWidth, title, s.document.couleurs);
}
