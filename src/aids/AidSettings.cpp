#include "AidSettings.h"

#include <QFile>
#include <QSettings>

#include <array>
#include <chrono>
#include <optional>

#include <sys/stat.h>

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
QByteArray knownFile;
struct FileTime {
    qint64 seconds = -1;
    qint64 nanoseconds = 0;
    bool operator==(const FileTime &) const = default;
};
FileTime knownTime;

// The file's time straight from the system: the library's own turns it
// into a local date, which cost as much as reading the settings.
FileTime timeOf(const QByteArray &file)
{
    struct stat st;
    if (::stat(file.constData(), &st) != 0)
        return {};
    return {qint64(st.st_mtim.tv_sec), qint64(st.st_mtim.tv_nsec)};
}

// The file is looked at twice a second at most: the pane asks several
// times a key.
constexpr std::chrono::milliseconds LookEvery{500};
std::chrono::steady_clock::time_point lookedAt;

void followFile()
{
    if (knownFile.isEmpty())
        knownFile = QFile::encodeName(QSettings().fileName());
    const auto now = std::chrono::steady_clock::now();
    if (knownTime.seconds >= 0 && now - lookedAt < LookEvery)
        return;
    lookedAt = now;
    const FileTime time = timeOf(knownFile);
    if (!(time == knownTime)) {
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
    knownTime = timeOf(QFile::encodeName(settings.fileName()));
    lookedAt = std::chrono::steady_clock::now();
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
