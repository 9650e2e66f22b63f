#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <functional>
#include <fstream>
#include <iterator>
#include <map>
#include <mutex>
#include <sstream>
#include <thread>
#include <vector>

#include <sys/stat.h>

#include "foundation/exceptions/ExceptionHandler.h"
#include "foundation/threads/LogFile.h"
#include "foundation/threads/Runnable.h"
#include "imaging/PictureGallery.h"
#include "imaging/PictureLoader.h"
#include "support/FailingAllocations.h"
#include "support/MemoryLog.h"
#include "support/PictureFiles.h"
#include "support/ThumbnailReference.h"
#include "support/TempFolder.h"
#include "support/UnprivilegedChild.h"

using namespace TAVO;
using KestruneTest::FailingAllocations;
using KestruneTest::PictureFiles;
using KestruneTest::TempFolder;

namespace {

// Stands for the game menu's picture selection: asks for every added entry's
// thumbnail and records what it hears, with the thread it hears it on.
class RecordingGalleryUpdater : public PictureGallery::EventHandler {
public:
    explicit RecordingGalleryUpdater(PictureGallery& gallery) : gallery_(gallery) {}
    void added() override {
        events.push_back("added");
        threads.push_back(std::this_thread::get_id());
        gallery_.loadThumbnail(std::uint32_t(gallery_.entries().size() - 1));
    }
    void removed(std::uint32_t index) override {
        events.push_back("removed " + std::to_string(index));
        threads.push_back(std::this_thread::get_id());
    }
    void thumbnailReady(std::uint32_t index) override {
        events.push_back("ready " + std::to_string(index));
        threads.push_back(std::this_thread::get_id());
    }
    std::vector<std::string> events;
    std::vector<std::thread::id> threads;

private:
    PictureGallery& gallery_;
};

// Stands for the menu's notifier of the chosen picture: the picture when it
// loads, else the entry leaves the gallery.
class RecordingPictureNotifier : public PictureLoader::Notifier {
public:
    RecordingPictureNotifier(PictureGallery& gallery, std::string path, int& calls, Picture& picture)
        : gallery_(gallery), path_(std::move(path)), calls_(calls), picture_(picture) {}
    void loaded(const std::string&, const Picture& picture) override {
        ++calls_;
        picture_ = picture;
    }
    void failed() override {
        ++calls_;
        std::uint32_t index = PictureGallery::maximumEntries;
        if (gallery_.find(path_, index))
            gallery_.remove(index);
    }

private:
    PictureGallery& gallery_;
    std::string path_;
    int& calls_;
    Picture& picture_;
};

// Records the number of the load it answers as it is heard (plus 1000 when
// it failed), and keeps the picture.
class Answer : public PictureLoader::Notifier {
public:
    Answer(std::vector<std::size_t>& order, std::size_t i, Picture& into) : order_(order), i_(i), into_(into) {}
    void loaded(const std::string&, const Picture& picture) override {
        order_.push_back(i_);
        into_ = picture;
    }
    void failed() override { order_.push_back(i_ + 1000); }

private:
    std::vector<std::size_t>& order_;
    std::size_t i_;
    Picture& into_;
};

int countLines(const std::string& text, const std::string& needle) {
    int n = 0;
    for (std::size_t at = text.find(needle); at != std::string::npos; at = text.find(needle, at + 1))
        ++n;
    return n;
}

// A started loader that logs into memory, and a gallery on it whose events
// the recording updater hears.
struct WatchedGallery {
    WatchedGallery() {
        log.open(logText);
        loader.start();
        gallery.setEventHandler(&updater);
    }

    std::ostringstream logText;
    LogFile log;
    PictureLoader loader{log};
    PictureGallery gallery{loader};
    RecordingGalleryUpdater updater{gallery};
};

void pollUntil(PictureLoader& loader, const std::function<bool()>& finished) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (!finished() && std::chrono::steady_clock::now() < deadline) {
        loader.poll();
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    loader.poll();
}

} // namespace

