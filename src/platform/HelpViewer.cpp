#include "HelpViewer.h"

#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <QRegularExpression>
#include <QShortcut>
#include <QSplitter>
#include <QTextBrowser>
#include <QTextDocumentFragment>
#include <QVBoxLayout>

namespace Platform {

static const char *helpRoot = ":/help/";

namespace {

// Lower case without accents, so that a keyword typed without them still
// finds the French text.
QString folded(const QString &text)
{
    const QString decomposed = text.toLower().normalized(QString::NormalizationForm_D);
    QString out;
    out.reserve(decomposed.size());
    for (QChar c : decomposed) {
        if (c.category() == QChar::Mark_NonSpacing)
            continue;
        out += c;
    }
    out.replace(QChar(0x0153), QStringLiteral("oe")); // œ
    out.replace(QChar(0x00E6), QStringLiteral("ae")); // æ
    return out;
}

// Pages in the order of the contents: index, how to use help, then the menus
// by their context number (contexte4.html ... contexte13.html), then the rest.
int pageRank(const QString &page)
{
    if (page == QLatin1String("index.html"))
        return 0;
    if (page == QLatin1String("aide.html"))
        return 1;
    static const QRegularExpression contextRx(QStringLiteral("^contexte(\\d+)\\.html$"));
    const QRegularExpressionMatch m = contextRx.match(page);
    return m.hasMatch() ? 2 + m.captured(1).toInt() : 1000;
}

} // namespace

HelpViewer *HelpViewer::instance(QWidget *parent)
{
    static QPointer<HelpViewer> viewer;
    if (!viewer)
        viewer = new HelpViewer(parent ? parent->window() : nullptr);
    viewer->show();
    viewer->raise();
    viewer->activateWindow();
    return viewer;
}

HelpViewer::HelpViewer(QWidget *parent)
    : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("HelpViewer"));
    setWindowTitle(QStringLiteral("Aide de Pemo HTML"));
    setAccessibleName(windowTitle());
    setAttribute(Qt::WA_DeleteOnClose);
    resize(820, 600);

    auto *contents = new QPushButton(QStringLiteral("&Sommaire"), this);
    contents->setObjectName(QStringLiteral("HelpContentsBtn"));
    contents->setAccessibleName(QStringLiteral("Sommaire"));
    m_back = new QPushButton(QStringLiteral("&Précédent"), this);
    m_back->setObjectName(QStringLiteral("HelpBackBtn"));
    m_back->setAccessibleName(QStringLiteral("Précédent"));
    m_back->setEnabled(false);
    m_forward = new QPushButton(QStringLiteral("Sui&vant"), this);
    m_forward->setObjectName(QStringLiteral("HelpForwardBtn"));
    m_forward->setAccessibleName(QStringLiteral("Suivant"));
    m_forward->setEnabled(false);
    m_keyword = new QLineEdit(this);
    m_keyword->setObjectName(QStringLiteral("HelpKeyword"));
    m_keyword->setAccessibleName(QStringLiteral("Mot-clé"));
    m_keyword->setClearButtonEnabled(true);
    auto *label = new QLabel(QStringLiteral("&Mot-clé :"), this);
    label->setBuddy(m_keyword);
    auto *searchButton = new QPushButton(QStringLiteral("&Rechercher"), this);
    searchButton->setObjectName(QStringLiteral("HelpSearchBtn"));
    searchButton->setAccessibleName(QStringLiteral("Rechercher"));
    auto *close = new QPushButton(QStringLiteral("&Fermer"), this);
    close->setObjectName(QStringLiteral("HelpCloseBtn"));
    close->setAccessibleName(QStringLiteral("Fermer"));

    m_results = new QListWidget(this);
    m_results->setObjectName(QStringLiteral("HelpResults"));
    m_results->setAccessibleName(QStringLiteral("Pages trouvées"));
    m_resultCount = new QLabel(this);
    m_resultCount->setObjectName(QStringLiteral("HelpResultCount"));
    m_resultCount->setWordWrap(true);
    m_resultCount->setBuddy(m_results);
    m_resultPane = new QWidget(this);
    auto *resultLayout = new QVBoxLayout(m_resultPane);
    resultLayout->setContentsMargins(0, 0, 0, 0);
    resultLayout->addWidget(m_resultCount);
    resultLayout->addWidget(m_results, 1);

    m_browser = new QTextBrowser(this);
    m_browser->setObjectName(QStringLiteral("HelpBrowser"));
    m_browser->setAccessibleName(QStringLiteral("Page d'aide"));
    m_browser->setSearchPaths({QString::fromLatin1(helpRoot)});
    m_browser->setOpenExternalLinks(false);

    auto *top = new QHBoxLayout;
    top->addWidget(contents);
    top->addWidget(m_back);
    top->addWidget(m_forward);
    top->addSpacing(12);
    top->addWidget(label);
    top->addWidget(m_keyword, 1);
    top->addWidget(searchButton);
    top->addWidget(close);
    m_split = new QSplitter(this);
    m_split->addWidget(m_resultPane);
    m_split->addWidget(m_browser);
    m_split->setStretchFactor(0, 1);
    m_split->setStretchFactor(1, 3);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(m_split, 1);

    connect(contents, &QPushButton::clicked, this, [this] { showPage(QStringLiteral("index.html")); });
    connect(m_back, &QPushButton::clicked, m_browser, &QTextBrowser::backward);
    connect(m_forward, &QPushButton::clicked, m_browser, &QTextBrowser::forward);
    connect(m_browser, &QTextBrowser::backwardAvailable, m_back, &QPushButton::setEnabled);
    connect(m_browser, &QTextBrowser::forwardAvailable, m_forward, &QPushButton::setEnabled);
    connect(m_browser, &QTextBrowser::sourceChanged, this, [this] {
        m_browser->setAccessibleDescription(m_browser->documentTitle());
    });
    connect(searchButton, &QPushButton::clicked, this, &HelpViewer::runSearch);
    connect(m_keyword, &QLineEdit::returnPressed, this, &HelpViewer::runSearch);
    connect(close, &QPushButton::clicked, this, &QWidget::close);
    connect(m_results, &QListWidget::itemActivated, this, [this](QListWidgetItem *item) {
        showPage(item->data(Qt::UserRole).toString());
    });
    connect(m_results, &QListWidget::itemClicked, this, [this](QListWidgetItem *item) {
        showPage(item->data(Qt::UserRole).toString());
    });
    auto *escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(escape, &QShortcut::activated, this, &QWidget::close);
    m_resultPane->hide();
}

