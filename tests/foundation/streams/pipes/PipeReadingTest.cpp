// Reading from streams that cannot seek: a pipe and a FIFO fed by another
// process, as standard input is. Data of several hundred kilobytes must load,
// a stored length beyond the data must still end in a clean exception, and no
// single allocation may be larger than the bytes read plus one piece.
//
// This program replaces the global allocation functions to watch the largest
// single request, so it is a test program of its own.

#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <new>
#include <sstream>
#include <string>

#include <sys/stat.h>

#include "foundation/serialization/Deserializer.h"
#include "foundation/streams/CppInStream.h"
#include "foundation/streams/IncrementalBuffer.h"
#include "foundation/streams/ReadStream.h"
#include "foundation/streams/StreamException.h"
#include "foundation/text/ParameterParser.h"
#include "foundation/text/Parameters.h"
#include "support/Command.h"
#include "support/TempFolder.h"

namespace {

std::atomic<bool> watching{false};
std::atomic<std::size_t> largestRequest{0};

void* allocate(std::size_t size) {
    if (watching.load(std::memory_order_relaxed)) {
        std::size_t seen = largestRequest.load(std::memory_order_relaxed);
        while (size > seen && !largestRequest.compare_exchange_weak(seen, size)) {
        }
    }
    if (void* memory = std::malloc(size == 0 ? 1 : size))
        return memory;
    throw std::bad_alloc();
}

} // namespace

void* operator new(std::size_t size) { return allocate(size); }
void* operator new[](std::size_t size) { return allocate(size); }
void operator delete(void* memory) noexcept { std::free(memory); }
void operator delete[](void* memory) noexcept { std::free(memory); }
void operator delete(void* memory, std::size_t) noexcept { std::free(memory); }
void operator delete[](void* memory, std::size_t) noexcept { std::free(memory); }

using namespace TAVO;
using KestruneTest::Command;
using KestruneTest::TempFolder;

namespace {

// Records the largest single allocation made while it lives.
class AllocationWatch {
public:
    AllocationWatch() {
        largestRequest = 0;
        watching = true;
    }
    ~AllocationWatch() { watching = false; }
    std::size_t largest() const { return largestRequest.load(); }
};

// Another process writes a file into a pipe or a FIFO; path() names the
// reading end. Whoever reads must close it before this goes, so that a writer
// with data left ends instead of waiting.
class Feed {
public:
    // Through an anonymous pipe, named /dev/fd/N.
    static Feed pipe(const std::string& source) {
        Feed feed;
        feed.process_ = popen(("exec cat '" + source + "'").c_str(), "r");
        if (feed.process_ != nullptr)
            feed.path_ = "/dev/fd/" + std::to_string(fileno(feed.process_));
        return feed;
    }
    // Through a FIFO made in the folder.
    static Feed fifo(const std::string& source, const TempFolder& folder) {
        Feed feed;
        feed.path_ = folder.file("fifo");
        if (mkfifo(feed.path_.c_str(), 0600) != 0)
            return feed;
        feed.process_ = popen(("exec cat '" + source + "' > '" + feed.path_ + "'").c_str(), "r");
        return feed;
    }

    Feed(Feed&& other) noexcept : process_(other.process_), path_(std::move(other.path_)) {
        other.process_ = nullptr;
    }
    ~Feed() {
        if (process_ != nullptr)
            pclose(process_);
    }

    bool running() const { return process_ != nullptr; }
    const std::string& path() const { return path_; }

private:
    Feed() = default;

