// The document base: modified flag, path and title, and the framework's New, Open and Save
// flows with their failure paths. A save writes the whole file through QSaveFile, or changes
// only what changed in the file itself under a rollback journal (SaveInPlace): either way a
// failed save leaves the old file exactly as it was.
//
// Other programs may change the same file. A save holds the file's exclusive lock while it
// writes (see platform/file_lock.h), and the document remembers what it last read or wrote, so
// that it never saves over another program's change without asking. Opening first undoes any
// change that a program left unfinished (platform/in_place_change.h).
#pragma once

#include <QObject>
#include <QString>
#include <optional>

#include "framework/command_target.h"
#include "platform/file_lock.h"

class QIODevice;

namespace framework {

class CArchive;

inline constexpr char kUntitled[] = "Untitled";
inline constexpr char kFailedToOpen[] = "Failed to open document.";
inline constexpr char kFailedToSave[] = "Failed to save document.";
inline constexpr char kChangedByAnotherProgram[] =
    "%1 was changed by another program after it was opened. Save over those changes?";
// How long a save waits for another program to finish its change of the same file.
inline constexpr int kDefaultLockWaitMs = 30000;

// A command target too: the document handles the commands of its own command map.
class CDocument : public QObject, public CCmdTarget {
    Q_OBJECT
public:
    explicit CDocument(QObject* parent = nullptr);
    ~CDocument() override;

    // New: clears the path and the modified flag; the title becomes "Untitled".
    virtual bool OnNewDocument();
    // Open: reads the file through Serialize (only when it is not empty). The document is
    // marked modified while reading; afterwards the flag is cleared. Failures show
    // "Failed to open document." (or the error's own text) and return false.
    virtual bool OnOpenDocument(const QString& path);
    // Save: writes through Serialize into a QSaveFile; clears the modified flag on success.
    // Failures show "Failed to save document." (or the error's own text) and return false.
    virtual bool OnSaveDocument(const QString& path);
    // The framework's clean-up hook before a new or opened document: does nothing here.
    virtual void DeleteContents();
    virtual void Serialize(CArchive& ar) = 0;

    [[nodiscard]] bool IsModified() const { return m_modified; }
    void SetModifiedFlag(bool modified = true);
    [[nodiscard]] QString GetPathName() const { return m_path; }
    void SetPathName(const QString& path);  // also sets the title to the file's name
    [[nodiscard]] QString GetTitle() const { return m_title; }
    void SetTitle(const QString& title);

    // The template's open flow: OnOpenDocument, then on success the path and title; when a
    // failed read left the document modified, a new document (OnNewDocument) replaces it.
    // contentsChanged tells whether the contents were replaced: after any read, failed or not,
    // but not when the file never opened.
    bool OpenDocumentFile(const QString& path, bool* contentsChanged = nullptr);
    // The save flow for a known path: OnSaveDocument, then the path and title on success.
    bool DoSave(const QString& path);

    // Takes the exclusive lock on path for a whole change (open, change, save), for a program
    // that must not lose another writer's change in between; a save to that path then needs no
    // lock of its own. Released by UnlockFile or with the document.
    platform::FileLock::Result LockFile(const QString& path, int waitMs);
    void UnlockFile();
    // How long a save waits for another program's lock before it gives up.
    void SetLockWait(int waitMs) { m_lockWaitMs = waitMs; }
    // Whether this document holds the exclusive lock of the file it last read or wrote now
    // (for a whole change, or during a save).
    [[nodiscard]] bool HoldsLock() const { return m_lock.Held() || m_saveLock.Held(); }
    // Undoes a change of the file at path that a program left unfinished, saying so; the text
    // of the failure when the file can't be brought back to a whole state, else empty.
    QString UndoUnfinishedChange(const QString& path);
    // True when the file at the document's path exists but is no longer the one this document
    // last read or wrote: another program replaced or rewrote it. now, if given, receives what
    // the path holds then.
    [[nodiscard]] bool IsChangedOnDisk(platform::FileIdentity* now = nullptr) const;

signals:
    void ModifiedChanged(bool modified);
    void TitleChanged(const QString& title);

protected:
    // Open and Save hand the opened file to these, which run Serialize through an archive.
    // They return false (with the error's own text, or an empty one for the standard message)
    // when the archive failed. Tests override them to put a failing device in between.
    virtual bool ReadFromDevice(QIODevice* device, QString* error);
    virtual bool WriteToDevice(QIODevice* device, QString* error);
    // The framework skips Serialize for a file of length 0; a document that still reacts to
    // opening one (by dropping its contents, say) does so here. Does nothing by default.
    virtual void OnOpenEmptyFile();
    // Asked, with the file's lock held, before a save replaces the regular file at path, which
    // looks like existing now; ownFile tells whether path is the file this document last read
    // or wrote. False stops the save without a failure message: the user said no. By default
    // asks kChangedByAnotherProgram (No by default) when another program changed the own file.
    virtual bool ConfirmSave(const QString& path, const platform::FileIdentity& existing,
                             bool ownFile);
    // Saves over the file this document last read or wrote (path, with its lock held) by
    // changing only what changed. Returns nothing when the whole file should be written
    // instead, else the text of the failure (empty: saved). The base writes the whole file.
    virtual std::optional<QString> SaveInPlace(const QString& path);
    // Told after the whole file was written to path and put in place.
    virtual void OnFileWritten(const QString& path);

private:
    // Writes the whole file; the text of the failure, or empty when the file is in place.
    QString WriteFile(const QString& path);
    // The save itself, once the lock is held: the text of the failure, empty when the file is
    // in place; *declined when ConfirmSave said no.
    QString SaveLocked(const QString& path, bool* declined);
    // Remembers the file just read or written as what path holds.
    void RememberFile(const QString& path, const platform::FileIdentity& identity);

    bool m_modified = false;
    QString m_path;
    QString m_title;
    platform::FileLock m_lock;
    platform::FileLock m_saveLock;  // held by a save that did not have m_lock already
    int m_lockWaitMs = kDefaultLockWaitMs;
    QString m_knownPath;  // the file this document last read or wrote, and what it was then
    platform::FileIdentity m_known;
};

}  // namespace framework
