#pragma once

#include <QByteArray>
#include <QString>

namespace mirovex {

// Replaces `path` with `bytes` through a temporary file in the same folder and
// a rename, so that a crash or a full disk leaves the old file or the new one,
// never a mix. False when anything fails; the old file is then untouched.
bool writeFileAtomically(const QString& path, const QByteArray& bytes);

// How many files writeFileAtomically has replaced in this process: every one
// costs a disk sync, so tests use this to keep writes off hot paths.
int atomicWriteCount();

// Holds an exclusive advisory lock on a folder for its lifetime, so that two
// processes that read, change and rewrite files of that folder take turns.
class FolderLock {
public:
    explicit FolderLock(const QString& folder, int timeoutMs = 2000);
    ~FolderLock();
    FolderLock(const FolderLock&) = delete;
    FolderLock& operator=(const FolderLock&) = delete;
    bool locked() const { return fd_ >= 0; }

private:
    int fd_ = -1;
};

} // namespace mirovex
