#pragma once
// Which writing aids the user wants, kept with the program's other settings.
namespace AidSettings {

bool validationOn();
void setValidationOn(bool on);
bool typographyOn();
void setTypographyOn(bool on);
// The marks of typography faults in the source pane.
bool typographyMarksOn();
void setTypographyMarksOn(bool on);
// Tag completion in the source pane ("</" closing, the popup lists).
bool tagCompletionOn();
void setTagCompletionOn(bool on);
// The spell check of the page's text in the source pane.
bool spellingOn();
void setSpellingOn(bool on);
// Grows with every change of the settings, so that a view may follow them.
int generation();

} // namespace AidSettings
