#include "foundation/packages/ArchiveFile.h"

#include <cstdio>

#include "foundation/exceptions/Exception.h"
#include "foundation/platform/NativePath.h"

namespace TAVO {

ArchiveFile::ArchiveFile(std::string path, bool readOnly, bool create) : path_(std::move(path)), readOnly_(readOnly) {
    open(create);
}

ArchiveFile::~ArchiveFile() {
    try {
        close();
    } catch (...) {
    }
}

void ArchiveFile::open(bool create) {
    close();
    openFailure_.clear();
    std::string reason;
    if (readOnly_) {
        if (!file_.open(path_, NativeFile::Mode::Read, reason)) {
            error_ << "Unable to read archive: " << path_ << " (" << reason << ")";
            openFailure_ = reason;
            return;
        }
    } else {
        const auto mode = create ? NativeFile::Mode::ReadWriteEmpty : NativeFile::Mode::ReadWrite;
        if (!file_.open(path_, mode, reason)) {
            error_ << "Unable to write to archive: " << path_ << " (" << reason << ")";
            openFailure_ = reason;
            return;
        }
    }
    input_ = std::make_unique<NativeFileReadStream>(file_);
    if (readOnly_) {
        archive_ = std::make_unique<Archive>(*input_);
    } else {
        output_ = std::make_unique<NativeFileWriteStream>(file_);
        archive_ = std::make_unique<Archive>(*input_, *output_);
    }
}

void ArchiveFile::close() {
    archive_.reset();
    input_.reset();
    output_.reset();
    file_.close();
}

void ArchiveFile::closeChecked() {
    archive_.reset();
    input_.reset();
    output_.reset();
    if (!readOnly_ && file_.isOpen())
        file_.sync();
    file_.close();
}

bool ArchiveFile::compact() {
    if (!archive_) {
        error_.str("");
        error_ << "No archive to compact: " << path_;
        return false;
    }
    const std::string temporary = path_ + ".tmp";
    {
        ArchiveFile copy(temporary, false, true);
        if (!copy.hasArchive()) {
            error_.str("");
            error_ << "Unable to create temporary file for compactation: " << temporary;
            return false;
        }
        try {
            copy.archive()->copyFrom(*archive_, true);
            copy.closeChecked();
        } catch (...) {
            // The old file stays as it was; the half-made copy goes.
            try {
                copy.close();
            } catch (...) {
            }
            std::remove(temporary.c_str());
            throw;
        }
    }
    close();
    error_.str("");
    bool moved = std::rename(temporary.c_str(), path_.c_str()) == 0;
    if (!moved) {
        error_ << "Fallback to using uncompacted file due to inability to rename file after compactation: "
               << temporary;
        std::remove(temporary.c_str());
    } else {
        try {
            NativeFile::syncFolder(NativePath::folderOf(path_));
        } catch (const Exception& e) {
            error_ << e;
        }
    }
    open(false);
    return moved && hasArchive();
}

} // namespace TAVO