void HelpViewer::showPage(const QString &page)
{
    QString name = page;
    if (!QFile::exists(QString::fromLatin1(helpRoot) + name))
        name = QStringLiteral("index.html");
    m_browser->setSource(QUrl(QStringLiteral("qrc") + QString::fromLatin1(helpRoot) + name));
}

QString HelpViewer::currentPage() const { return m_browser->source().fileName(); }

void HelpViewer::showSearch(const QString &keyword)
{
    m_keyword->setText(keyword);
    runSearch();
    m_keyword->setFocus();
    m_keyword->selectAll();
}

QList<HelpHit> HelpViewer::search(const QString &keyword)
{
    static const QRegularExpression titleRx(QStringLiteral("<title>(.*)</title>"),
                                            QRegularExpression::CaseInsensitiveOption
                                                | QRegularExpression::DotMatchesEverythingOption
                                                | QRegularExpression::InvertedGreedinessOption);
    const QStringList words = folded(keyword).split(u' ', Qt::SkipEmptyParts);
    QList<HelpHit> hits;
    QDirIterator it(QString::fromLatin1(helpRoot), {QStringLiteral("*.html")});
    while (it.hasNext()) {
        const QString path = it.next();
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            continue;
        const QString html = QString::fromUtf8(file.readAll());
        const QString text = folded(QTextDocumentFragment::fromHtml(html).toPlainText());
        bool all = true;
        for (const QString &word : words)
            all = all && text.contains(word);
        if (!all)
            continue;
        const QString title = titleRx.match(html).captured(1).trimmed();
        const QString page = QFileInfo(path).fileName();
        hits.append({page, title.isEmpty() ? page : title});
    }
    std::sort(hits.begin(), hits.end(), [](const HelpHit &a, const HelpHit &b) {
        const int ra = pageRank(a.page), rb = pageRank(b.page);
        return ra != rb ? ra < rb : a.page < b.page;
    });
    return hits;
}

void HelpViewer::runSearch()
{
    if (m_resultPane->isHidden()) {
        m_resultPane->show();
        // The pane was hidden when the splitter first shared out the width.
        const int total = m_split->width();
        m_split->setSizes({total / 4, total - total / 4});
    }
    m_results->clear();
    const QString keyword = m_keyword->text().trimmed();
    const QList<HelpHit> hits = search(keyword);
    for (const HelpHit &hit : hits) {
        auto *item = new QListWidgetItem(hit.title, m_results);
        item->setData(Qt::UserRole, hit.page);
    }
    if (keyword.isEmpty())
        m_resultCount->setText(QStringLiteral("Toutes les pages de l'aide :"));
    else if (hits.isEmpty())
        m_resultCount->setText(QStringLiteral("Aucune page ne contient « %1 ».").arg(keyword));
    else
        m_resultCount->setText(QStringLiteral("Pages contenant « %1 » :").arg(keyword));
    if (!hits.isEmpty()) {
        m_results->setCurrentRow(0);
        if (!keyword.isEmpty())
            showPage(hits.first().page);
    }
}

} // namespace Platform