TEST(PictureGallery, AMixedFolderKeepsThePicturesAndDropsTheRest) {
    TempFolder folder;
    const std::string f = folder.path() + "/";
    ASSERT_TRUE(PictureFiles::writePNG(f + "a-rgb.png", 300, 200, 3, PictureFiles::pattern(300, 200, 3, 1)));
    ASSERT_TRUE(PictureFiles::writePNG(f + "b-grey.png", 150, 260, 1, PictureFiles::pattern(150, 260, 1, 2)));
    ASSERT_TRUE(PictureFiles::writePNG(f + "c-rgba.png", 129, 129, 4, PictureFiles::pattern(129, 129, 4, 3)));
    const bool jpeg = PictureFiles::writeJPEG(f + "d-base.jpg", 640, 480, 3, PictureFiles::pattern(640, 480, 3, 4)) &&
                      PictureFiles::writeJPEG(f + "e-prog.jpeg", 480, 640, 3, PictureFiles::pattern(480, 640, 3, 5),
                                              "-progressive");
    std::ofstream(f + "f-broken.png") << "\x89PNG but nothing after";
    std::ofstream(f + "g-notes.txt") << "some text";
    PictureFiles::writeNetPBM(f + "h-grey.pgm", 64, 64, 1, PictureFiles::pattern(64, 64, 1, 6));
    std::filesystem::create_directory(f + "sub");
    PictureFiles::writeNetPBM(f + "sub/inside.ppm", 8, 8, 3, PictureFiles::pattern(8, 8, 3));

    WatchedGallery watched;
    auto& [logText, log, loader, gallery, updater] = watched;
    gallery.setDirectory(folder.path());
    const std::size_t listed = gallery.entries().size();
    EXPECT_EQ(listed, jpeg ? 8u : 6u);
    const std::size_t expectedEnd = listed - 2;
    pollUntil(loader, [&] {
        std::size_t ready = 0;
        for (const auto& e : gallery.entries())
            ready += e.tile != PictureGallery::Entry::noTile;
        return gallery.entries().size() == expectedEnd && ready == expectedEnd;
    });
    loader.stop();

    std::vector<std::string> names;
    for (const auto& e : gallery.entries()) {
        names.push_back(e.path.substr(f.size()));
        EXPECT_NE(e.tile, PictureGallery::Entry::noTile) << e.path;
    }
    std::vector<std::string> expected = {"a-rgb.png", "b-grey.png", "c-rgba.png"};
    if (jpeg) {
        expected.push_back("d-base.jpg");
        expected.push_back("e-prog.jpeg");
    }
    expected.push_back("h-grey.pgm");
    EXPECT_EQ(names, expected);
    // One entry for the broken picture, which names it.
    EXPECT_EQ(countLines(logText.str(), "> TAVO "), 1) << logText.str();
    EXPECT_EQ(countLines(logText.str(), " : context: " + f + "f-broken.png> TAVO "), 1) << logText.str();
    for (const auto& id : updater.threads)
        EXPECT_EQ(id, std::this_thread::get_id());
    EXPECT_EQ(gallery.pageCount(), 1u);
    // A grey thumbnail fills all three channels of its tile.
    const auto& grey = gallery.entries()[1];
    const auto origin = gallery.atlas().tileRegion(grey.tile).origin();
    const std::uint8_t* page = gallery.page(0).buffer().data();
    const std::size_t at = (std::size_t(origin[1] + 5) * 1024 + origin[0] + 7) * 3;
    EXPECT_EQ(page[at], page[at + 1]);
    EXPECT_EQ(page[at], page[at + 2]);
}

TEST(PictureGallery, AFolderThatCannotBeListedIsNamedInOneLogLine) {
    TempFolder folder;
    std::ofstream(folder.file("plain.png")) << "a file, not a folder";
    const std::vector<std::pair<std::string, std::string>> cases = {
        {folder.file("no such folder"), "it does not exist"},
        {folder.file("plain.png"), "it is not a folder"},
        // Bytes of the name that are no text reach the log escaped.
        {folder.file("gone\x07"), "it does not exist"}};
    for (const auto& [path, why] : cases) {
        std::ostringstream logText;
        LogFile log;
        log.open(logText);
        PictureLoader loader(log);
        PictureGallery gallery(loader);
        gallery.setDirectory(path);
        EXPECT_TRUE(gallery.entries().empty());
        const std::string shown = path.back() == '\x07' ? path.substr(0, path.size() - 1) + "\\x07" : path;
        EXPECT_EQ(countLines(logText.str(), "\n"), 1) << logText.str();
        EXPECT_EQ(countLines(logText.str(), " : No pictures from the gallery folder " + shown + ": " + why + ".\n"), 1)
            << logText.str();
    }
}

