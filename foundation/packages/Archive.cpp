#include "foundation/packages/Archive.h"

#include <algorithm>
#include <limits>

#include "foundation/exceptions/AccessException.h"
#include "foundation/exceptions/BoundException.h"
#include "foundation/exceptions/CppException.h"
#include "foundation/exceptions/NotFoundException.h"
#include "foundation/exceptions/SpaceException.h"
#include "foundation/packages/ArchiveImpairedException.h"
#include "foundation/platform/TypeName.h"
#include "foundation/serialization/Deserializer.h"
#include "foundation/serialization/Serializer.h"
#include "foundation/streams/BufferStream.h"
#include "foundation/streams/RandomReadStream.h"
#include "foundation/streams/RandomWriteStream.h"
#include "foundation/streams/SizeMeasureWriteStream.h"
#include "foundation/streams/StreamException.h"
#include "foundation/streams/StreamPump.h"
#include "foundation/text/ConversionException.h"

namespace TAVO {

namespace {

constexpr std::uint64_t maxPosition = std::numeric_limits<std::uint64_t>::max();

// Decimal numbers as a standard stream writes them: an optional '-' (signed
// only) and digits; anything else, or a value out of range, throws.
unsigned long long parseUnsigned64(const std::string& text) {
    if (text.empty() || text.size() > 20)
        throw Text::ConversionException(SourceLocation(), text, "unsigned long long");
    unsigned long long value = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            throw Text::ConversionException(SourceLocation(), text, "unsigned long long");
        const unsigned digit = unsigned(c - '0');
        if (value > (maxPosition - digit) / 10)
            throw Text::ConversionException(SourceLocation(), text, "unsigned long long");
        value = value * 10 + digit;
    }
    return value;
}

long long parseSigned64(const std::string& text) {
    const bool negative = !text.empty() && text[0] == '-';
    try {
        const unsigned long long magnitude = parseUnsigned64(negative ? text.substr(1) : text);
        if (negative && magnitude <= 0x8000000000000000ull)
            return magnitude == 0x8000000000000000ull ? std::numeric_limits<long long>::min()
                                                        : -static_cast<long long>(magnitude);
        if (!negative && magnitude <= 0x7FFFFFFFFFFFFFFFull)
            return static_cast<long long>(magnitude);
    } catch (const Text::ConversionException&) {
    }
    throw Text::ConversionException(SourceLocation(), text, "long long");
}

// The serialized sizes of fixed records, measured once rather than written down.
struct RecordSizes {
    std::uint64_t leader;
    std::uint64_t trailer;
    std::uint64_t emptyHeader; // a version-1 header without entries
    std::uint64_t emptyEntry;  // an entry without a name, "offset" and "size" "0"
};

std::uint64_t measured(Serializable& record) {
    SizeMeasureWriteStream measure;
    Serializer serializer(measure);
    record.serialize(serializer);
    return measure.count();
}

const RecordSizes& recordSizes() {
    static const RecordSizes sizes = [] {
        Archive::Leader leader;
        Archive::Trailer trailer;
        Archive::Header header;
        Archive::Header::Entry entry;
        entry.attributes.set("offset", "0");
        entry.attributes.set("size", "0");
        return RecordSizes{measured(leader), measured(trailer), measured(header), measured(entry)};
    }();
    return sizes;
}

// Where a chunk lies: a version-1 offset is signed and relative to the segment
// start; a version-0 position is computed in 32 bits.
std::uint64_t absolutePosition(unsigned char version, std::uint64_t segmentStart, long long offset) {
    if (version == 0)
        return std::uint32_t(std::uint32_t(segmentStart) + std::uint32_t(offset));
    return segmentStart + std::uint64_t(offset);
}

void writeZeros(WriteStream& stream, std::uint64_t count) {
    static const std::uint8_t zeros[65536] = {};
    while (count > 0) {
        const std::uint64_t step = std::min<std::uint64_t>(count, sizeof zeros);
        stream.write(zeros, step);
        count -= step;
    }
}

} // namespace

