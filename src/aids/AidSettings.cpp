#include "AidSettings.h"

#include <QSettings>

namespace AidSettings {
namespace {
int changes = 0;
bool value(const char *key)
{
    return QSettings().value(QLatin1String(key), true).toBool();
}
void setValue(const char *key, bool on)
{
    QSettings settings;
    settings.setValue(QLatin1String(key), on);
    settings.sync();
    ++changes;
}
} // namespace

bool validationOn() { return value("Aids/validation"); }
void setValidationOn(bool on) { setValue("Aids/validation", on); }
bool typographyOn() { return value("Aids/typography"); }
void setTypographyOn(bool on) { setValue("Aids/typography", on); }
bool typographyMarksOn() { return value("Aids/typographyMarks"); }
void setTypographyMarksOn(bool on) { setValue("Aids/typographyMarks", on); }
bool tagCompletionOn() { return value("Aids/tagCompletion"); }
void setTagCompletionOn(bool on) { setValue("Aids/tagCompletion", on); }
bool spellingOn() { return value("Aids/spelling"); }
void setSpellingOn(bool on) { setValue("Aids/spelling", on); }
int generation() { return changes; }

} // namespace AidSettings
