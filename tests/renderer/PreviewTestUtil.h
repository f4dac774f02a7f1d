#pragma once
// Driving a real preview engine from tests: wait for loads, ask the page,
// and point and click with real mouse events.
#include "renderer/HtmlView.h"
#include "testmain.h"

#include <QVBoxLayout>
#include <QWebEngineView>

namespace PreviewTest {

constexpr int engineTimeout = 30000;

inline bool loadAndWait(THtmlView *view, const QStringList &lines)
{
    QSignalSpy spy(view, &THtmlView::rendered);
    view->LoadFromLines(lines);
    return spy.wait(engineTimeout);
}

inline QVariant eval(THtmlView *view, const QString &script)
{
    QVariant out;
    bool done = false;
    view->runScript(script, [&](const QVariant &r) {
        out = r;
        done = true;
    });
    if (!QTest::qWaitFor([&] { return done; }, engineTimeout))
        qWarning("no answer from the preview to: %s", qPrintable(script));
    return out;
}

// Centre of the element of that id, in the engine's widget.
inline QPoint centreOf(THtmlView *view, const QString &id)
{
    const QVariantList r = eval(view, QStringLiteral("(function () { var r = document.getElementById('%1')"
                                                     ".getBoundingClientRect(); return [r.left, r.top, r.width, r.height]; })()")
                                          .arg(id))
                               .toList();
    if (r.size() != 4)
        return {};
    return QPoint(int(r[0].toDouble() + r[2].toDouble() / 2), int(r[1].toDouble() + r[3].toDouble() / 2));
}

inline QWidget *inputWidget(THtmlView *view)
{
    return view->engineView() ? view->engineView()->focusProxy() : nullptr;
}

inline void moveTo(THtmlView *view, QPoint at) { QTest::mouseMove(inputWidget(view), at); }

inline void click(THtmlView *view, const QString &id)
{
    const QPoint at = centreOf(view, id);
    QTest::mouseMove(inputWidget(view), at);
    QTest::mouseClick(inputWidget(view), Qt::LeftButton, Qt::NoModifier, at);
}

// A page long enough to scroll: numbered paragraphs, with extra lines put
// in at the given place.
inline QStringList longPage(const QStringList &top = {}, const QStringList &middle = {}, int paragraphs = 200)
{
    QStringList lines{QStringLiteral("<html><body>")};
    lines << top;
    for (int i = 0; i < paragraphs; ++i) {
        if (i == paragraphs / 2)
            lines << middle;
        lines << QStringLiteral("<p>Paragraphe %1</p>").arg(i);
    }
    lines << QStringLiteral("</body></html>");
    return lines;
}

// A shown window holding one preview alone, in place of `window` (deleted).
inline THtmlView *freshView(QWidget *&window)
{
    delete window;
    window = new QWidget;
    window->resize(500, 300);
    auto *layout = new QVBoxLayout(window);
    layout->setContentsMargins(0, 0, 0, 0);
    auto *view = new THtmlView(window);
    layout->addWidget(view);
    window->show();
    return view;
}

} // namespace PreviewTest
