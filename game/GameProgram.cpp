#include "game/GameProgram.h"

#include <SDL.h>

#include <algorithm>
#include <future>
#include <ostream>

#include "foundation/exceptions/CppException.h"
#include "foundation/exceptions/ExceptionLogger.h"
#include "foundation/files/Path.h"
#include "foundation/streams/StreamException.h"
#include "foundation/text/Text.h"
#include "foundation/threads/Duration.h"
#include "foundation/threads/LogFile.h"
#include "foundation/threads/PerformanceCounter.h"
#include "foundation/threads/Worker.h"
#include "game/FrameClock.h"
#include "game/FramePacer.h"
#include "game/GameConfiguration.h"
#include "game/GameResources.h"
#include "game/StartupException.h"
#include "game/StopSignals.h"
#include "game/View.h"
#include "model/Shelf.h"
#include "model/Table.h"
#include "model/Workspace.h"
#include "sdlgl/Application.h"
#include "sdlgl/Surface.h"

using TAVO::IK::SDLGL::Application;

namespace {

// The one line on standard error of a start that failed: what went wrong,
// where a file is concerned its name and line first, made printable.
void tellFailure(std::ostream& err, std::string message) {
    while (!message.empty() && (message.back() == ' ' || message.back() == '\n'))
        message.pop_back();
    err << GameProgram::name << " could not start: " << TAVO::Text::printable(message) << std::endl;
}

// Queued behind a worker's jobs: it runs once they have, and tells so. A
// worker that has stopped keeps it queued, unrun, and the wait lasts its
// whole bound; only a worker destroyed with it still queued breaks its
// promise, which ends the wait at once.
class QueueMark : public TAVO::Worker::Job {
public:
    explicit QueueMark(std::promise<void> reached) : reached_(std::move(reached)) {}
    void run() override { reached_.set_value(); }
    void done() override {}
    void failed() override {}

private:
    std::promise<void> reached_;
};

} // namespace

GameProgram::GameProgram(const void* resources, std::uint32_t resourceSize)
    : resourceBytes_(resources), resourceSize_(resourceSize) {}

GameProgram::~GameProgram() {
    release();
    logger_.reset();
    log_.reset();
}

int GameProgram::run(int argc, const char* const* argv, std::ostream& out, std::ostream& err) {
    // Installed first, so that a signal during start-up also ends in the
    // orderly shut-down.
    StopSignals signals;
    err_ = &err;
    try {
        int exitCode = 0;
        if (!processCommandLine(argc, argv, out, err, exitCode))
            return exitCode;
        openLog();
    } catch (const TAVO::Exception& e) {
        tellFailure(err, e.message());
        return 1;
    } catch (const std::exception& e) {
        tellFailure(err, e.what());
        return 1;
    }

    int exitCode = 0;
    // A failure of start-up is told on standard error too; one of a running
    // game only in the log.
    bool starting = true;
    try {
        start();
        starting = false;
        // Where a player starting from a terminal looks, besides the log.
        const std::string& unsaved = workspace_->shelf().savesUnavailable();
        if (!unsaved.empty())
            err << Shelf::unavailableMessage << " " << TAVO::Text::printable(unsaved) << std::endl;
        while (running()) {
            pass();
            if (running())
                rest();
        }
    } catch (const TAVO::Exception& e) {
        report(e, starting);
        exitCode = 1;
    } catch (const std::exception& e) {
        reportStd(e, starting);
        exitCode = 1;
    } catch (...) {
        reportUnknown(starting);
        exitCode = 1;
    }
    // A connection to the display that broke ends the loop as a quit does,
    // and it may break while the loop ends for another reason: looked at
    // once more.
    if (!starting && lostDisplay()) {
        tellLostDisplay(displayLost_);
        exitCode = 1;
    }
    // Every way out of the loop comes here: the saves finish before anything
    // they use is released.
    if (!stop())
        exitCode = 1;
    release();
    return exitCode;
}

bool GameProgram::processCommandLine(int argc, const char* const* argv, std::ostream& out, std::ostream& err,
                                     int& exitCode) {
    TAVO::ArgumentProcessor::Information information;
    information.name = name;
    information.description = description;
    information.version = version;
    information.command = argc > 0 && argv[0] != nullptr ? argv[0] : "kestrune";
    information.indent = 2;
    information.descriptionIndent = 16;
    information.width = 79;
    TAVO::ArgumentProcessor processor(information);
    processor.add("--configuration", configurationArgument_);
    processor.add("--extract-resources", extractArgument_);
    processor.add("--use-resources", resourceArgument_);
    TAVO::ArgumentProcessor::DefaultActionHandler handler(out, err);
    if (processor.process(argc, argv, handler))
        return true;
    exitCode = handler.ok() ? 0 : 1;
    return false;
}