const char* Archive::statusName(std::uint32_t status) {
    switch (status) {
    case NORMAL: return "NORMAL";
    case INCOMPLETE_LEADER: return "INCOMPLETE_LEADER";
    case INCOMPLETE_HEADER: return "INCOMPLETE_HEADER";
    case INCOMPLETE_TRAILER: return "INCOMPLETE_TRAILER";
    case INVALID_LEADER: return "INVALID_LEADER";
    case FUTURE_LEADER: return "FUTURE_LEADER";
    case INVALID_TRAILER: return "INVALID_TRAILER";
    case CRC_MISSMATCH: return "CRC_MISSMATCH";
    case INVALID_SEGMENT: return "INVALID_SEGMENT";
    default: return "not recognized";
    }
}

// ---- records ----

void Archive::Leader::serialize(Serialization& s) {
    s.serialize(t).serialize(a).serialize(version).serialize(zero);
}

void Archive::Header::Entry::shiftOffset(long long distance) {
    if (!attributes.has("offset"))
        return;
    const long long offset = parseSigned64(attributes.get("offset"));
    attributes.set("offset", std::to_string(offset - distance));
}

void Archive::Header::Entry::serialize(Serialization& s) {
    s.serialize(name);
    attributes.serialize(s);
}

void Archive::Header::shiftOffsets(long long distance) {
    for (Entry& entry : entries)
        entry.shiftOffset(distance);
    length -= std::uint64_t(distance);
}

void Archive::Header::serialize(Serialization& s) {
    entries.serialize(s);
    if (version_ >= 1) {
        s.serialize(length);
    } else {
        if (!s.reading() && length > 0xFFFFFFFFull)
            throw BoundException<unsigned long long>(SourceLocation(), length, 0xFFFFFFFFull);
        unsigned int narrow = unsigned(length);
        s.serialize(narrow);
        length = narrow;
    }
}

void Archive::Trailer::serialize(Serialization& s) {
    s.serialize(checksum).serialize(complement);
}

std::uint64_t Archive::IndexEntry::size() const {
    std::uint64_t total = 0;
    for (const Chunk& chunk : chunks)
        total += chunk.size;
    return total;
}

bool Archive::Statistics::isCompactEnough() const {
    if (!isIntact())
        return false;
    if (segments <= 1)
        return true;
    const double penalty = segments >= 64 ? double(segments) * double(segments) * 244.140625 : 0.0;
    return double(liveBytes()) + double(liveEntries) * 10000.0 > 2.0 * double(deadBytes()) + penalty;
}

// ---- construction and reading the chain ----

Archive::Archive(RandomReadStream& input) : input_(input) { load(); }

Archive::Archive(RandomReadStream& input, RandomWriteStream& output) : input_(input), output_(&output) { load(); }

Archive::~Archive() = default;

bool Archive::tryRead(Serializable& record) {
    try {
        Deserializer deserializer(input_);
        record.serialize(deserializer);
        return true;
    } catch (const Exception&) {
        return false;
    }
}