// A gallery folder the player may not list (no permissions at all) gives an
// empty page and one log line naming it. Root lists any folder: the gallery
// is opened by a child that is not root.
TEST(PictureGallery, AFolderWithoutPermissionsIsNamedInOneLogLine) {
    TempFolder folder;
    const std::string closed = folder.file("closed");
    std::filesystem::create_directory(closed);
    PictureFiles::writeNetPBM(closed + "/a.ppm", 8, 8, 3, PictureFiles::pattern(8, 8, 3));
    KestruneTest::UnprivilegedChild::lend(folder.path());
    ASSERT_EQ(chmod(closed.c_str(), 0), 0);
    // What the gallery holds once every load it asked for has ended: its
    // entries, what its handler heard, its pages, then the log.
    const std::string seen = KestruneTest::UnprivilegedChild::run([&] {
        WatchedGallery watched;
        auto& [logText, log, loader, gallery, updater] = watched;
        gallery.setDirectory(closed);
        pollUntil(loader, [&] { return loader.unfinished() == 0; });
        loader.stop();
        std::string text = "entries";
        for (const auto& entry : gallery.entries())
            text += " " + entry.path;
        text += "; heard";
        for (const std::string& event : updater.events)
            text += " " + event;
        text += "; pages " + std::to_string(gallery.pageCount()) + "\n";
        std::istringstream lines(logText.str());
        for (std::string line; std::getline(lines, line);)
            text += line.substr(line.find(" : ") + 3) + "\n";
        return text;
    });
    chmod(closed.c_str(), 0700);
    EXPECT_EQ(seen,
              "entries; heard; pages 0\nNo pictures from the gallery folder " + closed + ": it cannot be listed.\n");
}

TEST(PictureGallery, FortyFilesGiveTheSameThirtyTwoEntriesEveryTime) {
    TempFolder folder;
    for (int i = 39; i >= 0; --i) {
        char name[32];
        std::snprintf(name, sizeof name, "/p%02d.pgm", i);
        PictureFiles::writeNetPBM(folder.path() + name, 4, 4, 1, PictureFiles::pattern(4, 4, 1, i));
    }
    std::ostringstream logText;
    LogFile log;
    log.open(logText);
    PictureLoader loader(log);
    for (int run = 0; run < 2; ++run) {
        PictureGallery gallery(loader);
        gallery.setDirectory(folder.path());
        ASSERT_EQ(gallery.entries().size(), 32u);
        EXPECT_EQ(gallery.entries().front().path, folder.path() + "/p00.pgm");
        EXPECT_EQ(gallery.entries().back().path, folder.path() + "/p31.pgm");
    }
    PictureGallery missing(loader);
    missing.setDirectory(folder.path() + "/no-such-folder");
    EXPECT_TRUE(missing.entries().empty());
    PictureGallery empty(loader);
    empty.setDirectory("");
    EXPECT_TRUE(empty.entries().empty());
}

TEST(PictureGallery, ThumbnailsFindTheirEntryAfterRemovals) {
    std::ostringstream logText;
    LogFile log;
    log.open(logText);
    PictureLoader loader(log);
    PictureGallery gallery(loader);
    for (int i = 0; i < 5; ++i)
        gallery.add("entry" + std::to_string(i));
    Picture thumbnail(Vector<2, unsigned int>(128, 128));
    PictureGallery::ThumbLoadNotifer late(gallery, "entry4", 4);
    gallery.remove(2);
    late.loaded("entry4", thumbnail);
    EXPECT_NE(gallery.entries()[3].tile, PictureGallery::Entry::noTile);
    PictureGallery::ThumbLoadNotifer gone(gallery, "entry2", 2);
    gone.loaded("entry2", thumbnail);
    EXPECT_EQ(gallery.atlas().allocated(), 1u) << "a thumbnail without its entry is dropped";
    PictureGallery::ThumbLoadNotifer failing(gallery, "entry3", 3);
    failing.failed();
    EXPECT_EQ(gallery.entries().size(), 3u);
    gallery.remove(17); // past the end: nothing
    EXPECT_EQ(gallery.entries().size(), 3u);
    for (int i = 0; i < 64; ++i)
        gallery.setThumbnail(0, thumbnail);
    EXPECT_EQ(gallery.pageCount(), 2u) << "the 65th thumbnail starts page 1";
}

