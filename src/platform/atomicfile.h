#pragma once

#include <QByteArray>
#include <QString>

class QFile;

namespace korvanta {

// Puts what was written to the open file on the disk (its bytes and length); false when the
// system could not.
bool syncToDisk(QFile& file);

// Every file the programs replace goes through here: the new content is written to a temporary
// file beside the old one, flushed to the disk and renamed over it in one step, so a crash, a full
// disk or a write error leaves either the old file or the new one, never a part.
//
// Returns an empty text when the file now holds `bytes`, else the reason it does not; the old file
// is then as it was. A file that could not be written in place (read-only, a folder in its way) is
// left alone rather than stepped over by the rename.
[[nodiscard]] QString replaceFile(const QString& fileName, const QByteArray& bytes);

// The temporary files replaceFile makes for `fileName` carry this mark, so that the leftovers of a
// copy killed between writing and renaming can be told from a shop's own files.
bool isLeftoverOf(const QString& fileName, const QString& candidate);
// The path pattern of those temporary files, the "XXXXXX" standing for six letters or digits.
QString temporaryNameTemplate(const QString& fileName);

// Removes such leftovers of `fileName`. Only call it while holding the file's lock: another copy
// could otherwise be writing one of them right now.
void removeLeftovers(const QString& fileName);

} // namespace korvanta
