#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <map>
#include <random>
#include <string>

#include "foundation/exceptions/AccessException.h"
#include "foundation/exceptions/NotFoundException.h"
#include "foundation/packages/Archive.h"
#include "foundation/packages/ArchiveImpairedException.h"
#include "foundation/serialization/Serializer.h"
#include "foundation/streams/BufferStream.h"
#include "foundation/streams/CRC32.h"
#include "foundation/streams/ConstBufferStream.h"
#include "foundation/streams/IncrementalBuffer.h"
#include "foundation/streams/StreamException.h"
#include "support/Command.h"
#include "support/TempFolder.h"

using namespace TAVO;
using KestruneTest::Command;
using KestruneTest::TempFolder;

namespace {

// An archive over a buffer, with separate read and write views as over a file.
struct MemoryArchive {
    IncrementalBuffer bytes;
    BufferStream in{bytes};
    BufferStream out{bytes};
    std::unique_ptr<Archive> archive = std::make_unique<Archive>(in, out);

    void reopen() {
        archive.reset();
        archive = std::make_unique<Archive>(in, out);
    }
};

void put(Package& package, const std::string& name, const std::string& content) {
    auto writer = package.openWriter(name);
    writer->stream().write(content.data(), content.size());
}

void append(Package& package, const std::string& name, const std::string& content) {
    auto writer = package.openAppender(name);
    writer->stream().write(content.data(), content.size());
}

std::string get(const Package& package, const std::string& name) {
    auto reader = package.openReader(name);
    if (!reader)
        return "<missing>";
    std::string content(package.size(name), 0);
    reader->stream().read(content.data(), content.size());
    EXPECT_TRUE(reader->stream().atEnd());
    return content;
}

std::map<std::string, std::string> contents(const Package& package) {
    std::map<std::string, std::string> all;
    for (auto names = package.iterateShared(); names->valid(); names->advance())
        all[names->current()] = get(package, names->current());
    return all;
}

std::string text(const Buffer& buffer, std::uint32_t from, std::uint32_t count) {
    return std::string(reinterpret_cast<const char*>(buffer.data(from, count)), count);
}

} // namespace

TEST(ArchiveFormat, OneEntryLaysOutReserveDataHeaderAndTrailer) {
    MemoryArchive m;
    put(*m.archive, "a", "hello");
    const IncrementalBuffer& b = m.bytes;
    ASSERT_EQ(b.size(), 90u);
    EXPECT_EQ(text(b, 85, 5), "hello");
    EXPECT_EQ(text(b, 0, 4), std::string("TA\x01\x00", 4));
    // count 1, name "a", two attributes: offset=85, size=5, then the u64 length 90
    std::string header;
    header += std::string("\x01\x00\x00\x00", 4) + std::string("\x01\x00\x00\x00", 4) + "a";
    header += std::string("\x02\x00\x00\x00", 4);
    header += std::string("\x06\x00\x00\x00", 4) + "offset" + std::string("\x04\x00\x00\x00", 4) + "size";
    header += std::string("\x02\x00\x00\x00", 4) + "85" + std::string("\x01\x00\x00\x00", 4) + "5";
    header += std::string("\x5a\x00\x00\x00\x00\x00\x00\x00", 8);
    EXPECT_EQ(text(b, 4, std::uint32_t(header.size())), header);
    const std::uint32_t trailerAt = 4 + std::uint32_t(header.size());
    std::uint32_t checksum, complement;
    std::memcpy(&checksum, b.data(trailerAt, 4), 4);
    std::memcpy(&complement, b.data(trailerAt + 4, 4), 4);
    EXPECT_EQ(complement, ~checksum);
    for (std::uint32_t at = trailerAt + 8; at < 85; ++at)
        EXPECT_EQ(*b.data(at, 1), 0) << at;
    EXPECT_EQ(Archive::headerReserve(1, 1), 73u);
}

