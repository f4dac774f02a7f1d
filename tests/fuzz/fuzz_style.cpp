// The style editor over a page's style section: rules gathered from the
// page, every offered element read, one rule rewritten, the page rebuilt.
#include "FuzzInput.h"
#include "dialogs/StyleSection.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QStringList page = FuzzInput::pageLines(FuzzInput::bytes(data, size));
    QStringList rules = StyleSection::rulesFromText(StyleSection::gatherRules(page).join(QStringLiteral("\r\n")));
    for (const QString &element : StyleSection::elements()) {
        const StyleSection::Fields fields = StyleSection::readRule(rules, element);
        (void)StyleSection::ruleLine(element, fields);
    }
    for (const QString &line : page) {
        StyleSection::Fields fields;
        StyleSection::Analyse(line, fields);
    }
    // Every element: what the page holds is shown, one field changed, the
    // rule written back over its own text.
    for (const QString &element : StyleSection::elements()) {
        const StyleSection::Fields shown = StyleSection::readRule(rules, element);
        StyleSection::Fields edited = shown;
        edited.pt = QStringLiteral("14");
        edited.left = QStringLiteral("3");
        StyleSection::applyRule(rules, element, shown, edited);
    }
    (void)StyleSection::rewrite(page, StyleSection::sectionText(rules));
    return 0;
}
