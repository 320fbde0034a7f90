// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <functional>

// The file operations of Quillmere over POSIX calls. Paths and names are the file system's own
// bytes (QFile::encodeName of a QString path): a name that is not UTF-8 still lists and moves.
// Nothing throws; failures come back as false plus a readable line for the log.
// Does not follow a symbolic link that is itself the item, and never replaces an existing target.
namespace FileManager {
// Names directly inside `path`, as one directory read returns them, "." and ".." left out.
// A missing or unreadable folder gives an empty list.
QList<QByteArray> contentsOfDirectoryAtPath(const QByteArray &path);

// Whether `path` names something (a symbolic link counts by what it points to).
bool fileExistsAtPath(const QByteArray &path, bool *isDirectory = nullptr);

// One new folder, without creating missing parents. On failure `error` says why; on success it
// is set to a null QString.
bool createDirectoryAtPath(const QByteArray &path, QString *error = nullptr);

// Moves the item at `source` (a file, folder, link, FIFO...) to `target`, which must not exist.
// Within one file system this is one rename. Across file systems the item is copied under a
// hidden temporary name beside the target (data, links as links, permissions, times), flushed
// to disk, renamed into place, and only then is the source removed; if anything fails before
// that, the copy is removed and the source is left exactly as it was. So it is too when a file
// of the item is open in another program (it might still write), or when the item changed while
// it was copied: `error` then says so, and the item can be moved at the next attempt.
//
// `steps`, when given, hears the steps of a move across file systems as they happen, so that a
// journal can finish or undo a move that a kill interrupted (finishInterruptedMove):
// CopyStarting before each copy is made under `temporaryName` beside the target, CopyPlaced once
// the complete copy is at the target and before the source is removed. Not called for a rename.
enum class MoveStep { CopyStarting, CopyPlaced };
using MoveSteps = std::function<void(MoveStep step, const QByteArray &temporaryName)>;
bool moveItemAtPath(const QByteArray &source, const QByteArray &target, QString *error = nullptr,
                    const MoveSteps &steps = {});

// Ends a move across file systems that was interrupted after its last step `step` (for
// CopyStarting, with `temporaryName`) and leaves one item, never losing a file:
// - CopyStarting: the source was not touched yet. A partial copy under the temporary name is
//   removed; a copy already renamed to `target` is removed entry by entry where it equals the
//   source. The item stays at `source`.
// - CopyPlaced: the copy at `target` is complete; what remains of the source is removed entry by
//   entry where it equals the copy (type, size, time, content).
// Anything that differs, or whose counterpart is missing, stays where it is. Returns what it did,
// for the log; on a failure `error` says why and the call can be repeated.
bool finishInterruptedMove(const QByteArray &source, const QByteArray &target, MoveStep step,
                           const QByteArray &temporaryName, QString *outcome);

// Tests: called with the target path when a copied item is complete, before the source is
// checked for changes and the copy renamed into place (so that a test can change the source or
// make the target appear at the worst moment). Null: no hook.
void setBeforeCommitHookForTesting(std::function<void(const QByteArray &target)> hook);
} // namespace FileManager