TEST(ArchiveFormat, AnEmptyStreamIsAnEmptyNormalArchive) {
    IncrementalBuffer empty;
    ConstBufferStream in(empty);
    Archive archive(in);
    EXPECT_EQ(archive.statistics().status, Archive::NORMAL);
    EXPECT_EQ(archive.statistics().liveEntries, 0u);
    EXPECT_FALSE(archive.iterateShared()->valid());
}

TEST(ArchiveFormat, LeaderChecksGiveTheirStatus) {
    const auto statusOf = [](const std::string& bytes) {
        IncrementalBuffer buffer;
        buffer.assign(bytes.data(), std::uint32_t(bytes.size()));
        ConstBufferStream in(buffer);
        return Archive(in).statistics().status;
    };
    EXPECT_EQ(statusOf(std::string("TA\x02\x00", 4)), Archive::FUTURE_LEADER);
    EXPECT_EQ(statusOf(std::string("TA\x01\x01", 4)), Archive::INVALID_LEADER);
    EXPECT_EQ(statusOf(std::string("XA\x01\x00", 4)), Archive::INVALID_LEADER);
    EXPECT_EQ(statusOf("TA"), Archive::INCOMPLETE_LEADER);
    EXPECT_EQ(statusOf(std::string("TA\x01\x00\x01\x00", 6)), Archive::INCOMPLETE_HEADER);
}

TEST(ArchiveEntries, FlushMakesASegmentAndLaterBytesAppend) {
    MemoryArchive m;
    {
        auto writer = m.archive->openWriter("e");
        writer->stream().write("abc", 3);
        writer->stream().flush();
        EXPECT_EQ(m.archive->size("e"), 3u);
        writer->stream().write("de", 2);
    }
    EXPECT_EQ(m.archive->statistics().segments, 2u);
    EXPECT_EQ(get(*m.archive, "e"), "abcde");
    m.reopen();
    EXPECT_EQ(get(*m.archive, "e"), "abcde");
    EXPECT_EQ(m.archive->statistics().segments, 2u);
    // The second segment's entry carries "append" = 3.
    const std::string all = text(m.bytes, 0, m.bytes.size());
    EXPECT_NE(all.find(std::string("\x06\x00\x00\x00", 4) + "append"), std::string::npos);
}

TEST(ArchiveEntries, WritersReplaceAppendersExtend) {
    MemoryArchive m;
    { auto w = m.archive->openWriter("empty"); }
    EXPECT_TRUE(m.archive->exists("empty"));
    EXPECT_EQ(m.archive->size("empty"), 0u);
    put(*m.archive, "x", "first");
    append(*m.archive, "x", "+more");
    EXPECT_EQ(get(*m.archive, "x"), "first+more");
    { auto a = m.archive->openAppender("x"); }
    EXPECT_EQ(get(*m.archive, "x"), "first+more");
    put(*m.archive, "x", "new");
    EXPECT_EQ(get(*m.archive, "x"), "new");
    append(*m.archive, "fresh", "made");
    EXPECT_EQ(get(*m.archive, "fresh"), "made");
    m.reopen();
    EXPECT_EQ(contents(*m.archive),
              (std::map<std::string, std::string>{{"empty", ""}, {"fresh", "made"}, {"x", "new"}}));
}

TEST(ArchiveEntries, ReadersAreSingleAndStopAtTheEnd) {
    MemoryArchive m;
    put(*m.archive, "a", "12");
    EXPECT_EQ(m.archive->openReader("missing"), nullptr);
    auto reader = m.archive->openReader("a");
    EXPECT_THROW(m.archive->openReader("a"), AccessException);
    char out[3];
    EXPECT_FALSE(reader->stream().atEnd());
    try {
        reader->stream().read(out, 3);
        FAIL();
    } catch (const StreamException& e) {
        EXPECT_EQ(e.message(), "Attempted to read over end of stream. ");
    }
    reader.reset();
    EXPECT_NE(m.archive->openReader("a"), nullptr);
}