    FILE* process_ = nullptr;
    std::string path_;
};

std::string fileText(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

// Writes a file with Python's struct module and returns its path.
std::string pythonFile(const TempFolder& folder, const std::string& name, const std::string& body) {
    const std::string path = folder.file(name);
    const Command::Result result =
        Command::python("import struct, random\nrandom.seed(24)\nout = open('" + path + "', 'wb')\n" + body);
    EXPECT_EQ(result.exitCode, 0) << body;
    return path;
}

constexpr std::size_t piece = ReadStream::piece;
// What the allocator adds beyond a request is not counted; a little room for
// the bookkeeping of the pieces themselves.
constexpr std::size_t slack = 4096;

} // namespace

TEST(PipeReading, AStreamOverAPipeSaysItCannotSeek) {
    TempFolder folder;
    const std::string source = folder.file("text");
    std::ofstream(source) << "abc";
    std::ifstream regular(source, std::ios::binary);
    EXPECT_TRUE(CppInStream(regular).seekable());

    Feed feed = Feed::pipe(source);
    ASSERT_TRUE(feed.running());
    std::ifstream piped(feed.path(), std::ios::binary);
    CppInStream stream(piped);
    EXPECT_FALSE(stream.seekable());
    EXPECT_THROW(stream.tell(), StreamException);
    char bytes[3];
    stream.read(bytes, 3);
    EXPECT_EQ(std::string(bytes, 3), "abc");
    EXPECT_TRUE(stream.atEnd());
}

TEST(PipeReading, ReadToEndTakesEveryByteOfAPipeAndAFifo) {
    TempFolder folder;
    const std::string source =
        pythonFile(folder, "bytes", "out.write(bytes(random.getrandbits(8) for _ in range(700001)))\n");
    const std::string expected = fileText(source);
    ASSERT_EQ(expected.size(), 700001u);

    for (int kind = 0; kind < 2; ++kind) {
        Feed feed = kind == 0 ? Feed::pipe(source) : Feed::fifo(source, folder);
        ASSERT_TRUE(feed.running());
        std::ifstream file(feed.path(), std::ios::binary);
        CppInStream stream(file);
        IncrementalBuffer buffer;
        std::size_t largest = 0;
        {
            AllocationWatch watch;
            ReadStream::readToEnd(stream, buffer);
            largest = watch.largest();
        }
        ASSERT_EQ(buffer.size(), expected.size()) << kind;
        EXPECT_EQ(std::string(reinterpret_cast<const char*>(buffer.data()), buffer.size()), expected) << kind;
        EXPECT_LE(largest, expected.size() + piece + slack) << kind;
    }
}

TEST(PipeReading, SerializedFieldsOfSeveralHundredKilobytesLoad) {
    TempFolder folder;
    const std::string source = pythonFile(folder, "fields",
                                          "text = bytes(random.randrange(32, 127) for _ in range(300000))\n"
                                          "blob = bytes(random.getrandbits(8) for _ in range(450000))\n"
                                          "out.write(struct.pack('<I', len(text)) + text)\n"
                                          "out.write(struct.pack('<I', len(blob)) + blob)\n"
                                          "out.write(struct.pack('<i', -24))\n");
    const std::string bytes = fileText(source);
    ASSERT_EQ(bytes.size(), 4 + 300000 + 4 + 450000 + 4u);

    for (int kind = 0; kind < 2; ++kind) {
        Feed feed = kind == 0 ? Feed::pipe(source) : Feed::fifo(source, folder);
        ASSERT_TRUE(feed.running());
        std::ifstream file(feed.path(), std::ios::binary);
        CppInStream stream(file);
        Deserializer reader(stream);
        std::string text;
        IncrementalBuffer blob;
        int number = 0;
        std::size_t largestText = 0;
        std::size_t largestBlob = 0;
        {
            AllocationWatch watch;
            reader.serialize(text);
            largestText = watch.largest();
        }
        {
            AllocationWatch watch;
            reader.serialize(blob);
            largestBlob = watch.largest();
        }
        reader.serialize(number);
        EXPECT_EQ(text, bytes.substr(4, 300000)) << kind;
        EXPECT_EQ(std::string(reinterpret_cast<const char*>(blob.data()), blob.size()), bytes.substr(300008, 450000))
            << kind;
        EXPECT_EQ(number, -24) << kind;
        EXPECT_TRUE(stream.atEnd()) << kind;
        EXPECT_LE(largestText, 300000 + piece + slack) << kind;
        EXPECT_LE(largestBlob, 450000 + piece + slack) << kind;
    }
}

TEST(PipeReading, AStoredLengthBeyondTheDataThrowsHavingAllocatedOnlyWhatArrived) {
    TempFolder folder;
    // A false length in front of 300 000 bytes, and one exactly a byte too long.
    const std::string huge = pythonFile(folder, "huge",
                                        "out.write(struct.pack('<I', 0xFFFFFFF0))\n"
                                        "out.write(bytes(random.getrandbits(8) for _ in range(300000)))\n");
    const std::string short1 = pythonFile(folder, "short",
                                          "out.write(struct.pack('<I', 200001))\n"
                                          "out.write(bytes(200000))\n");
    struct Case {
        std::string source;
        std::size_t arriving;
    };
    for (const Case& c : {Case{huge, 300000}, Case{short1, 200000}}) {
        for (int kind = 0; kind < 4; ++kind) {
            const bool fifo = kind % 2 == 1;
            Feed feed = fifo ? Feed::fifo(c.source, folder) : Feed::pipe(c.source);
            ASSERT_TRUE(feed.running());
            std::size_t largest = 0;
            {
                std::ifstream file(feed.path(), std::ios::binary);
                CppInStream stream(file);
                Deserializer reader(stream);
                AllocationWatch watch;
                if (kind < 2) {
                    std::string text = "kept";
                    EXPECT_THROW(reader.serialize(text), StreamException) << c.source << kind;
                    EXPECT_EQ(text, "kept");
                } else {
                    IncrementalBuffer blob;
                    EXPECT_THROW(reader.serialize(blob), StreamException) << c.source << kind;
                    EXPECT_EQ(blob.size(), 0u);
                }
                largest = watch.largest();
            }
            EXPECT_LE(largest, c.arriving + piece + slack) << c.source << kind;
            if (fifo)
                std::remove(feed.path().c_str());
        }
    }
}

TEST(PipeReading, AParameterFileLoadsFromAFifoAndAPipe) {
    TempFolder folder;
    const std::string source = pythonFile(folder, "settings",
                                          "for i in range(12000):\n"
                                          "    out.write(b'key%05d = value %d  # note\\r\\n' % (i, i * 7))\n"
                                          "out.write(b'last=end')\n");
    ASSERT_GT(fileText(source).size(), 300000u);

    Parameters fromFifo;
    {
        Feed feed = Feed::fifo(source, folder);
        ASSERT_TRUE(feed.running());
        ParameterParser().load(feed.path(), fromFifo, false);
    }
    std::remove(folder.file("fifo").c_str());
    EXPECT_EQ(fromFifo.map().size(), 12001u);
    EXPECT_EQ(fromFifo.get("key00000"), "value 0");
    EXPECT_EQ(fromFifo.get("key11999"), "value 83993");
    EXPECT_EQ(fromFifo.get("last"), "end");

    Parameters fromPipe;
    {
        Feed feed = Feed::pipe(source);
        ASSERT_TRUE(feed.running());
        std::ifstream file(feed.path(), std::ios::binary);
        CppInStream stream(file);
        ParameterParser().load(stream, fromPipe, false);
    }
    EXPECT_EQ(fromPipe.map(), fromFifo.map());
}