void GameProgram::openLog() {
    auto log = std::make_unique<TAVO::LogFile>();
    try {
        log->open(logFileName);
    } catch (const TAVO::StreamException& e) {
        // Named in full: the game may have been started from anywhere.
        std::string where = logFileName;
        try {
            where = TAVO::Path::absolute(TAVO::Path(where)).text();
        } catch (const TAVO::Exception&) {
            // The working folder is gone: the name alone.
        }
        throw StartupException(TAVO::SourceLocation(), where, 0, e);
    }
    log_ = std::move(log);
    logger_ = std::make_unique<TAVO::ExceptionLogger>(*log_);
    TAVO::Log::line(log_->entry()) << name << " " << version << " started.";
}

void GameProgram::start() {
    resources_ = std::make_unique<GameResources>(resourceBytes_, resourceSize_);
    if (extractArgument_.given)
        resources_->extract(extractPath_.value);
    if (resourceArgument_.given)
        resources_->useFolder(resourcePath_.value);

    GameConfiguration::setDefaults(configuration_);
    if (configurationArgument_.given)
        GameConfiguration::load(configurationPath_.value, configuration_, *log_, err_);
    if (TAVO::isParameterTrue(configuration_, "developer_mode"))
        TAVO::Log::line(log_->entry()) << "Developer mode enabled.";

    // The saved games are opened before the window: their thumbnails are
    // made on the picture loader's threads while the window and its GL
    // context come up, which is most of the start.
    workspace_ = std::make_unique<Workspace>(*log_, *logger_, configuration_);
    workspace_->shelf().open();
    workspace_->shelf().loadThumbnails();

    SDL_SetHint(SDL_HINT_VIDEO_MINIMIZE_ON_FOCUS_LOSS, "0");
    // Interrupt and termination requests are the program's own (StopSignals).
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    Application::Parameters window;
    window.title = name;
    window.width = configuration_.getUnsigned("window_width");
    window.height = configuration_.getUnsigned("window_height");
    window.maximized = TAVO::isParameterTrue(configuration_, "maximized");
    window.minimumWidth = 640;
    window.minimumHeight = 480;
    window.log = log_.get();
    // A connection that broke while the window was inside SDL, where the
    // loop never comes back to see it, ends the process from the window's
    // watch; the moves are in the file once the jobs queued by then on the
    // worker that writes it have run, each move saved as it was made.
    window.tellStuck = [this](const std::string& why) { tellStuck(why); };
    application_ = std::make_unique<Application>(window);
    application_->setIcon(resources_->windowIcon());
    const bool swapWaits = setSwapInterval();
    const long long second = TAVO::PerformanceCounter::toTicks(TAVO::Duration(1000));
    pacer_ = std::make_unique<FramePacer>(FramePacer::intervalTicks(application_->refreshRate(), second), swapWaits);

    view_ = std::make_unique<View>(*application_, *log_, *workspace_, configuration_, resources_->package());
    view_->setupShaders(configuration_);
    application_->setEventHandler(view_.get());
    workspace_->setEventHandler(view_.get());
    clock_ = std::make_unique<FrameClock>(reading());
}

bool GameProgram::setSwapInterval() {
    // Adaptive vertical sync where the driver has it, else plain.
    if (SDL_GL_SetSwapInterval(-1) == 0)
        return true;
    if (SDL_GL_SetSwapInterval(1) == 0)
        return true;
    TAVO::Log::line(log_->entry()) << "Unable to turn on vertical synchronisation: " << SDL_GetError();
    return false;
}

bool GameProgram::running() const {
    return !StopSignals::requested() && application_ && application_->isRunning() && displayLost_.empty() && view_ &&
           view_->isRunning();
}

void GameProgram::tellLostDisplay(const std::string& why) {
    TAVO::Log::line(log_->entry()) << name << " lost its display: " << why;
    if (err_ != nullptr)
        *err_ << name << " lost its display: " << TAVO::Text::printable(why) << std::endl;
}

void GameProgram::tellStuck(const std::string& why) {
    tellLostDisplay(why);
    // The main thread stays where it is: only the worker that writes the
    // file is asked, through its queue.
    std::lock_guard<std::mutex> lock(workspaceInUse_);
    if (!workspace_)
        return;
    bool written = false;
    try {
        written = waitForQueuedJobs(workspace_->worker(), savesBound);
    } catch (...) {
        // No room for the job that waits: ended without it.
    }
    if (!written)
        TAVO::Log::line(log_->entry()) << "The saves under way were not all written within "
                                       << savesBound.count() / 1000 << " s; " << name << " ends without them.";
}

bool GameProgram::waitForQueuedJobs(TAVO::Worker& worker, std::chrono::milliseconds bound) {
    std::promise<void> reached;
    std::future<void> ran = reached.get_future();
    worker.add(std::make_unique<QueueMark>(std::move(reached)));
    if (ran.wait_for(bound) != std::future_status::ready)
        return false;
    try {
        ran.get();
        return true;
    } catch (const std::future_error&) {
        return false;
    }
}

bool GameProgram::lostDisplay() {
    if (displayLost_.empty() && application_)
        displayLost_ = application_->displayLost();
    return !displayLost_.empty();
}