TEST(PictureLoaderJobs, EachJobCallsItsNotifierOnceOnThePollingThread) {
    TempFolder folder;
    PictureFiles::writeNetPBM(folder.file("good.ppm"), 300, 300, 3, PictureFiles::pattern(300, 300, 3));
    std::ostringstream logText;
    LogFile log;
    log.open(logText);
    PictureLoader loader(log);
    PictureGallery gallery(loader);
    gallery.add(folder.file("bad.ppm"));
    loader.start();
    int goodCalls = 0, badCalls = 0, droppedCalls = 0;
    Picture good, bad, dropped;
    loader.loadAsync(folder.file("good.ppm"),
                     std::make_unique<RecordingPictureNotifier>(gallery, folder.file("good.ppm"), goodCalls, good));
    loader.loadAsync(folder.file("bad.ppm"),
                     std::make_unique<RecordingPictureNotifier>(gallery, folder.file("bad.ppm"), badCalls, bad));
    // Many loads at once from both directions exercise the shared scaler.
    int thumbCalls = 0;
    std::vector<Picture> thumbs(20);
    for (int i = 0; i < 20; ++i)
        loader.loadAsync(folder.file("good.ppm"), 128,
                         std::make_unique<RecordingPictureNotifier>(gallery, "x", thumbCalls, thumbs[i]));
    std::thread other([&] {
        Picture direct;
        for (int i = 0; i < 5; ++i)
            loader.loadPictureScaled(folder.file("good.ppm"), 64, direct);
    });
    pollUntil(loader, [&] { return goodCalls + badCalls + thumbCalls == 22; });
    other.join();
    EXPECT_EQ(goodCalls, 1);
    EXPECT_EQ(badCalls, 1);
    EXPECT_EQ(thumbCalls, 20);
    EXPECT_EQ(good.metadata().width(), 300u);
    EXPECT_TRUE(gallery.entries().empty()) << "the failed picture left the gallery";
    EXPECT_EQ(thumbs[19].metadata().width(), 128u);
    // A job that is never delivered destroys its notifier unheard.
    loader.loadAsync(folder.file("good.ppm"),
                     std::make_unique<RecordingPictureNotifier>(gallery, "y", droppedCalls, dropped));
    loader.stop();
    EXPECT_EQ(droppedCalls, 0);
}

// JPEG thumbnails are read side by side, pictures read whole one after
// another; the answers still come in the order asked, each with the pixels
// a load on the spot makes, and those of the whole-read pictures with what
// the thumbnail recipe makes of their pixels (kept bottom row first).
TEST(PictureLoaderJobs, LoadsSideBySideAreAnsweredInTheOrderAskedWithTheirOwnPixels) {
    TempFolder folder;
    std::vector<std::string> paths;
    std::vector<KestruneTest::ThumbnailReference::Image> references;
    auto reference = [&](std::uint32_t w, std::uint32_t h, const std::vector<std::uint8_t>& pixels) {
        KestruneTest::ThumbnailReference::Image stored{w, h, 3, {}};
        for (std::uint32_t y = h; y-- > 0;)
            stored.data.insert(stored.data.end(), pixels.begin() + std::ptrdiff_t(y) * w * 3,
                               pixels.begin() + std::ptrdiff_t(y + 1) * w * 3);
        references.push_back(KestruneTest::ThumbnailReference::of(stored, 128));
    };
    const std::vector<std::uint8_t> big = PictureFiles::pattern(1600, 1200, 3, 7);
    paths.push_back(folder.file("big.ppm"));
    PictureFiles::writeNetPBM(paths.back(), 1600, 1200, 3, big);
    reference(1600, 1200, big);
    for (std::uint32_t i = 0; i < 6; ++i) {
        paths.push_back(folder.file("j" + std::to_string(i) + ".jpg"));
        const std::uint32_t w = 1200 + 64 * i, h = 900 - 40 * i;
        if (!PictureFiles::writeJPEG(paths.back(), w, h, 3, PictureFiles::pattern(w, h, 3, i)))
            GTEST_SKIP() << "cjpeg (libjpeg-turbo-progs) is needed";
    }
    const std::vector<std::uint8_t> small = PictureFiles::pattern(300, 200, 3, 9);
    paths.push_back(folder.file("small.png"));
    if (!PictureFiles::writePNG(paths.back(), 300, 200, 3, small))
        GTEST_SKIP() << "python3 is needed";
    reference(300, 200, small);

    std::ostringstream logText;
    LogFile log;
    log.open(logText);
    PictureLoader loader(log);
    PictureGallery gallery(loader);
    loader.start();
    std::vector<Picture> answers(paths.size());
    std::vector<std::size_t> order;
    for (std::size_t i = 0; i < paths.size(); ++i)
        loader.loadAsync(paths[i], 128, std::make_unique<Answer>(order, i, answers[i]));
    pollUntil(loader, [&] { return order.size() == paths.size(); });
    std::vector<std::size_t> asked(paths.size());
    for (std::size_t i = 0; i < asked.size(); ++i)
        asked[i] = i;
    EXPECT_EQ(order, asked);
    for (std::size_t i = 0; i < paths.size(); ++i) {
        Picture alone;
        ASSERT_TRUE(loader.loadPictureScaled(paths[i], 128, alone));
        const TAVO::Buffer& got = answers[i].bufferConst();
        ASSERT_EQ(got.size(), alone.bufferConst().size()) << paths[i];
        EXPECT_TRUE(std::equal(got.data(), got.data() + got.size(), alone.bufferConst().data())) << paths[i];
    }
    for (const std::size_t i : {std::size_t(0), paths.size() - 1}) {
        const std::vector<std::uint8_t>& expected = references[i == 0 ? 0 : 1].data;
        const TAVO::Buffer& got = answers[i].bufferConst();
        ASSERT_EQ(got.size(), expected.size());
        EXPECT_TRUE(std::equal(expected.begin(), expected.end(), got.data())) << paths[i];
    }
}