void Archive::load() {
    index_.clear();
    segmentStart_ = 0;
    statistics_ = Statistics();
    input_.seek(0);
    if (input_.atEnd())
        return;
    const std::uint64_t streamSize = input_.size();
    for (;;) {
        Leader leader;
        if (!tryRead(leader)) {
            statistics_.status = INCOMPLETE_LEADER;
            return;
        }
        if (leader.t != 'T' || leader.a != 'A') {
            statistics_.status = INVALID_LEADER;
            return;
        }
        if (leader.version > 1) {
            statistics_.status = FUTURE_LEADER;
            return;
        }
        if (leader.zero != 0) {
            statistics_.status = INVALID_LEADER;
            return;
        }
        Header header;
        header.setVersion(leader.version);
        if (!tryRead(header)) {
            statistics_.status = INCOMPLETE_HEADER;
            return;
        }
        Trailer trailer;
        if (!tryRead(trailer)) {
            statistics_.status = INCOMPLETE_TRAILER;
            return;
        }
        if (trailer.complement != ~trailer.checksum) {
            statistics_.status = INVALID_TRAILER;
            return;
        }
        // The checksum is compared with the canonical encoding of what was read.
        scratch_.setSize(0);
        BufferStream encoded(scratch_);
        Serializer serializer(encoded);
        leader.serialize(serializer);
        header.serialize(serializer);
        if (checksum(scratch_) != trailer.checksum) {
            statistics_.status = CRC_MISSMATCH;
            return;
        }
        if (!plausible(header, input_.tell(), streamSize)) {
            statistics_.status = INVALID_SEGMENT;
            return;
        }
        applyHeader(header);
        if (segmentStart_ >= streamSize)
            return;
        input_.seek(segmentStart_);
    }
}

bool Archive::plausible(const Header& header, std::uint64_t headerEnd, std::uint64_t streamSize) const {
    const std::uint64_t start = segmentStart_;
    // A segment holds at least its own leader, header and trailer, and ends
    // inside the stream; a length of 0 would never end the chain properly.
    if (header.length < headerEnd - start || header.length > streamSize - start)
        return false;
    try {
        for (const Header::Entry& entry : header.entries) {
            if (!entry.attributes.has("offset") || !entry.attributes.has("size"))
                continue;
            if (entry.attributes.has("append"))
                parseUnsigned64(entry.attributes.get("append"));
            const long long offset = parseSigned64(entry.attributes.get("offset"));
            const std::uint64_t size = parseUnsigned64(entry.attributes.get("size"));
            if (size == 0)
                continue;
            if (header.version() >= 1 && offset < 0 && std::uint64_t(-(offset + 1)) + 1 > start)
                return false;
            const std::uint64_t position = absolutePosition(header.version(), start, offset);
            if (position > streamSize || size > streamSize - position)
                return false;
        }
    } catch (const Text::ConversionException&) {
        return false;
    }
    return true;
}

void Archive::applyHeader(const Header& header) {
    statistics_.segments += 1;
    for (const Header::Entry& entry : header.entries) {
        const Parameters& attributes = entry.attributes;
        if (!attributes.has("offset") || !attributes.has("size")) {
            auto found = index_.find(entry.name);
            if (found != index_.end()) {
                statistics_.bytesRemoved += found->second.size();
                index_.erase(found);
            }
            continue;
        }
        IndexEntry& target = index_[entry.name];
        if (attributes.has("append")) {
            parseUnsigned64(attributes.get("append"));
        } else {
            statistics_.bytesRemoved += target.size();
            target.chunks.clear();
        }
        const long long offset = parseSigned64(attributes.get("offset"));
        const std::uint64_t size = parseUnsigned64(attributes.get("size"));
        if (size != 0)
            target.chunks.push_back({absolutePosition(header.version(), segmentStart_, offset), size});
        statistics_.bytesAdded += size;
    }
    segmentStart_ += header.length;
    statistics_.totalSegmentBytes += header.length;
    statistics_.status = NORMAL;
}

// ---- writing segments ----

std::uint64_t Archive::headerReserve(std::uint64_t n, std::uint64_t m) {
    const RecordSizes& sizes = recordSizes();
    return (sizes.emptyEntry + 24) * n + sizes.emptyHeader + m;
}

RandomWriteStream& Archive::writeStream() const {
    if (output_ == nullptr)
        throw AccessException(SourceLocation(), "archive", "it is read-only");
    return *output_;
}

std::uint64_t Archive::positionInSegment() const { return writeStream().tell() - segmentStart_; }

std::uint32_t Archive::checksum(const Buffer& buffer) {
    crc_.reset(0xFFFFFFFFu);
    crc_.update(buffer);
    return ~crc_.value();
}

