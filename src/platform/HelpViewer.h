#pragma once
#include <QWidget>

class QTextBrowser;
class QLineEdit;
class QListWidget;

namespace Platform {

// One help window for the whole program, reused by every help command.
class HelpViewer : public QWidget
{
    Q_OBJECT
public:
    static HelpViewer *instance(QWidget *parent);
    void showPage(const QString &page);
    void showSearch(const QString &keyword);
    QString currentPage() const;

private:
    explicit HelpViewer(QWidget *parent);
    void runSearch();

    QTextBrowser *m_browser;
    QLineEdit *m_keyword;
    QListWidget *m_results;
};

} // namespace Platform