TEST(ArchiveEntries, AReaderKeepsItsChunksWhileTheEntryChanges) {
    MemoryArchive m;
    put(*m.archive, "a", "old content");
    auto reader = m.archive->openReader("a");
    char first[4];
    reader->stream().read(first, 4);
    put(*m.archive, "a", "NEW");
    m.archive->remove("a");
    char rest[7];
    reader->stream().read(rest, 7);
    EXPECT_EQ(std::string(first, 4) + std::string(rest, 7), "old content");
}

TEST(ArchiveEntries, OneWriterAtATime) {
    MemoryArchive m;
    auto writer = m.archive->openWriter("a");
    EXPECT_THROW(m.archive->openWriter("b"), AccessException);
    EXPECT_THROW(m.archive->remove("a"), NotFoundException<std::string>);
    writer.reset();
    EXPECT_NO_THROW(m.archive->remove("a"));
}

TEST(ArchiveEntries, RemoveAndRenameAreHeaderOnlySegments) {
    MemoryArchive m;
    put(*m.archive, "a", "alpha");
    append(*m.archive, "a", "beta");
    put(*m.archive, "b", "old b");
    const std::uint64_t before = m.bytes.size();
    const auto stats = m.archive->statistics();
    m.archive->rename("a", "b");
    EXPECT_FALSE(m.archive->exists("a"));
    EXPECT_EQ(get(*m.archive, "b"), "alphabeta");
    EXPECT_EQ(m.archive->statistics().bytesAdded, stats.bytesAdded + 9);
    EXPECT_EQ(m.archive->statistics().bytesRemoved, stats.bytesRemoved + 9 + 5);
    m.archive->remove("b");
    EXPECT_THROW(m.archive->remove("b"), NotFoundException<std::string>);
    EXPECT_THROW(m.archive->rename("nothing", "x"), NotFoundException<std::string>);
    EXPECT_LT(m.bytes.size() - before, 200u) << "no data is copied";
    put(*m.archive, "c", "");
    m.archive->rename("c", "d");
    m.reopen();
    EXPECT_EQ(contents(*m.archive), (std::map<std::string, std::string>{{"d", ""}}));
}

TEST(ArchiveEntries, AHeaderLargerThanItsReserveStillCommits) {
    // The reserve leaves room for short numbers only: appending a large chunk
    // to a large entry makes a header that does not fit, which is committed
    // as a data segment without entries and a header-only segment after it.
    MemoryArchive m;
    const std::string first(200000, 'a'), second(300000, 'b');
    put(*m.archive, "big", first);
    EXPECT_EQ(m.archive->statistics().segments, 1u);
    append(*m.archive, "big", second);
    EXPECT_EQ(m.archive->statistics().segments, 3u);
    EXPECT_EQ(get(*m.archive, "big"), first + second);
    m.reopen();
    EXPECT_EQ(m.archive->statistics().status, Archive::NORMAL);
    EXPECT_EQ(m.archive->statistics().segments, 3u);
    EXPECT_EQ(get(*m.archive, "big"), first + second);
}

TEST(ArchiveEntries, ReadOnlyArchivesRefuseChanges) {
    MemoryArchive m;
    put(*m.archive, "a", "x");
    ConstBufferStream in(m.bytes);
    Archive readOnly(in);
    EXPECT_EQ(get(readOnly, "a"), "x");
    try {
        readOnly.openWriter("b");
        FAIL();
    } catch (const AccessException& e) {
        EXPECT_EQ(e.message(), "Failed to access archive because it is read-only. ");
    }
    EXPECT_THROW(readOnly.remove("a"), AccessException);
}

TEST(ArchiveStatistics, CompactnessRule) {
    Archive::Statistics s;
    s.segments = 1;
    EXPECT_TRUE(s.isCompactEnough());
    s.segments = 64;
    s.liveEntries = 1;
    s.totalSegmentBytes = 1000;
    EXPECT_FALSE(s.isCompactEnough());
    s.segments = 10;
    EXPECT_TRUE(s.isCompactEnough());
    s.status = Archive::INVALID_TRAILER;
    EXPECT_FALSE(s.isCompactEnough());
}

