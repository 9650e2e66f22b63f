#include "Session.h"

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <thread>
#include <unistd.h>

#include "SessionLog.h"
#include "StateDump.h"
#include "foundation/exceptions/SupportException.h"
#include "imaging/Factory.h"
#include "model/Setup.h"
#include "model/Table.h"
#include "model/Workspace.h"

namespace {

const float stepSeconds = 0.02f;

std::uint32_t whole(const std::string& text) {
    if (text.empty() || text.size() > 10 || text.find_first_not_of("0123456789") != std::string::npos)
        throw Session::ScriptError{"not a whole number: \"" + text + "\""};
    const unsigned long long value = std::strtoull(text.c_str(), nullptr, 10);
    if (value > 0xFFFFFFFFull)
        throw Session::ScriptError{"not a 32-bit number: \"" + text + "\""};
    return std::uint32_t(value);
}

double real(const std::string& text) {
    char* end = nullptr;
    const double value = text.empty() ? 0.0 : std::strtod(text.c_str(), &end);
    if (text.empty() || end != text.c_str() + text.size())
        throw Session::ScriptError{"not a number: \"" + text + "\""};
    return value;
}

Table::Pose poseAt(double x, double y, double angle) {
    return Table::Pose(TAVO::Point<2, float>(float(x), float(y)), TAVO::Angle(angle));
}

} // namespace

bool Session::run(const std::string& line) {
    std::istringstream in(line);
    std::vector<std::string> w;
    for (std::string word; in >> word;)
        w.push_back(word);
    if (w.empty() || w[0][0] == '#')
        return true;
    const std::string& command = w[0];
    const std::size_t n = w.size() - 1;
    auto expect = [&](bool ok) {
        if (!ok)
            throw ScriptError{"wrong arguments: " + line};
    };
    Shelf& shelf = workspace_.shelf();
    Table& table = workspace_.table();
    if (command == "new") {
        expect(n == 2);
        const std::uint32_t pieces = whole(w[2]);
        Picture picture;
        if (!workspace_.loader().loadPicture(w[1], picture)) {
            out_.print("event pictureFailed " + w[1]);
            return true;
        }
        Setup& setup = workspace_.menuSetup();
        setup.setPicture(w[1], picture);
        setup.setRequestedPieceCount(pieces);
        workspace_.newGame();
    } else if (command == "resume") {
        expect(n == 1);
        shelf.setCurrentGame(w[1]);
        shelf.loadGame();
    } else if (command == "drop" || command == "snap") {
        expect(command == "drop" ? n == 4 || n == 5 : n == 3);
        const std::uint32_t trayId = whole(w[1]), part = whole(w[2]);
        Tray& tray = table.tray(trayId);
        Table::Pose pose;
        if (command == "snap") {
            pose = tray.matchingPose(part, whole(w[3]), tray.partPose(whole(w[3])));
        } else {
            const double angle = n == 5 ? real(w[5]) : tray.partPose(part).orientation().value();
            pose = poseAt(real(w[3]), real(w[4]), angle);
        }
        Table::TypedAction& action = table.dropPart(trayId, part, pose);
        action.action().apply(table);
        const std::uint64_t before = shelf.lastSave();
        shelf.saveAction(action);
        record(before);
    } else if (command == "send" || command == "send-new") {
        expect(command == "send" ? n == 3 : n == 2);
        const std::uint32_t part = whole(w[1]), from = whole(w[2]);
        std::uint32_t to = 0;
        if (command == "send") {
            to = whole(w[3]);
        } else {
            to = table.freeTrayId();
            table.addTray(to);
        }
        const Table::Pose pose = table.tray(to).findPlace(part);
        Table::TypedAction& action = table.movePart(from, to, part, pose);
        action.action().apply(table);
        const std::uint64_t before = shelf.lastSave();
        shelf.saveAction(action);
        record(before);
    } else if (command == "pan") {
        expect(n == 4);
        const TrayPose view(TAVO::Vector<2, float>(float(real(w[2])), float(real(w[3]))), float(real(w[4])));
        Table::TypedAction& action = table.moveTray(whole(w[1]), view);
        action.action().apply(table);
        shelf.setPendingAction(action);
    } else if (command == "background") {
        expect(n == 5);
        const Tray::Background background(
            whole(w[1]), TAVO::Color(float(real(w[3])), float(real(w[4])), float(real(w[5]))), whole(w[2]));
        Table::TypedAction& action = table.changeBackground(background);
        action.action().apply(table);
        const std::uint64_t before = shelf.lastSave();
        shelf.saveAction(action);
        record(before);
    } else if (command == "tick") {
        expect(n == 1);
        const double seconds = real(w[1]);
        if (!(seconds >= 0.0 && seconds <= 86400.0))
            throw ScriptError{"a tick of 0 to 86400 seconds, not " + w[1]};
        const long steps = std::lround(seconds / stepSeconds);
        for (long i = 0; i < steps; ++i)
            step();
    } else if (command == "sync") {
        expect(n == 0);
        sync();
    } else if (command == "leave") {
        expect(n == 0);
        shelf.saveTable();
    } else if (command == "trash") {
        expect(n == 1);
        shelf.trashGame(w[1]);
    } else if (command == "restore") {
        expect(n == 1);
        shelf.restoreGame(w[1]);
    } else if (command == "empty-trash") {
        expect(n == 0);
        shelf.disposeGames();
    } else if (command == "list") {
        expect(n == 0);
        list();
    } else if (command == "thumbnails") {
        expect(n == 1);
        thumbnails(w[1]);
    } else if (command == "dump") {
        expect(n == 0);
        out_.print("dump " + StateDump::json(shelf.currentGame(), workspace_.currentSetup(), workspace_.table()));
    } else if (command == "quit") {
        expect(n == 0);
        return false;
    } else if (command == "abort") {
        expect(n == 0);
        // As a crash: nothing is stopped, flushed or written.
        std::fflush(stdout);
        _exit(3);
    } else {
        throw ScriptError{"unknown command: " + command};
    }
    poll();
    return true;
}