namespace {

// A loader, not yet started, with a PNG whose thumbnails are read whole one
// after another, each taking many times as long as the small picture to
// preview (the PNG is no larger than that needs, so that the tests stay
// quick under ThreadSanitizer). Loads are numbered as asked: thumbnails
// below 100, previews from 100; order holds the numbers as they are heard.
struct PreviewsAmongThumbnails {
    PreviewsAmongThumbnails() {
        log.open(logText);
        written = PictureFiles::writePNG(large, 640, 480, 3, PictureFiles::pattern(640, 480, 3, 3));
        PictureFiles::writeNetPBM(small, 40, 30, 3, PictureFiles::pattern(40, 30, 3, 4));
    }
    void askThumbnails(std::size_t from, std::size_t to) {
        for (std::size_t i = from; i < to; ++i)
            loader.loadAsync(large, PictureLoader::thumbnailSide, std::make_unique<Answer>(order, i, pictures[i]));
    }
    void askPreview(std::size_t i) { loader.loadAsync(small, std::make_unique<Answer>(order, i, pictures[i])); }
    // The numbers heard, of thumbnails or of previews.
    std::vector<std::size_t> heard(bool previews) const {
        std::vector<std::size_t> kind;
        std::copy_if(order.begin(), order.end(), std::back_inserter(kind),
                     [&](std::size_t i) { return (i >= 100) == previews; });
        return kind;
    }
    std::ptrdiff_t heardAt(std::size_t i) const { return std::find(order.begin(), order.end(), i) - order.begin(); }

    TempFolder folder;
    const std::string large = folder.file("large.png");
    const std::string small = folder.file("small.ppm");
    bool written = false;
    std::ostringstream logText;
    LogFile log;
    PictureLoader loader{log};
    std::map<std::size_t, Picture> pictures;
    std::vector<std::size_t> order;
};

std::vector<std::size_t> numbers(std::size_t from, std::size_t to) {
    std::vector<std::size_t> all;
    for (std::size_t i = from; i < to; ++i)
        all.push_back(i);
    return all;
}

} // namespace

// A picture asked for at full size (the gallery's preview) is read beside the
// thumbnails asked before it and heard without waiting for them, while the
// thumbnails are still heard in the order asked.
TEST(PictureLoaderJobs, APreviewIsHeardBeforeTheThumbnailsAskedBeforeIt) {
    PreviewsAmongThumbnails loads;
    if (!loads.written)
        GTEST_SKIP() << "python3 is needed";
    loads.loader.start();
    loads.askThumbnails(0, 6);
    loads.askPreview(100);
    loads.askThumbnails(6, 12);
    loads.askPreview(101);
    pollUntil(loads.loader, [&] { return loads.order.size() == 14; });
    EXPECT_EQ(loads.heard(false), numbers(0, 12));
    EXPECT_EQ(loads.heard(true), numbers(100, 102));
    // Each preview takes a moment; the six thumbnails before it many.
    EXPECT_LT(loads.heardAt(100), loads.heardAt(5)) << testing::PrintToString(loads.order);
    EXPECT_LT(loads.heardAt(101), loads.heardAt(11)) << testing::PrintToString(loads.order);
    EXPECT_EQ(loads.pictures[101].metadata().width(), 40u);
    EXPECT_EQ(loads.pictures[101].metadata().height(), 30u);
    EXPECT_EQ(loads.pictures[11].metadata().width(), PictureLoader::thumbnailSide);
    EXPECT_EQ(loads.loader.unfinished(), 0u);
}