TEST(ArchiveDamage, ATornTailKeepsEveryEarlierEntryAndRefusesChanges) {
    MemoryArchive m;
    put(*m.archive, "one", "first entry");
    put(*m.archive, "two", "second entry");
    const std::uint32_t good = m.bytes.size();
    put(*m.archive, "three", "third entry, the one that is torn");
    const IncrementalBuffer whole = m.bytes;
    for (std::uint32_t cut = good + 1; cut < whole.size(); ++cut) {
        IncrementalBuffer torn;
        torn.assign(whole.data(), cut);
        BufferStream in(torn), out(torn);
        Archive archive(in, out);
        const auto& stats = archive.statistics();
        ASSERT_NE(stats.status, Archive::NORMAL) << cut;
        EXPECT_EQ(contents(archive), (std::map<std::string, std::string>{{"one", "first entry"},
                                                                         {"two", "second entry"}}))
            << cut;
        try {
            archive.openWriter("x");
            FAIL() << cut;
        } catch (const ArchiveImpairedException& e) {
            EXPECT_EQ(e.message(), std::string("Archive impaired, end of index ") +
                                       Archive::statusName(stats.status) + ", modification prohibited. ");
        }
    }
}

TEST(ArchiveDamage, AnUncommittedSegmentReadsAsInvalidTrailer) {
    MemoryArchive m;
    put(*m.archive, "one", "x");
    auto writer = m.archive->openWriter("two");
    writer->stream().write("partial", 7);
    // The placeholders are on disk, the header is not.
    BufferStream in(m.bytes), out(m.bytes);
    Archive view(in, out);
    EXPECT_EQ(view.statistics().status, Archive::INVALID_TRAILER);
    EXPECT_EQ(contents(view), (std::map<std::string, std::string>{{"one", "x"}}));
}

TEST(ArchiveDamage, OutOfOrderAttributeKeysFailTheCanonicalChecksum) {
    MemoryArchive m;
    put(*m.archive, "a", "x");
    IncrementalBuffer b = m.bytes;
    std::string all = text(b, 0, b.size());
    // Swap the two keys ("offset" < "size") and their values, then fix the CRC
    // over the bytes as stored: the reader compares with the canonical form.
    const std::string keys = std::string("\x06\x00\x00\x00", 4) + "offset" + std::string("\x04\x00\x00\x00", 4) + "size";
    const std::string swapped = std::string("\x04\x00\x00\x00", 4) + "size" + std::string("\x06\x00\x00\x00", 4) + "offset";
    ASSERT_NE(all.find(keys), std::string::npos);
    all.replace(all.find(keys), keys.size(), swapped);
    const std::string oldValues = std::string("\x02\x00\x00\x00", 4) + "85" + std::string("\x01\x00\x00\x00", 4) + "1";
    const std::string newValues = std::string("\x01\x00\x00\x00", 4) + "1" + std::string("\x02\x00\x00\x00", 4) + "85";
    ASSERT_NE(all.find(oldValues), std::string::npos);
    all.replace(all.find(oldValues), oldValues.size(), newValues);
    const std::size_t headerEnd = 4 + 4 + 4 + 1 + 4 + keys.size() + oldValues.size() + 8;
    const std::uint32_t crc = CRC32::of(all.data(), headerEnd);
    const std::uint32_t complement = ~crc;
    std::memcpy(all.data() + headerEnd, &crc, 4);
    std::memcpy(all.data() + headerEnd + 4, &complement, 4);
    IncrementalBuffer changed;
    changed.assign(all.data(), std::uint32_t(all.size()));
    ConstBufferStream in(changed);
    EXPECT_EQ(Archive(in).statistics().status, Archive::CRC_MISSMATCH);
}

