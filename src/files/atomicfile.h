#pragma once

#include <QByteArray>
#include <QString>

class QFile;

namespace korvanta {

// Puts what was written to the open file on the disk (its bytes and length); false when the
// system could not.
bool syncToDisk(QFile& file);

// Every file the programs replace goes through here: the new content is written to a temporary
// file beside the old one, flushed to the disk, closed, marked finished by its name and renamed
// over the old file. At every moment the old or the new content is there under the file's name or,
// during the swap, beside it under a name of this program's own: a client of a share that carries
// out the rename as "delete, then rename" and fails in between loses nothing, and the next copy
// that takes the file's lock finishes such a swap (recoverReplace).
//
// Returns an empty text when the file now holds `bytes`, else the reason it does not; the old file
// is then as it was (or, where the system had already deleted it, the new one waits beside it). A
// file that could not be written in place (read-only, a folder in its way) is left alone rather
// than stepped over by the rename. A rename refused because another program has a file open is
// tried again for a few seconds.
[[nodiscard]] QString replaceFile(const QString& fileName, const QByteArray& bytes);

// The temporary files replaceFile makes for `fileName` carry a mark, so that the leftovers of a
// copy killed before the swap ended can be told from a shop's own files.
bool isLeftoverOf(const QString& fileName, const QString& candidate);
// The path pattern of those temporary files while they are written, the "XXXXXX" standing for six
// letters or digits.
QString temporaryNameTemplate(const QString& fileName);
// The name a written temporary file takes before the swap: its content is whole.
QString finishedName(const QString& temporaryName);

// True when a whole new content of `fileName` waits beside it (a swap that was cut short).
bool hasUnfinishedSwap(const QString& fileName);

// Finishes or undoes a swap of `fileName` that a killed copy or a failing share cut short: when the
// file is missing, the newest whole new content takes its name; every other leftover is removed.
// Only call it while holding the file's lock: another copy could otherwise be writing one right now.
void recoverReplace(const QString& fileName);

} // namespace korvanta
