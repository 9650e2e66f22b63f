#pragma once

#include <chrono>
#include <cstdint>
#include <iosfwd>
#include <memory>
#include <mutex>
#include <string>

#include "foundation/cli/ArgumentProcessor.h"
#include "foundation/text/Parameters.h"

namespace TAVO {
class ExceptionLogger;
class LogFile;
class PerformanceCounter;
class Worker;
} // namespace TAVO
namespace TAVO::IK::SDLGL {
class Application;
}

class FrameClock;
class FramePacer;
class GameResources;
class View;
class Workspace;

// The game from its command line to its exit code. It owns every long-lived
// object of the run and builds them in this order: the command line's
// values, the log and its exception logger, the resources (built-in archive
// or folder), the configuration, the window with its OpenGL context, the
// workspace with its two worker threads, the view, and the frame clock.
//
// The main loop draws only when the picture may differ from the last frame
// (the view's redraw request), paced to the display (FramePacer tells how
// closely), and otherwise sleeps until an event arrives or the next step is
// due.
//
// However the run ends (the window closed, an interrupt or termination
// signal, the menu's quit button, Escape in developer mode, an exception, a
// connection to the display that broke), the shut-down is the same: the
// held-back tray move is written, the queued saves finish, both worker
// threads stop, "Shutdown." is logged, and the objects are destroyed in
// reverse order of construction. The one exception: a Wayland connection
// that broke while the main thread was stuck inside SDL, which the window's
// watch ends from its own thread once every job queued by then on the worker
// that writes the saved games has run (see run).
class GameProgram {
public:
    static constexpr const char* name = "Kestrune";
    static constexpr const char* version = "20250120";
    static constexpr const char* description = "A Kestrune puzzle game.";
    static constexpr const char* logFileName = "jigsaw_log.txt";
    // How long the end that the window's watch makes waits for the jobs
    // queued, when it decided, on the worker that writes the saved games:
    // the saves queued or under way, and whatever else waits there (a new
    // game being made, a saved game being loaded).
    static constexpr std::chrono::milliseconds savesBound{15000};

    // The bytes of the built-in resource archive, which outlive the program.
    GameProgram(const void* resources, std::uint32_t resourceSize);
    virtual ~GameProgram();
    GameProgram(const GameProgram&) = delete;
    GameProgram& operator=(const GameProgram&) = delete;

    // The whole run; the exit code: 0 after a normal shut-down and after
    // help or the version, 1 after a command-line error, an exception or a
    // lost display. A lost display is told in one line on err and in the
    // log, "Kestrune lost its display: " and why; so is one that the
    // window's watch ends the process for, the main thread stuck inside SDL
    // (at the start too): exit code 1 then comes from the watch's thread,
    // without the shut-down, once every job queued by then on the worker
    // that writes the saved games has run, the saves queued or under way
    // among them (savesBound at most; past it the log says so and the
    // process ends all the same).
    // Exceptions before the log is open go to err, later ones to the log;
    // every failure of start-up also prints one line on err, "Kestrune
    // could not start: " with the file and line where there are some
    // (StartupException) and the problem, made printable. Notices of start-up
    // that it goes on after (a configuration file that cannot be read or
    // written) print one line there too.
    int run(int argc, const char* const* argv, std::ostream& out, std::ostream& err);

    // The steps of run, for the benchmarks.

    // False when the program is to end at once with the exit code.
    bool processCommandLine(int argc, const char* const* argv, std::ostream& out, std::ostream& err,
                            int& exitCode);
    // Opens the log file in the working folder and writes the first entry. A
    // file that cannot be opened throws StartupException naming it, with the
    // system's reason.
    void openLog();
    // Everything from the resources to the opened saved games and the
    // frame clock's first reading.
    void start();
    // Whether the main loop goes on: no stop signal arrived, the window is
    // open, its display has not been found lost and the menu has not quit.
    bool running() const;
    // One pass of the main loop: events, finished jobs, the fixed steps due,
    // and a frame when the picture may have changed and the pacing lets one
    // be drawn. (Virtual for the tests, which act as a player between
    // passes.)
    virtual void pass();
    // Sleeps until an event arrives, the next step is due or the frame that
    // waits for its time may be drawn; with a job of the workers on its way,
    // one millisecond at most, so that its completion is not kept waiting.
    // Never longer than one step.
    void rest();
    // Draws the view's frame and swaps it in; pass does it when one is needed.
    void drawFrame();
    // The frames drawn so far.
    std::uint64_t framesDrawn() const { return frames_; }
    // Stops the workers, letting queued saves finish, and logs "Shutdown.".
    // False when stopping failed (the failure is logged); later calls do
    // nothing and give true.
    bool stop();
    // Destroys the view, the workspace, the window, the configuration and
    // the resources, in that order (stopping first when that was not done).
    void release();
    // Waits until every job queued on the worker by now has run, the bound
    // at most; false when the bound passed first (a worker that has stopped
    // keeps what is queued, so the wait then lasts the whole bound) or the
    // worker was destroyed with the wait's job still queued. Any thread may
    // wait: it only queues a job of its own behind the others.
    static bool waitForQueuedJobs(TAVO::Worker& worker, std::chrono::milliseconds bound);

