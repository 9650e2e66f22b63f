#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "foundation/exceptions/Exception.h"
#include "foundation/packages/Package.h"
#include "foundation/serialization/STLVectorSerializable.h"
#include "foundation/serialization/Serializable.h"
#include "foundation/streams/CRC32.h"
#include "foundation/streams/IncrementalBuffer.h"
#include "foundation/streams/ReadStream.h"
#include "foundation/streams/WriteStream.h"
#include "foundation/text/Parameters.h"

namespace TAVO {

class RandomReadStream;
class RandomWriteStream;
class Serialization;

// A package kept in one append-only container stream: a chain of segments,
// each a leader, a header of entry changes, a trailer with the header's CRC-32,
// and the data the segment adds. Every change is a new segment behind the
// last valid one; nothing committed is ever rewritten. Reading the chain from
// the start rebuilds the index. Once the tail is found damaged the archive is
// impaired: it can be listed and read (and so compacted), never changed.
class Archive : public Package {
public:
    // The outcome of the last read of the chain.
    enum Status : std::uint32_t {
        NORMAL = 0,
        INCOMPLETE_LEADER = 1,
        INCOMPLETE_HEADER = 2,
        INCOMPLETE_TRAILER = 3,
        INVALID_LEADER = 4,
        FUTURE_LEADER = 5,
        INVALID_TRAILER = 6,
        CRC_MISSMATCH = 7,
        // A segment whose checksum holds but whose content cannot be right:
        // a length shorter than its header or past the end of the stream, a
        // chunk outside the stream, or a malformed number.
        INVALID_SEGMENT = 8,
    };
    static const char* statusName(std::uint32_t status);

    struct Leader : Serializable {
        unsigned char t = 'T', a = 'A', version = 1, zero = 0;
        void serialize(Serialization& s) override;
    };

    class Header : public Serializable {
    public:
        struct Entry : Serializable {
            std::string name;
            Parameters attributes;
            Entry() = default;
            Entry(std::string n) : name(std::move(n)) {}
            // Subtracts distance from "offset", when there is one.
            void shiftOffset(long long distance);
            void serialize(Serialization& s) override;
        };

        STLVectorSerializable<Entry> entries;
        unsigned long long length = 0;

        unsigned char version() const { return version_; }
        void setVersion(unsigned char version) { version_ = version; }
        // Subtracts distance from every entry's "offset" and from the length.
        void shiftOffsets(long long distance);
        void serialize(Serialization& s) override;

    private:
        // Not stored: selects the width of the length (0: 32 bits, 1: 64 bits).
        unsigned char version_ = 1;
    };

    struct Trailer : Serializable {
        unsigned int checksum = 0;
        unsigned int complement = 0;
        void serialize(Serialization& s) override;
    };

    struct IndexEntry {
        struct Chunk {
            std::uint64_t position;
            std::uint64_t size;
        };
        std::vector<Chunk> chunks;
        std::uint64_t size() const;
    };
    using Index = std::map<std::string, IndexEntry>;

    struct Statistics {
        std::uint32_t segments = 0;
        std::uint32_t liveEntries = 0;
        std::uint32_t status = NORMAL;
        std::shared_ptr<const Exception> previous;
        std::uint64_t bytesAdded = 0;
        std::uint64_t bytesRemoved = 0;
        std::uint64_t totalSegmentBytes = 0;

        std::uint64_t liveBytes() const { return bytesAdded - bytesRemoved; }
        std::uint64_t deadBytes() const { return totalSegmentBytes - liveBytes(); }
        // False when the archive should be compacted.
        bool isCompactEnough() const;
        bool isIntact() const { return status == NORMAL && !previous; }
    };

    class EntryReader : public Package::Reader {
    public:
        EntryReader(const Archive& archive, std::vector<IndexEntry::Chunk> chunks);
        ~EntryReader() override;
        ReadStream& stream() override { return stream_; }

        // Walks a copy of the entry's chunks, re-seeking before every read.
        class ArchiveReadStream : public ReadStream {
        public:
            ArchiveReadStream(RandomReadStream& source, std::vector<IndexEntry::Chunk> chunks);
            void read(void* destination, std::uint64_t count) override;
            bool atEnd() override;

