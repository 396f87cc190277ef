#pragma once

#include "base/facilities.h"

#include <QStringList>

namespace korvanta {

// The folder dialog with Russian texts.
class QtFolderDialog : public FolderDialog {
public:
    QString chooseFolder(const QString& caption, const QString& start) override;
};

// Qt's own texts (standard dialogs, buttons) in the language of the regional settings, when
// they are installed.
void installQtTranslations();

// Before a program makes its windows: finds the shop's folder (the folder named as the first
// argument, the working folder, the remembered one or the one the user chooses) and makes it the
// working folder. False when there is none to work in (cancelled): the program then ends.
// `settingsDirectory` empty: the user's configuration folder.
bool startInShopFolder(const QStringList& arguments, const QString& settingsDirectory = QString());

} // namespace korvanta