TEST(ArchiveDamage, HostileHeadersEndQuicklyWithADamageStatus) {
    MemoryArchive m;
    for (int i = 0; i < 6; ++i)
        put(*m.archive, "entry" + std::to_string(i), std::string(40 + i, char('a' + i)));
    const IncrementalBuffer whole = m.bytes;
    std::mt19937 random(1234);
    for (int round = 0; round < 3000; ++round) {
        IncrementalBuffer damaged = whole;
        const int flips = 1 + int(random() % 4);
        for (int f = 0; f < flips; ++f) {
            const std::uint32_t at = random() % damaged.size();
            const int kind = int(random() % 3);
            std::uint8_t* p = damaged.data(at, 1);
            if (kind == 0)
                *p ^= std::uint8_t(1u << (random() % 8));
            else if (kind == 1)
                *p = 0xFF;
            else
                *p = std::uint8_t(random());
        }
        BufferStream in(damaged), out(damaged);
        Archive archive(in, out);
        // Every entry that is listed reads completely.
        for (auto names = archive.iterateShared(); names->valid(); names->advance())
            get(archive, names->current());
    }
}

TEST(ArchiveDamage, GarbageAfterAValidLeaderAndHugeCounts) {
    std::string bytes("TA\x01\x00", 4);
    bytes += std::string("\xFF\xFF\xFF\xFF", 4); // four billion entries
    bytes += std::string(64, '\x7F');
    IncrementalBuffer buffer;
    buffer.assign(bytes.data(), std::uint32_t(bytes.size()));
    ConstBufferStream in(buffer);
    Archive archive(in);
    EXPECT_EQ(archive.statistics().status, Archive::INCOMPLETE_HEADER);
}

namespace {

// One segment made by hand: the leader, the header and a valid trailer, then
// `data`. The header's length is given, not computed.
IncrementalBuffer handMadeSegment(Archive::Header& header, const std::string& data) {
    IncrementalBuffer bytes;
    BufferStream out(bytes);
    Serializer serializer(out);
    Archive::Leader leader;
    leader.serialize(serializer);
    header.serialize(serializer);
    Archive::Trailer trailer;
    trailer.checksum = CRC32::of(bytes.data(), bytes.size());
    trailer.complement = ~trailer.checksum;
    trailer.serialize(serializer);
    out.write(data.data(), data.size());
    return bytes;
}

std::uint32_t statusOfSegment(const std::string& offset, const std::string& size, long long lengthChange) {
    Archive::Header header;
    Archive::Header::Entry& entry = header.entries.emplace_back("e");
    entry.attributes.set("offset", offset);
    entry.attributes.set("size", size);
    header.length = 0;
    const std::uint64_t headerBytes = handMadeSegment(header, "").size();
    header.length = headerBytes + 4 + std::uint64_t(lengthChange);
    IncrementalBuffer bytes = handMadeSegment(header, "data");
    ConstBufferStream in(bytes);
    Archive archive(in);
    if (archive.statistics().status == Archive::NORMAL) {
        EXPECT_EQ(get(archive, "e"), "data");
    }
    return archive.statistics().status;
}

} // namespace

TEST(ArchiveDamage, SegmentsThatPassTheirChecksumButCannotBeRightAreDamage) {
    // The header measures the same with any two-digit offset.
    Archive::Header probe;
    Archive::Header::Entry& e = probe.entries.emplace_back("e");
    e.attributes.set("offset", "00");
    e.attributes.set("size", "4");
    const std::string offset = std::to_string(handMadeSegment(probe, "").size());
    ASSERT_EQ(offset.size(), 2u);
    EXPECT_EQ(statusOfSegment(offset, "4", 0), Archive::NORMAL);
    EXPECT_EQ(statusOfSegment(offset, "5", 0), Archive::INVALID_SEGMENT) << "a chunk past the end";
    EXPECT_EQ(statusOfSegment(offset, "4", 1), Archive::INVALID_SEGMENT) << "a length past the end";
    EXPECT_EQ(statusOfSegment(offset, "4", -100), Archive::INVALID_SEGMENT) << "shorter than its header";
    EXPECT_EQ(statusOfSegment("x1", "4", 0), Archive::INVALID_SEGMENT) << "a malformed number";
    EXPECT_EQ(statusOfSegment(offset, "-4", 0), Archive::INVALID_SEGMENT) << "a negative size";
    EXPECT_EQ(statusOfSegment("-9", "4", 0), Archive::INVALID_SEGMENT) << "before the start of the file";
}
