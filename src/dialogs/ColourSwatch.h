#pragma once
// A colour swatch: a small panel showing a colour; a click opens the colour
// picker (CommonDialogs::askColor) and the colour chosen becomes the swatch's. A swatch may hold no
// colour yet (the page lacks the attribute): it then shows the window's
// face colour crossed out.
#include <QAbstractButton>
#include <QColor>

class TColourSwatch : public QAbstractButton
{
    Q_OBJECT
public:
    explicit TColourSwatch(QWidget *parent = nullptr);

    // Invalid when the swatch holds no colour.
    QColor colour() const { return m_colour; }
    void setColour(const QColor &colour);
    // Whether the user picked the colour in the picker.
    bool chosen() const { return m_chosen; }

    QSize sizeHint() const override;

Q_SIGNALS:
    void colourChosen(const QColor &colour);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    void choose();
    QColor m_colour;
    bool m_chosen = false;
};
