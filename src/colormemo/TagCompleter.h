#pragma once
// The source pane's tag completion: "</" is followed at once by the name of
// the element to close and ">", and a list of choices comes up under the
// caret after "<" (element names), inside a tag (attribute names) and inside
// href="..." or src="..." (the files next to the page). The list never takes
// the keyboard: the pane keeps it, typing filters the list, Enter or Tab
// takes the choice, Escape closes it, and so does moving the caret away.
//
// What to offer is found by TagCompletion (widget-free); this class only
// watches the pane's keys and writes through the page, each completion a
// step of the history of its own, so that "Annuler" gives back what was
// typed before it.
#include <QObject>
#include <QPointer>
#include <QStringList>

#include <functional>

#include <QListWidget>
class TColorMemo;

class TTagCompleter : public QObject
{
    Q_OBJECT
public:
    explicit TTagCompleter(TColorMemo *pane);

    // Asked at each key that could complete; the remembered setting by default.
    void setEnabledCheck(std::function<bool()> on) { m_on = std::move(on); }

    bool listShown() const;
    QListWidget *list() const { return m_list; }
    // The choices the list offers, as they will be written.
    QStringList choices() const;
    void closeList();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void typed(QChar character);
    // Finds the context at the caret again: fills and places the list, or
    // closes it.
    void refresh();
    void take();
    void place();

    TColorMemo *m_pane;
    // Goes with the pane's viewport, which the pane deletes before the
    // events of its own end come in.
    QPointer<QListWidget> m_list;
    std::function<bool()> m_on;
    int m_kind = 0;      // TagCompletion::Kind of the list shown
    QString m_prefix;
};