void Session::record(std::uint64_t before) {
    const std::uint64_t save = workspace_.shelf().lastSave();
    // An action the shelf queued no save for is never reported saved.
    saves_.push_back(save > before ? save : 0);
    out_.print("action " + std::to_string(saves_.size()));
}

void Session::poll() {
    workspace_.poll();
    const std::uint64_t through = workspace_.shelf().savedThrough();
    while (reported_ < saves_.size() && (saves_[reported_] == 0 || saves_[reported_] <= through)) {
        if (saves_[reported_] != 0)
            out_.print("event saved " + std::to_string(reported_ + 1));
        ++reported_;
    }
}

void Session::sync() {
    // The saved games' jobs and the thumbnails the picture loader makes for them.
    while (workspace_.unfinishedJobs() > 0) {
        poll();
        if (workspace_.unfinishedJobs() > 0)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    poll();
}

void Session::step() {
    poll();
    workspace_.table().update(stepSeconds);
    workspace_.shelf().update(stepSeconds);
}

void Session::list() {
    Shelf& shelf = workspace_.shelf();
    std::string games = "games", trash = "trash";
    for (const std::string& id : shelf.games())
        games += " " + id;
    for (const std::string& id : shelf.trash())
        trash += " " + id;
    out_.print(games);
    out_.print(trash);
    for (const auto* ids : {&shelf.games(), &shelf.trash()})
        for (const std::string& id : *ids) {
            const Shelf::Description& d = shelf.description(id);
            out_.print("description " + id + " broken " + (d.broken ? "1" : "0") + " ready " +
                       (d.thumbnailReady ? "1" : "0") + " tile " +
                       (d.thumbnailReady ? std::to_string(d.tile) : std::string("-")));
        }
}

void Session::thumbnails(const std::string& folder) {
    Shelf& shelf = workspace_.shelf();
    for (const auto* ids : {&shelf.games(), &shelf.trash()})
        for (const std::string& id : *ids) {
            const Shelf::Description& d = shelf.description(id);
            if (!d.thumbnailReady && !d.broken)
                shelf.loadThumbnail(id);
        }
    sync();
    const TAVO::Migration::Factory factory;
    for (std::uint32_t page = 0; page < shelf.thumbnailPageCount(); ++page) {
        const std::string path = folder + "/page-" + std::to_string(page) + ".png";
        const Picture& picture = shelf.thumbnailPage(page);
        factory.exportFile(picture.bufferConst(), picture.metadataConst(), path);
        out_.print("page " + std::to_string(page) + " " + path);
    }
}
