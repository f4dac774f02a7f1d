#pragma once
// The program's private folders under the system's temporary folder (the
// preview's page copy, the FTP window's listing). Their names carry the
// process number, so that folders left behind by a program that stopped
// without cleaning up (a crash, a kill) are found and removed at the next
// start, while those of programs still running are left alone.
#include <QString>

namespace Platform {

// A template for QTemporaryDir: "<temp>/pemohtml-<pid>-XXXXXX". QTemporaryDir
// makes the folder readable by its owner only.
QString privateTempTemplate();

// Removes the folders of tempRoot (the system's temporary folder by
// default) named by privateTempTemplate() whose program is no longer
// running, and that belong to this user. Answers how many went.
int removeLeftTempFolders(const QString &tempRoot = QString());

} // namespace Platform
