#include "TestPackages.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "foundation/exceptions/SupportException.h"
#include "foundation/streams/ReadStream.h"
#include "foundation/streams/StreamException.h"
#include "resources/BuiltInResources.h"

namespace UiTest {

BuiltInPackage::BuiltInPackage()
    : bytes_(BuiltInResources::data(), BuiltInResources::size()), stream_(bytes_), archive_(stream_) {}

std::string BuiltInPackage::bytes(const std::string& name) const {
    auto reader = archive_.openReader(name);
    if (!reader) {
        ADD_FAILURE() << "no entry " << name;
        return {};
    }
    std::string bytes(archive_.size(name), '\0');
    reader->stream().read(bytes.data(), bytes.size());
    return bytes;
}

namespace {

// Hands out the bytes in order and ends with StreamException.
class StringReadStream : public TAVO::ReadStream {
public:
    explicit StringReadStream(std::string bytes) : bytes_(std::move(bytes)) {}
    void read(void* destination, std::uint64_t count) override {
        if (count > bytes_.size() - at_)
            throw TAVO::StreamException(TAVO::SourceLocation(), "Failed to read from input stream. ");
        std::memcpy(destination, bytes_.data() + at_, count);
        at_ += count;
    }
    bool atEnd() override { return at_ == bytes_.size(); }

private:
    std::string bytes_;
    std::size_t at_ = 0;
};

class StringReader : public TAVO::Package::Reader {
public:
    explicit StringReader(std::string bytes) : stream_(std::move(bytes)) {}
    TAVO::ReadStream& stream() override { return stream_; }

private:
    StringReadStream stream_;
};

class NameIterator : public TAVO::Package::PackageIterator {
public:
    explicit NameIterator(std::vector<std::string> names) : names_(std::move(names)) {}
    std::string current() const override { return names_.at(at_); }
    PackageIterator& advance() override {
        ++at_;
        return *this;
    }
    bool valid() const override { return at_ < names_.size(); }

private:
    std::vector<std::string> names_;
    std::size_t at_ = 0;
};

TAVO::SupportException readOnly() { return TAVO::SupportException(TAVO::SourceLocation(), "writing"); }

} // namespace

TAVO::Package::PackageIterator* MemoryPackage::iterate() const {
    std::vector<std::string> names;
    for (const auto& entry : entries_)
        names.push_back(entry.first);
    return new NameIterator(names);
}

std::uint32_t MemoryPackage::size(const std::string& name) const {
    if (claimedSize != 0)
        return static_cast<std::uint32_t>(std::min<std::uint64_t>(claimedSize, 0xFFFFFFFFu));
    return static_cast<std::uint32_t>(entries_.at(name).size());
}

std::unique_ptr<TAVO::Package::Reader> MemoryPackage::openReader(const std::string& name) const {
    auto found = entries_.find(name);
    if (found == entries_.end())
        return nullptr;
    return std::make_unique<StringReader>(found->second);
}

std::unique_ptr<TAVO::Package::Writer> MemoryPackage::openWriter(const std::string&) { throw readOnly(); }

std::unique_ptr<TAVO::Package::Writer> MemoryPackage::openAppender(const std::string&) { throw readOnly(); }

void MemoryPackage::rename(const std::string&, const std::string&) { throw readOnly(); }

} // namespace UiTest
