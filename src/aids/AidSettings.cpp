#include "AidSettings.h"

#include <QDateTime>
#include <QFileInfo>
#include <QSettings>

#include <array>
#include <optional>

namespace AidSettings {
namespace {
enum Aid { Validation, Typography, TypographyMarks, TagCompletion, Spelling, AidCount };

constexpr std::array<const char *, AidCount> keys{"Aids/validation", "Aids/typography", "Aids/typographyMarks",
                                                  "Aids/tagCompletion", "Aids/spelling"};

int changes = 0;
// Read once: the pane asks at every key, and opening the settings file
// each time cost more than the key itself. The copy is read again when the
// file changes under it (another window of the program wrote it).
std::array<std::optional<bool>, AidCount> known;
QString knownFile;
QDateTime knownTime;

void followFile()
{
    if (knownFile.isEmpty())
        knownFile = QSettings().fileName();
    const QDateTime time = QFileInfo(knownFile).lastModified();
    if (time != knownTime) {
        knownTime = time;
        known = {};
    }
}

bool value(Aid aid)
{
    followFile();
    if (!known[aid])
        known[aid] = QSettings().value(QLatin1String(keys[aid]), true).toBool();
    return *known[aid];
}

void setValue(Aid aid, bool on)
{
    QSettings settings;
    settings.setValue(QLatin1String(keys[aid]), on);
    settings.sync();
    knownTime = QFileInfo(settings.fileName()).lastModified();
    known = {};
    known[aid] = on;
    ++changes;
}
} // namespace

bool validationOn() { return value(Validation); }
void setValidationOn(bool on) { setValue(Validation, on); }
bool typographyOn() { return value(Typography); }
void setTypographyOn(bool on) { setValue(Typography, on); }
bool typographyMarksOn() { return value(TypographyMarks); }
void setTypographyMarksOn(bool on) { setValue(TypographyMarks, on); }
bool tagCompletionOn() { return value(TagCompletion); }
void setTagCompletionOn(bool on) { setValue(TagCompletion, on); }
bool spellingOn() { return value(Spelling); }
void setSpellingOn(bool on) { setValue(Spelling, on); }
int generation() { return changes; }

} // namespace AidSettings
