#pragma once
#include <QList>
#include <QWidget>

class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QSplitter;
class QTextBrowser;

namespace Platform {

// One page found by the keyword search: its file name and its title.
struct HelpHit {
    QString page;
    QString title;
};

// One help window for the whole program, reused by every help command.
class HelpViewer : public QWidget
{
    Q_OBJECT
public:
    static HelpViewer *instance(QWidget *parent);
    void showPage(const QString &page);
    void showSearch(const QString &keyword);
    QString currentPage() const;

    // The help pages holding every word of the keyword, ignoring case and
    // accents ("edition" finds "Édition"), in the order of the contents.
    // An empty keyword lists every page.
    static QList<HelpHit> search(const QString &keyword);

private:
    explicit HelpViewer(QWidget *parent);
    void runSearch();

    QTextBrowser *m_browser;
    QLineEdit *m_keyword;
    QListWidget *m_results;
    QLabel *m_resultCount;
    QWidget *m_resultPane;
    QSplitter *m_split;
    QPushButton *m_back;
    QPushButton *m_forward;
};

} // namespace Platform
