#include "StyleDialog.h"

#include "dialogs/ColourSwatch.h"
#include "dialogs/StyleSection.h"
#include "platform/CommonDialogs.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QValidator>
#include <QVBoxLayout>

namespace {

// Only digits can be typed in. A value read from the page ("1.5em",
// "9.75") keeps its other characters, and can still be shortened or given
// digits: only what adds a character other than a digit is refused.
class DigitsValidator : public QValidator
{
public:
    explicit DigitsValidator(QLineEdit *edit)
        : QValidator(edit)
    {
        // The field's text is already the new one while it is validated.
        connect(edit, &QLineEdit::textChanged, this, [this](const QString &text) { m_accepted = text; });
    }

    // Before a value read from the page is shown, which is then valid too.
    void allow(const QString &text) { m_accepted = text; }

    State validate(QString &input, int &) const override
    {
        const QString &before = m_accepted;
        qsizetype at = 0;
        for (const QChar c : std::as_const(input)) {
            if (c.isDigit() && c.unicode() < 128)
                continue;
            // Each other character must be one of the old text's, in order.
            while (at < before.size() && (before.at(at) != c || (c.isDigit() && c.unicode() < 128)))
                ++at;
            if (at == before.size())
                return Invalid;
            ++at;
        }
        return Acceptable;
    }

private:
    QString m_accepted;
};

QLineEdit *digitsField(QWidget *parent, const char *name, int width)
{
    auto *edit = new QLineEdit(parent);
    edit->setObjectName(QString::fromLatin1(name));
    edit->setValidator(new DigitsValidator(edit));
    edit->setFixedWidth(width);
    return edit;
}

void showValue(QLineEdit *edit, const QString &text)
{
    if (auto *validator = dynamic_cast<DigitsValidator *>(const_cast<QValidator *>(edit->validator())))
        validator->allow(text);
    edit->setText(text);
}

} // namespace

TStyle::TStyle(QWidget *owner)
    : TInsertDialog(owner, QStringLiteral("Section style"))
{
    setObjectName(QStringLiteral("Style"));
    m_elements = new QListWidget(this);
    m_elements->setObjectName(QStringLiteral("Elements"));
    m_elements->setAccessibleName(QStringLiteral("Eléments"));
    m_elements->addItems(StyleSection::elements());
    m_elements->setFixedWidth(90);
    // All fourteen at once, without a scroll bar.
    m_elements->setMinimumHeight(m_elements->sizeHintForRow(0) * m_elements->count() + 2 * m_elements->frameWidth() + 2);

    m_font = new QLineEdit(this);
    m_font->setObjectName(QStringLiteral("Font"));
    auto *fontButton = new QPushButton(QStringLiteral("..."), this);
    fontButton->setObjectName(QStringLiteral("FontBtn"));
    fontButton->setAccessibleName(QStringLiteral("Choisir la police"));
    fontButton->setToolTip(QStringLiteral("Choisir la police"));
    fontButton->setAutoDefault(false);
    fontButton->setFixedWidth(fontButton->fontMetrics().horizontalAdvance(QStringLiteral("...")) + 20);
    m_pt = digitsField(this, "Pt", 50);
    m_color = new TColourSwatch(this);
    m_color->setObjectName(QStringLiteral("Color"));
    const int marginWidth = 60;
    m_left = digitsField(this, "Left", marginWidth);
    m_top = digitsField(this, "Top", marginWidth);
    m_right = digitsField(this, "Right", marginWidth);
    m_bottom = digitsField(this, "Bottom", marginWidth);
    m_background = new TColourSwatch(this);
    m_background->setObjectName(QStringLiteral("Background"));

    auto *fontRow = new QHBoxLayout;
    fontRow->addWidget(m_font);
    fontRow->addWidget(fontButton);
    auto *margins = new QHBoxLayout;
    for (const auto &[edit, hint] : {std::pair{m_left, "Left"}, {m_top, "Top"}, {m_right, "Right"}, {m_bottom, "Bottom"}}) {
        const QString name = QString::fromLatin1(hint);
        edit->setToolTip(name);
        edit->setPlaceholderText(name);
        margins->addWidget(edit);
    }
    margins->addStretch();
    auto *form = new QFormLayout;
    form->addRow(labelFor(QStringLiteral("Font"), m_font), fontRow);
    form->addRow(labelFor(QStringLiteral("Pt"), m_pt), m_pt);
    form->addRow(labelFor(QStringLiteral("Color"), m_color), m_color);
    form->addRow(labelFor(QStringLiteral("Margin"), m_left), margins);
    form->addRow(labelFor(QStringLiteral("Background"), m_background), m_background);
    // Each margin field carries the label and its own hint.
    for (const auto &[edit, hint] : {std::pair{m_left, "Left"}, {m_top, "Top"}, {m_right, "Right"}, {m_bottom, "Bottom"}})
        edit->setAccessibleName(QStringLiteral("Margin ") + QString::fromLatin1(hint));

    auto *appliquer = new QPushButton(QStringLiteral("Appliquer"), this);
    appliquer->setObjectName(QStringLiteral("AppliquerBtn"));
    appliquer->setAccessibleName(QStringLiteral("Appliquer"));
    QPushButton *ok = makeOkButton();
    // Enter applies the fields; only the OK button closes the dialog.
    ok->setDefault(false);
    ok->setAutoDefault(false);
    appliquer->setDefault(true);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(appliquer);
    buttons->addWidget(ok);
    buttons->addWidget(makeCancelButton());

    auto *top = new QHBoxLayout;
    top->addWidget(m_elements);
    top->addLayout(form);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addLayout(buttons);

    showFields(StyleSection::Fields());
    connect(m_elements, &QListWidget::currentRowChanged, this, &TStyle::elementChosen);
    connect(m_elements, &QListWidget::itemClicked, this, &TStyle::elementChosen);
    connect(appliquer, &QPushButton::clicked, this, &TStyle::appliquer);
    connect(fontButton, &QPushButton::clicked, this, &TStyle::chooseFont);
    m_elements->setFocus();
}