// A stop leaves the queued previews and thumbnails for the next start, and
// reads none of them meanwhile; they count as unfinished until heard.
TEST(PictureLoaderJobs, AStopKeepsQueuedPreviewsAndThumbnailsForTheNextStart) {
    PreviewsAmongThumbnails loads;
    if (!loads.written)
        GTEST_SKIP() << "python3 is needed";
    loads.loader.start();
    loads.askThumbnails(0, 6);
    loads.askPreview(100);
    loads.askThumbnails(6, 12);
    loads.loader.stop();
    loads.askPreview(101);
    for (int i = 0; i < 50; ++i) {
        loads.loader.poll();
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    EXPECT_EQ(loads.heardAt(101), std::ptrdiff_t(loads.order.size())) << "a preview asked while stopped is not read";
    EXPECT_EQ(loads.loader.unfinished(), 14u - loads.order.size());
    loads.loader.start();
    pollUntil(loads.loader, [&] { return loads.order.size() == 14; });
    EXPECT_EQ(loads.heard(false), numbers(0, 12));
    EXPECT_EQ(loads.heard(true), numbers(100, 102));
    EXPECT_EQ(loads.loader.unfinished(), 0u);
}

namespace {

// A log whose entries find memory run out: the allocation of each entry
// fails on the thread that makes it.
class ExhaustedLog : public Log {
public:
    std::shared_ptr<EntrySession> entry() override {
        FailingAllocations::failNth(1);
        return lines_.entry();
    }

private:
    KestruneTest::MemoryLog lines_;
};

// Keeps the description of every exception handed to it, from any thread.
class RecordingHandler : public ExceptionHandler {
public:
    void handle(const Exception& exception, const std::string&) override {
        std::lock_guard<std::mutex> lock(mutex_);
        described_.push_back(exception.describe());
    }
    std::vector<std::string> described() {
        std::lock_guard<std::mutex> lock(mutex_);
        return described_;
    }

private:
    std::mutex mutex_;
    std::vector<std::string> described_;
};

// A broken picture asked of a started loader whose log finds memory run
// out, so that its failure cannot be logged: what escapes the job's thread
// reaches the loader's exception handler once, and the load is heard as
// failed. ask makes the load, with the file and the notifier.
void expectEscapeReachesTheHandler(
    const std::function<void(PictureLoader&, const std::string&, std::unique_ptr<Answer>)>& ask) {
    TempFolder folder;
    std::ofstream(folder.file("broken.png")) << "\x89PNG but nothing after";
    ExhaustedLog log;
    RecordingHandler handler;
    PictureLoader loader(log);
    loader.setExceptionHandler(&handler);
    loader.start();
    std::vector<std::size_t> order;
    Picture picture;
    ask(loader, folder.file("broken.png"), std::make_unique<Answer>(order, 0, picture));
    pollUntil(loader, [&] { return !order.empty(); });
    loader.stop();
    EXPECT_EQ(order, std::vector<std::size_t>{1000});
    const std::vector<std::string> described = handler.described();
    ASSERT_EQ(described.size(), 1u);
    EXPECT_NE(described[0].find("bad_alloc"), std::string::npos) << described[0];
}

} // namespace

// A preview, read on the previews' thread.
TEST(PictureLoaderJobs, WhatEscapesAPreviewReachesTheExceptionHandler) {
    expectEscapeReachesTheHandler([](PictureLoader& loader, const std::string& path, std::unique_ptr<Answer> answer) {
        loader.loadAsync(path, std::move(answer));
    });
}

// A thumbnail, read on the thumbnails' threads.
TEST(PictureLoaderJobs, WhatEscapesAThumbnailReachesTheExceptionHandler) {
    expectEscapeReachesTheHandler([](PictureLoader& loader, const std::string& path, std::unique_ptr<Answer> answer) {
        loader.loadAsync(path, PictureLoader::thumbnailSide, std::move(answer));
    });
}