        private:
            RandomReadStream& source_;
            std::vector<IndexEntry::Chunk> chunks_;
            std::size_t chunk_ = 0;
            std::uint64_t inChunk_ = 0;
        };

    private:
        const Archive& archive_;
        ArchiveReadStream stream_;
    };

    class EntryWriter : public Package::Writer {
    public:
        EntryWriter(Archive& archive, std::string name, std::uint64_t appendBase);
        ~EntryWriter() override;
        WriteStream& stream() override { return stream_; }

        // Begins a segment when none is open.
        void ensureSegment();
        // Commits what was written since the segment began as one segment.
        void finish();

        class ArchiveWriteStream : public WriteStream {
        public:
            explicit ArchiveWriteStream(EntryWriter& writer) : writer_(writer) {}
            void write(const void* source, std::uint64_t count) override;
            void flush() override { writer_.finish(); }

        private:
            EntryWriter& writer_;
        };

    private:
        void write(const void* source, std::uint64_t count);

        Archive& archive_;
        ArchiveWriteStream stream_;
        std::string name_;
        std::uint64_t appendBase_;
        bool segmentOpen_ = false;
        bool failed_ = false;
        std::uint64_t dataStart_ = 0;
        std::uint64_t written_ = 0;
    };

    class EntryIterator : public Package::PackageIterator {
    public:
        EntryIterator(Index::const_iterator at, Index::const_iterator end) : at_(at), end_(end) {}
        std::string current() const override { return at_->first; }
        PackageIterator& advance() override;
        bool valid() const override { return at_ != end_; }

    private:
        Index::const_iterator at_;
        Index::const_iterator end_;
    };

    // A read-only archive.
    explicit Archive(RandomReadStream& input);
    // A writable archive; the two streams may be two views of one file.
    Archive(RandomReadStream& input, RandomWriteStream& output);
    ~Archive() override;
    Archive(const Archive&) = delete;
    Archive& operator=(const Archive&) = delete;

    PackageIterator* iterate() const override;
    void copyFrom(const Package& source, bool overwrite) override;
    bool exists(const std::string& name) const override;
    std::uint32_t size(const std::string& name) const override;
    std::unique_ptr<Package::Reader> openReader(const std::string& name) const override;
    std::unique_ptr<Package::Writer> openWriter(const std::string& name) override;
    std::unique_ptr<Package::Writer> openAppender(const std::string& name) override;
    void remove(const std::string& name) override;
    void rename(const std::string& from, const std::string& to) override;

    const Statistics& statistics() const;
    const Index& index() const { return index_; }
    std::uint64_t endOfIndex() const { return segmentStart_; }

    RandomReadStream& readStream() const { return input_; }
    RandomWriteStream& writeStream() const;
    std::uint64_t positionInSegment() const;
    std::uint32_t checksum(const Buffer& buffer);
    // Throws ArchiveImpairedException when the archive may not be changed.
    void checkModifiable() const;

    // The space to reserve for a header of n entries whose names have m bytes.
    static std::uint64_t headerReserve(std::uint64_t n, std::uint64_t m);

private:
    friend class EntryWriter;

    void load();
    // Checks a header that passed its checksum before it is applied: every
    // number well-formed, every chunk inside the stream, the length possible.
    bool plausible(const Header& header, std::uint64_t headerEnd, std::uint64_t streamSize) const;
    void applyHeader(const Header& header);
    bool tryRead(Serializable& record);
    void beginSegment(std::uint64_t reserve);
    void finishSegment(Header& header);
    void commitSegment(Header& header);
    // Ends an open segment without committing it.
    void abandonSegment();
    void takeWriting();
    void setPrevious(const Exception& exception);
    std::uint64_t measure(Header& header);

    IncrementalBuffer scratch_;
    CRC32 crc_;
    Index index_;
    std::uint64_t segmentStart_ = 0;
    mutable Statistics statistics_;
    mutable bool reading_ = false;
    bool writing_ = false;
    std::uint64_t reserve_ = 0;
    RandomReadStream& input_;
    RandomWriteStream* output_ = nullptr;
};

} // namespace TAVO