void TStyle::Init(const QString &rules) { m_rules = StyleSection::rulesFromText(rules); }

void TStyle::Result(QString &text) const { text = confirmed() ? StyleSection::sectionText(m_rules) : QString(); }

void TStyle::elementChosen()
{
    const QListWidgetItem *item = m_elements->currentItem();
    if (!item)
        return;
    m_shown = StyleSection::readRule(m_rules, item->text());
    showFields(m_shown);
}

void TStyle::appliquer()
{
    const QListWidgetItem *item = m_elements->currentItem();
    if (!item || !item->isSelected())
        return;
    const StyleSection::Fields edited = fields();
    StyleSection::applyRule(m_rules, item->text(), m_shown, edited);
    // A second "Appliquer" writes only what changed since this one.
    m_shown = edited;
}

void TStyle::chooseFont()
{
    const QString typed = m_font->text().trimmed();
    const QString shown = CommonDialogs::installedFamily(typed);
    QFont initial;
    if (!shown.isEmpty())
        initial.setFamily(shown);
    if (const int size = m_pt->text().toInt(); size > 0)
        initial.setPointSize(size);
    const std::optional<QFont> font = CommonDialogs::askFont(this, initial);
    if (!font)
        return;
    // Confirmed on the family standing in for the typed face: the face the
    // user wrote stays, as the page's browser may well have it.
    const QString family = CommonDialogs::familyName(font->family());
    if (shown.isEmpty() || family != CommonDialogs::familyName(shown))
        m_font->setText(family);
    const int size = font->pointSize() > 0 ? font->pointSize() : qRound(font->pointSizeF());
    if (size > 0)
        m_pt->setText(QString::number(size));
}

void TStyle::showFields(const StyleSection::Fields &fields)
{
    m_font->setText(fields.font);
    showValue(m_pt, fields.pt);
    m_color->setColour(fields.color);
    showValue(m_left, fields.left);
    showValue(m_top, fields.top);
    showValue(m_right, fields.right);
    showValue(m_bottom, fields.bottom);
    m_background->setColour(fields.background);
}

StyleSection::Fields TStyle::fields() const
{
    StyleSection::Fields f;
    f.font = m_font->text();
    f.pt = m_pt->text();
    f.color = m_color->colour();
    f.left = m_left->text();
    f.top = m_top->text();
    f.right = m_right->text();
    f.bottom = m_bottom->text();
    f.background = m_background->colour();
    return f;
}