void Archive::checkModifiable() const {
    if (!statistics_.isIntact())
        throw ArchiveImpairedException(SourceLocation(), statistics_.status, statistics_.previous.get());
}

void Archive::takeWriting() {
    writeStream();
    if (writing_)
        throw AccessException(SourceLocation(), "write access", "archive is already being written");
}

void Archive::beginSegment(std::uint64_t reserve) {
    takeWriting();
    RandomWriteStream& out = *output_;
    out.seek(segmentStart_);
    if (reserve == 0) {
        reserve_ = 0;
    } else {
        // Placeholders: a leader, an empty header and an all-zero trailer that
        // no reader accepts, then zeros up to the end of the reserve.
        Leader leader;
        Header empty;
        Trailer zero;
        scratch_.setSize(0);
        BufferStream placeholder(scratch_);
        Serializer serializer(placeholder);
        leader.serialize(serializer);
        empty.serialize(serializer);
        zero.serialize(serializer);
        out.write(scratch_.data(), scratch_.size());
        if (reserve > 12)
            writeZeros(out, reserve - 12);
        reserve_ = std::max<std::uint64_t>(reserve, 12);
    }
    writing_ = true;
}

std::uint64_t Archive::measure(Header& header) {
    header.setVersion(1);
    return measured(header);
}

void Archive::finishSegment(Header& header) {
    struct ClearWriting {
        bool& flag;
        ~ClearWriting() { flag = false; }
    } clear{writing_};
    const RecordSizes& sizes = recordSizes();
    const std::uint64_t headerSize = measure(header);
    if (reserve_ == 0) {
        header.length = sizes.leader + headerSize + sizes.trailer;
    } else if (headerSize <= reserve_) {
        header.length = positionInSegment();
    } else {
        // The header outgrew its reserve: the reserved space and the data
        // become a segment without entries, and the real header follows as a
        // header-only segment whose offsets point back into that data.
        const std::uint64_t dataEnd = positionInSegment();
        Header bridge;
        bridge.length = dataEnd;
        commitSegment(bridge);
        header.shiftOffsets(static_cast<long long>(dataEnd));
        header.length = sizes.leader + measure(header) + sizes.trailer;
    }
    commitSegment(header);
}

void Archive::commitSegment(Header& header) {
    RandomWriteStream& out = writeStream();
    if (header.length > maxPosition - segmentStart_) {
        statistics_.status = INVALID_TRAILER;
        throw SpaceException<unsigned long long>(SourceLocation(), header.length, maxPosition - segmentStart_);
    }
    header.setVersion(1);
    Leader leader;
    scratch_.setSize(0);
    BufferStream encoded(scratch_);
    Serializer serializer(encoded);
    leader.serialize(serializer);
    header.serialize(serializer);
    Trailer trailer;
    trailer.checksum = checksum(scratch_);
    trailer.complement = ~trailer.checksum;
    trailer.serialize(serializer);
    // The data must be durable before the header that points at it.
    out.flush();
    out.seek(segmentStart_);
    out.write(scratch_.data(), scratch_.size());
    out.flush();
    applyHeader(header);
}

void Archive::abandonSegment() {
    writing_ = false;
    reserve_ = 0;
}

void Archive::setPrevious(const Exception& exception) {
    statistics_.previous.reset(exception.clone());
}

// ---- the package ----

Package::PackageIterator* Archive::iterate() const { return new EntryIterator(index_.begin(), index_.end()); }

Package::PackageIterator& Archive::EntryIterator::advance() {
    if (at_ != end_)
        ++at_;
    return *this;
}

bool Archive::exists(const std::string& name) const { return index_.count(name) != 0; }

