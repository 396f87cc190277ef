#pragma once

#include <QString>

// Where the shop is: the folder that holds its price lists. The programs read and write every
// shop file by bare name, so they work with that folder as their working folder.
namespace korvanta {

class SettingsStore;
class FolderDialog;
class MessageBox;

extern const QString ShopKeyPath;     // "software\microsoft\windows\korvanta\shop"
extern const QString ShopFolderValue; // "folder"
extern const QString ShopFolderCaption;

// A file of the shop folder `directory` (a price list, the journal, clients.dat); an empty
// directory is the working folder.
QString shopFilePath(const QString& directory, const QString& file);

// True when the folder holds at least one of the 30 price-list files.
bool holdsPriceLists(const QString& folder);

// The folder remembered for this user, or empty when none is stored or it cannot be read.
QString rememberedShopFolder(SettingsStore& store);
// Stores the folder as text when code page 1251 can hold its name, else as the bytes of the
// file name. False when the store fails.
bool rememberShopFolder(SettingsStore& store, const QString& folder);

// Finds the shop's folder (absolute). A folder named on the command line (`argument`, relative to
// `workingFolder`) or else the working folder is used when it holds price lists, and is not
// remembered. Otherwise the remembered folder is used when it still holds price lists; otherwise
// the user is asked until the chosen folder holds price lists, and that folder is remembered.
// Empty when the user cancelled the dialog.
QString findShopFolder(const QString& argument, const QString& workingFolder, SettingsStore& store,
                       FolderDialog& dialog, MessageBox& messages);

// findShopFolder from the process's working folder, then makes the found folder the working
// folder. False when no folder was chosen or it cannot be entered (the message has been shown).
bool enterShopFolder(const QString& argument, SettingsStore& store, FolderDialog& dialog, MessageBox& messages);

} // namespace korvanta