    TAVO::LogFile& log() const { return *log_; }
    TAVO::ExceptionLogger& exceptionLogger() const { return *logger_; }
    const TAVO::Parameters& configuration() const { return configuration_; }
    TAVO::IK::SDLGL::Application& application() const { return *application_; }
    Workspace& workspace() const { return *workspace_; }
    View& view() const { return *view_; }

protected:
    // The counter's reading that the loop takes its time from, and its wait
    // for an event: a test may run the loop on a clock of its own.
    virtual TAVO::PerformanceCounter reading() const;
    virtual void waitForEvent(std::uint32_t milliseconds);

private:
    // Logs an exception that ended the run, and tells it on the error stream
    // when it ended start-up.
    void report(const TAVO::Exception& exception, bool starting = false);
    void reportStd(const std::exception& exception, bool starting = false);
    void reportUnknown(bool starting = false);
    // Whether the driver took a swap interval.
    bool setSwapInterval();
    // The one line of a lost display, in the log and on the error stream;
    // also called on the window watch's thread.
    void tellLostDisplay(const std::string& why);
    // On the window watch's thread, before it ends the process: the lost
    // display told, then every job queued by now on the worker that writes
    // the saved games waited for. It touches nothing the stuck main thread
    // may hold.
    void tellStuck(const std::string& why);
    // Whether the window's display is lost, keeping why the first time. Once
    // it is, nothing more is drawn and the loop ends.
    bool lostDisplay();
    // The counter ticks rest waits at the reading now: up to the next step
    // (never more than one step, also when the counter went back), up to the
    // next frame time when a frame waits for it, at most a millisecond while
    // jobs run; 0 or less when something is due.
    static long long restTicks(long long now, long long nextStep, long long step, bool frameWaits,
                               long long nextFrame, bool jobsRunning, long long millisecond);

    const void* resourceBytes_;
    std::uint32_t resourceSize_;
    // The error stream of run; none when the steps are run one by one.
    std::ostream* err_ = nullptr;

    // The command line.
    TAVO::ArgumentProcessor::DirectValue<std::string> configurationPath_{"filename", "configuration.txt"};
    TAVO::ArgumentProcessor::DirectValue<std::string> extractPath_{"path", ""};
    TAVO::ArgumentProcessor::DirectValue<std::string> resourcePath_{"path", ""};
    TAVO::ArgumentProcessor::Argument configurationArgument_{&configurationPath_, false, "configuration file"};
    TAVO::ArgumentProcessor::Argument extractArgument_{&extractPath_, false, "extract built in resources"};
    TAVO::ArgumentProcessor::Argument resourceArgument_{
        &resourcePath_, false, "use external resources instead of built in resources"};

    // In order of construction; released in reverse.
    std::unique_ptr<TAVO::LogFile> log_;
    std::unique_ptr<TAVO::ExceptionLogger> logger_;
    std::unique_ptr<GameResources> resources_;
    TAVO::Parameters configuration_;
    std::unique_ptr<TAVO::IK::SDLGL::Application> application_;
    std::unique_ptr<Workspace> workspace_;
    // Held while the watch's end waits on the workspace's worker and while
    // the workspace is destroyed.
    std::mutex workspaceInUse_;
    std::unique_ptr<View> view_;
    std::unique_ptr<FrameClock> clock_;
    std::unique_ptr<FramePacer> pacer_;
    std::uint64_t frames_ = 0;
    bool stopped_ = false;
    // Why the display was lost; empty while it holds.
    std::string displayLost_;
};