std::uint32_t Archive::size(const std::string& name) const {
    auto found = index_.find(name);
    if (found == index_.end())
        throw NotFoundException<std::string>(SourceLocation(), name, index_);
    const std::uint64_t size = found->second.size();
    if (size > 0xFFFFFFFFull)
        throw BoundException<unsigned long long>(SourceLocation(), size, 0xFFFFFFFFull);
    return std::uint32_t(size);
}

const Archive::Statistics& Archive::statistics() const {
    statistics_.liveEntries = std::uint32_t(index_.size());
    return statistics_;
}

std::unique_ptr<Package::Reader> Archive::openReader(const std::string& name) const {
    auto found = index_.find(name);
    if (found == index_.end())
        return nullptr;
    if (reading_)
        throw AccessException(SourceLocation(), "read access", "archive is already being read");
    return std::make_unique<EntryReader>(*this, found->second.chunks);
}

std::unique_ptr<Package::Writer> Archive::openWriter(const std::string& name) {
    checkModifiable();
    writeStream();
    return std::make_unique<EntryWriter>(*this, name, 0);
}

std::unique_ptr<Package::Writer> Archive::openAppender(const std::string& name) {
    checkModifiable();
    writeStream();
    auto found = index_.find(name);
    return std::make_unique<EntryWriter>(*this, name, found == index_.end() ? 0 : found->second.size());
}

void Archive::remove(const std::string& name) {
    checkModifiable();
    if (index_.count(name) == 0)
        throw NotFoundException<std::string>(SourceLocation(), name, index_);
    Header header;
    header.entries.emplace_back(name);
    beginSegment(0);
    finishSegment(header);
}

void Archive::rename(const std::string& from, const std::string& to) {
    checkModifiable();
    auto found = index_.find(from);
    if (found == index_.end())
        throw NotFoundException<std::string>(SourceLocation(), from, index_);
    Header header;
    header.entries.emplace_back(from);
    std::uint64_t before = 0;
    for (const IndexEntry::Chunk& chunk : found->second.chunks) {
        Header::Entry& entry = header.entries.emplace_back(to);
        entry.attributes.set("offset", std::to_string(static_cast<long long>(chunk.position - segmentStart_)));
        entry.attributes.set("size", std::to_string(chunk.size));
        if (before != 0)
            entry.attributes.set("append", std::to_string(before));
        before += chunk.size;
    }
    if (found->second.chunks.empty()) {
        Header::Entry& entry = header.entries.emplace_back(to);
        entry.attributes.set("offset", "0");
        entry.attributes.set("size", "0");
    }
    beginSegment(0);
    finishSegment(header);
}

void Archive::copyFrom(const Package& source, bool overwrite) {
    checkModifiable();
    RandomWriteStream& out = writeStream();
    std::uint64_t n = 0, m = 0;
    for (auto names = source.iterateShared(); names->valid(); names->advance()) {
        const std::string name = names->current();
        if (overwrite || !exists(name)) {
            ++n;
            m += name.size();
        }
    }
    beginSegment(headerReserve(n, m));
    try {
        Header header;
        StreamPump pump(8192);
        pump.setSink(&out);
        for (auto names = source.iterateShared(); names->valid(); names->advance()) {
            const std::string name = names->current();
            if (!overwrite && exists(name))
                continue;
            std::unique_ptr<Package::Reader> reader = source.openReader(name);
            if (!reader)
                throw StreamException(SourceLocation(), "Could not open entry \"" + name + "\" for reading. ");
            const std::uint64_t start = positionInSegment();
            pump.setSource(&reader->stream());
            pump.pump(source.size(name));
            Header::Entry& entry = header.entries.emplace_back(name);
            entry.attributes.set("offset", std::to_string(start));
            entry.attributes.set("size", std::to_string(positionInSegment() - start));
        }
        finishSegment(header);
    } catch (...) {
        abandonSegment();
        throw;
    }
}

// ---- entry readers ----

Archive::EntryReader::EntryReader(const Archive& archive, std::vector<IndexEntry::Chunk> chunks)
    : archive_(archive), stream_(archive.input_, std::move(chunks)) {
    archive_.reading_ = true;
}