void GameProgram::pass() {
    // Any event may change the picture, also one the view never hears.
    if (application_->processEvents() > 0)
        view_->requestRedraw();
    // The events, and before them the last frame's drawing and swap, read
    // the connection and may have found it broken: then nothing more is
    // drawn. (On it, the window no longer pumps, waits or swaps.)
    if (lostDisplay())
        return;
    // So may any finished job: a loaded game, picture or thumbnail.
    if (workspace_->poll() > 0)
        view_->requestRedraw();
    const float step = FrameClock::stepSeconds();
    Shelf& shelf = workspace_->shelf();
    for (std::uint32_t due = clock_->advance(reading()); due > 0; --due) {
        view_->update(step);
        workspace_->table().update(step);
        // Writing the held-back tray move may reorder the saved-games list.
        const std::uint64_t saves = shelf.lastSave();
        shelf.update(step);
        if (shelf.lastSave() != saves)
            view_->requestRedraw();
    }
    if (view_->redrawRequested() && pacer_->due(reading()))
        drawFrame();
}

void GameProgram::drawFrame() {
    const TAVO::PerformanceCounter begin = reading();
    const bool pacing = pacer_->pacing();
    view_->draw();
    application_->swap();
    ++frames_;
    // The gallery's pictures are read once the first frame is out: until the
    // picture page is opened nothing shows them, and at start they would
    // compete with the making of the first frame.
    if (frames_ == 1)
        workspace_->setGalleryDirectory(configuration_.get("gallery"));
    pacer_->drawn(begin, reading());
    if (pacer_->pacing() && !pacing)
        TAVO::Log::line(log_->entry()) << "The buffer swaps do not wait for the display; the game paces its frames.";
}

long long GameProgram::restTicks(long long now, long long nextStep, long long step, bool frameWaits,
                                 long long nextFrame, bool jobsRunning, long long millisecond) {
    long long wait = std::min(nextStep - now, step);
    if (frameWaits)
        wait = std::min(wait, nextFrame - now);
    if (jobsRunning)
        wait = std::min(wait, millisecond);
    return wait;
}

void GameProgram::rest() {
    const TAVO::PerformanceCounter now = reading();
    const long long step = TAVO::PerformanceCounter::toTicks(TAVO::Duration(FrameClock::stepMilliseconds));
    const long long wait =
        restTicks(now.ticks(), clock_->reference().ticks() + step, step, view_->redrawRequested(),
                  pacer_->next().ticks(), workspace_->unfinishedJobs() > 0,
                  TAVO::PerformanceCounter::toTicks(TAVO::Duration(1)));
    if (wait <= 0)
        return;
    // Whole milliseconds, rounded up: the wait ends at the time or after it.
    // A signal that stops the game is seen when the wait ends.
    const long long second = TAVO::PerformanceCounter::toTicks(TAVO::Duration(1000));
    const long long milliseconds = (wait * 1000 + second - 1) / second;
    waitForEvent(std::uint32_t(std::max(1LL, milliseconds)));
}

TAVO::PerformanceCounter GameProgram::reading() const { return TAVO::PerformanceCounter::now(); }

void GameProgram::waitForEvent(std::uint32_t milliseconds) { application_->waitForEvent(milliseconds); }

bool GameProgram::stop() {
    if (stopped_ || !log_)
        return true;
    stopped_ = true;
    bool stopped = false;
    try {
        if (workspace_)
            workspace_->stop();
        stopped = true;
    } catch (const TAVO::Exception& e) {
        report(e);
    } catch (const std::exception& e) {
        reportStd(e);
    }
    TAVO::Log::line(log_->entry()) << "Shutdown.";
    return stopped;
}

void GameProgram::release() {
    stop();
    // Nothing may reach the view once it is gone.
    if (application_)
        application_->clearEventHandler();
    if (workspace_)
        workspace_->setEventHandler(nullptr);
    pacer_.reset();
    clock_.reset();
    view_.reset();
    {
        std::lock_guard<std::mutex> lock(workspaceInUse_);
        workspace_.reset();
    }
    application_.reset();
    configuration_.clear();
    resources_.reset();
}

void GameProgram::report(const TAVO::Exception& exception, bool starting) {
    // A failure placed in a file is logged as its cause, with the place as
    // the context.
    const auto* placed = dynamic_cast<const StartupException*>(&exception);
    if (logger_) {
        if (placed != nullptr)
            logger_->handle(placed->cause(), placed->place());
        else
            logger_->handle(exception, "");
    }
    if (starting && err_ != nullptr)
        tellFailure(*err_, exception.message());
}

void GameProgram::reportStd(const std::exception& exception, bool starting) {
    if (logger_)
        logger_->handleStdException(exception, "");
    if (starting && err_ != nullptr)
        tellFailure(*err_, exception.what());
}

void GameProgram::reportUnknown(bool starting) {
    if (log_)
        TAVO::Log::line(log_->entry()) << "An exception of unknown type ended the program.";
    if (starting && err_ != nullptr)
        tellFailure(*err_, "an exception of unknown type.");
}
