#include "HelpViewer.h"

#include <QDir>
#include <QFileInfo>
#include <QDirIterator>
#include <QFile>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <QRegularExpression>
#include <QSplitter>
#include <QTextBrowser>
#include <QVBoxLayout>

namespace Platform {

static const char *helpRoot = ":/help/";

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
    resize(760, 560);

    m_keyword = new QLineEdit(this);
    m_keyword->setObjectName(QStringLiteral("HelpKeyword"));
    auto *label = new QLabel(QStringLiteral("&Mot-clé :"), this);
    label->setBuddy(m_keyword);
    m_keyword->setAccessibleName(QStringLiteral("Mot-clé"));
    auto *searchButton = new QPushButton(QStringLiteral("&Rechercher"), this);
    searchButton->setAccessibleName(QStringLiteral("Rechercher"));
    auto *contents = new QPushButton(QStringLiteral("&Sommaire"), this);
    contents->setAccessibleName(QStringLiteral("Sommaire"));
    m_results = new QListWidget(this);
    m_results->setObjectName(QStringLiteral("HelpResults"));
    m_results->setAccessibleName(QStringLiteral("Résultats de la recherche"));
    m_browser = new QTextBrowser(this);
    m_browser->setObjectName(QStringLiteral("HelpBrowser"));
    m_browser->setAccessibleName(QStringLiteral("Page d'aide"));
    m_browser->setSearchPaths({QString::fromLatin1(helpRoot)});

    auto *top = new QHBoxLayout;
    top->addWidget(contents);
    top->addWidget(label);
    top->addWidget(m_keyword, 1);
    top->addWidget(searchButton);
    auto *split = new QSplitter(this);
    split->addWidget(m_results);
    split->addWidget(m_browser);
    split->setStretchFactor(1, 3);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(split, 1);

    connect(contents, &QPushButton::clicked, this, [this] { showPage(QStringLiteral("index.html")); });
    connect(searchButton, &QPushButton::clicked, this, &HelpViewer::runSearch);
    connect(m_keyword, &QLineEdit::returnPressed, this, &HelpViewer::runSearch);
    connect(m_results, &QListWidget::itemActivated, this, [this](QListWidgetItem *item) {
        showPage(item->data(Qt::UserRole).toString());
    });
    connect(m_results, &QListWidget::itemClicked, this, [this](QListWidgetItem *item) {
        showPage(item->data(Qt::UserRole).toString());
    });
    m_results->hide();
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
    m_results->show();
    runSearch();
    m_keyword->setFocus();
}

void HelpViewer::runSearch()
{
    m_results->show();
    m_results->clear();
    const QString keyword = m_keyword->text().trimmed();
    QDirIterator it(QString::fromLatin1(helpRoot), {QStringLiteral("*.html")});
    QStringList pages;
    while (it.hasNext())
        pages << it.next();
    pages.sort();
    static const QRegularExpression titleRx(QStringLiteral("<title>(.*)</title>"),
                                            QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression tagRx(QStringLiteral("<[^>]*>"));
    for (const QString &path : pages) {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            continue;
        const QString html = QString::fromUtf8(file.readAll());
        QString text = html;
        text.remove(tagRx);
        if (!keyword.isEmpty() && !text.contains(keyword, Qt::CaseInsensitive))
            continue;
        const QString title = titleRx.match(html).captured(1);
        auto *item = new QListWidgetItem(title.isEmpty() ? QFileInfo(path).fileName() : title, m_results);
        item->setData(Qt::UserRole, QFileInfo(path).fileName());
    }
}

} // namespace Platform
