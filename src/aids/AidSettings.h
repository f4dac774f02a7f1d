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

} // namespace AidSettings