Archive::EntryReader::~EntryReader() { archive_.reading_ = false; }

Archive::EntryReader::ArchiveReadStream::ArchiveReadStream(RandomReadStream& source,
                                                           std::vector<IndexEntry::Chunk> chunks)
    : source_(source), chunks_(std::move(chunks)) {}

void Archive::EntryReader::ArchiveReadStream::read(void* destination, std::uint64_t count) {
    auto* out = static_cast<std::uint8_t*>(destination);
    while (count > 0) {
        if (chunk_ < chunks_.size() && inChunk_ == chunks_[chunk_].size) {
            ++chunk_;
            inChunk_ = 0;
        }
        if (chunk_ >= chunks_.size())
            throw StreamException(SourceLocation(), "Attempted to read over end of stream. ");
        const IndexEntry::Chunk& chunk = chunks_[chunk_];
        const std::uint64_t step = std::min(count, chunk.size - inChunk_);
        // Other users of the stream may have moved it: seek every time.
        source_.seek(chunk.position + inChunk_);
        source_.read(out, step);
        out += step;
        count -= step;
        inChunk_ += step;
    }
}

bool Archive::EntryReader::ArchiveReadStream::atEnd() {
    std::size_t at = chunk_;
    std::uint64_t in = inChunk_;
    while (at < chunks_.size() && in == chunks_[at].size) {
        ++at;
        in = 0;
    }
    return at >= chunks_.size();
}

// ---- entry writers ----

Archive::EntryWriter::EntryWriter(Archive& archive, std::string name, std::uint64_t appendBase)
    : archive_(archive), stream_(*this), name_(std::move(name)), appendBase_(appendBase) {
    ensureSegment();
}

Archive::EntryWriter::~EntryWriter() {
    try {
        finish();
    } catch (const Exception& e) {
        archive_.setPrevious(e);
    } catch (const std::exception& e) {
        archive_.setPrevious(CppException(SourceLocation(), e.what(), TypeName::ofObject(e)));
    } catch (...) {
        archive_.setPrevious(CppException(SourceLocation(), "unknown failure", "unknown"));
    }
    if (segmentOpen_)
        archive_.abandonSegment();
}

void Archive::EntryWriter::ensureSegment() {
    if (segmentOpen_)
        return;
    archive_.beginSegment(headerReserve(1, name_.size()));
    dataStart_ = archive_.positionInSegment();
    written_ = 0;
    failed_ = false;
    segmentOpen_ = true;
}

void Archive::EntryWriter::ArchiveWriteStream::write(const void* source, std::uint64_t count) {
    writer_.write(source, count);
}

void Archive::EntryWriter::write(const void* source, std::uint64_t count) {
    ensureSegment();
    if (count == 0)
        return;
    RandomWriteStream& out = archive_.writeStream();
    try {
        out.seek(archive_.segmentStart_ + dataStart_ + written_);
        out.write(source, count);
    } catch (...) {
        // What was written of this segment is never committed.
        failed_ = true;
        throw;
    }
    written_ += count;
}

void Archive::EntryWriter::finish() {
    if (!segmentOpen_)
        return;
    if (failed_) {
        segmentOpen_ = false;
        archive_.abandonSegment();
        return;
    }
    Header header;
    Header::Entry& entry = header.entries.emplace_back(name_);
    entry.attributes.set("offset", std::to_string(dataStart_));
    entry.attributes.set("size", std::to_string(written_));
    if (appendBase_ != 0)
        entry.attributes.set("append", std::to_string(appendBase_));
    // The write position must be the end of the data for the length.
    archive_.writeStream().seek(archive_.segmentStart_ + dataStart_ + written_);
    segmentOpen_ = false;
    archive_.finishSegment(header);
    appendBase_ += written_;
}

} // namespace TAVO
