#pragma once

#include <map>
#include <memory>
#include <string>

#include "foundation/packages/Archive.h"
#include "foundation/packages/Package.h"
#include "foundation/streams/BorrowConstBuffer.h"
#include "foundation/streams/ConstBufferStream.h"

namespace UiTest {

// The archive compiled into the program, opened as the game opens it.
class BuiltInPackage {
public:
    BuiltInPackage();
    const TAVO::Package& package() const { return archive_; }
    std::string bytes(const std::string& name) const;

private:
    TAVO::BorrowConstBuffer bytes_;
    TAVO::ConstBufferStream stream_;
    TAVO::Archive archive_;
};

// Entries held in memory and read through a stream that cannot tell its
// size, as an archive's entries are. claimedSize, when set, is the size the
// package reports for every entry instead of the true one.
class MemoryPackage : public TAVO::Package {
public:
    void put(const std::string& name, std::string bytes) { entries_[name] = std::move(bytes); }
    std::uint64_t claimedSize = 0;

    PackageIterator* iterate() const override;
    std::uint32_t size(const std::string& name) const override;
    std::unique_ptr<Reader> openReader(const std::string& name) const override;
    std::unique_ptr<Writer> openWriter(const std::string& name) override;
    std::unique_ptr<Writer> openAppender(const std::string& name) override;
    void remove(const std::string& name) override { entries_.erase(name); }
    void rename(const std::string& from, const std::string& to) override;

private:
    std::map<std::string, std::string> entries_;
};

} // namespace UiTest
