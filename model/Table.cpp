#include "model/Table.h"

#include <algorithm>
#include <cmath>
#include <set>
#include <string>

#include "foundation/exceptions/AllocateException.h"
#include "foundation/exceptions/NotFoundException.h"
#include "foundation/random/MersenneTwister.h"
#include "foundation/streams/BorrowConstBuffer.h"
#include "model/BoundedSerialization.h"
#include "model/Bounds.h"
#include "model/Puzzle.h"
#include "model/PuzzleEventHandler.h"
#include "model/TableException.h"
#include "model/placers/OuterRectanglePlacer.h"

using TAVO::Point;
using TAVO::Vector;

namespace {

bool finitePose(const Table::Pose& pose) { return Tray::PartEntry(pose).finite(); }

std::string text(std::uint32_t value) { return std::to_string(value); }

[[noreturn]] void refuse(const std::string& message) { throw TableException(TAVO::SourceLocation(), message); }

std::unique_ptr<PartPlacer> placerAround(const TAVO::Hyperrectangle<2, float>& inner) {
    return std::make_unique<OuterRectanglePlacer>(inner, Vector<2, float>(Table::placerGap, Table::placerGap));
}

std::unique_ptr<PartPlacer> placerAtOrigin() { return placerAround(Bounds::at(Point<2, float>(0.0f, 0.0f))); }

} // namespace

// Actions.

void Table::MoveAction::apply(Table& table) const {
    if (!finitePose(pose_))
        refuse("A move of part " + text(part_) + " names a pose that is not finite. ");
    Tray& from = table.tray(from_);
    table.part(part_);
    if (!from.hasPart(part_))
        refuse("A move of part " + text(part_) + " names tray " + text(from_) + ", where the part does not lie. ");
    if (from_ == to_) {
        from.movePart(part_, pose_.position());
        return;
    }
    if (!table.hasTray(to_))
        table.addTray(to_);
    Tray& to = table.tray(to_);
    from.removePart(part_);
    to.putPart(part_, pose_);
}

void Table::MoveAction::serialize(TAVO::Serialization& serialization) {
    serialization.serialize(part_).serialize(from_).serialize(to_).serialize(pose_);
}

void Table::JoinAction::apply(Table& table) const { table.joinParts(tray_, part_, pose_, parts_); }

void Table::JoinAction::serialize(TAVO::Serialization& serialization) {
    serialization.serialize(tray_).serialize(part_).serialize(pose_);
    BoundedSerialization::numbers(serialization, parts_, BoundedSerialization::unlimited, "parts of a join");
}

void Table::MoveTrayAction::apply(Table& table) const {
    if (!pose_.finite())
        refuse("A view pose of tray " + text(tray_) + " is not finite. ");
    table.tray(tray_).setPose(pose_);
}

void Table::MoveTrayAction::serialize(TAVO::Serialization& serialization) {
    serialization.serialize(tray_).serialize(pose_);
}

void Table::ChangeBackgroundAction::apply(Table& table) const { table.setBackground(background_); }

void Table::ChangeBackgroundAction::serialize(TAVO::Serialization& serialization) {
    serialization.serialize(background_);
}

Table::Action& Table::TypedAction::action() {
    switch (tag_) {
    case join:
        return join_;
    case moveTray:
        return moveTray_;
    case changeBackground:
        return changeBackground_;
    default:
        return move_;
    }
}

const Table::Action& Table::TypedAction::action() const { return const_cast<TypedAction*>(this)->action(); }

void Table::TypedAction::set(const MoveAction& action) {
    tag_ = move;
    move_ = action;
}

void Table::TypedAction::set(const JoinAction& action) {
    tag_ = join;
    join_ = action;
}

void Table::TypedAction::set(const MoveTrayAction& action) {
    tag_ = moveTray;
    moveTray_ = action;
}

void Table::TypedAction::set(const ChangeBackgroundAction& action) {
    tag_ = changeBackground;
    changeBackground_ = action;
}

void Table::TypedAction::serialize(TAVO::Serialization& serialization) {
    serialization.serialize(tag_);
    action().serialize(serialization);
}

// The table.

Table::Table() { reset(); }

Part& Table::part(std::uint32_t id) {
    const auto it = parts_.find(id);
    if (it == parts_.end())
        throw TAVO::NotFoundException<unsigned int>(TAVO::SourceLocation(), id, parts_);
    return it->second;
}

const Part& Table::part(std::uint32_t id) const { return const_cast<Table*>(this)->part(id); }

Tray& Table::tray(std::uint32_t id) {
    const auto it = trays_.find(id);
    if (it == trays_.end())
        throw TAVO::NotFoundException<unsigned int>(TAVO::SourceLocation(), id, trays_);
    return it->second;
}

const Tray& Table::tray(std::uint32_t id) const { return const_cast<Table*>(this)->tray(id); }

std::uint32_t Table::addPart(Part part) {
    // The last id is never handed out, so that the next id only grows.
    if (nextPartId_ == 0xFFFFFFFFu || parts_.count(nextPartId_) != 0)
        throw TAVO::AllocateException(TAVO::SourceLocation(), "part id");
    const std::uint32_t id = nextPartId_++;
    parts_.emplace(id, std::move(part));
    return id;
}

void Table::addTray(std::uint32_t id) {
    if (trays_.count(id) != 0)
        refuse("Tray " + text(id) + " exists already. ");
    trayOrder_.push_back(id);
    Tray& added = trays_[id];
    added.attach(this, id);
    added.setPlacer(placerAtOrigin());
    if (handler_ != nullptr)
        handler_->trayAdded(id);
}

std::uint32_t Table::freeTrayId() const {
    if (trays_.empty())
        return 0;
    const std::uint32_t next = trays_.rbegin()->first + 1;
    if (next != 0 || trays_.count(0) == 0)
        return next;
    // Wrapped with 0 in use: the end of the run of ids from the smallest.
    std::uint32_t expected = trays_.begin()->first;
    for (const auto& entry : trays_) {
        if (entry.first != expected)
            return expected;
        if (expected == 0xFFFFFFFFu)
            break;
        ++expected;
    }
    throw TAVO::AllocateException(TAVO::SourceLocation(), "map key");
}

void Table::reset() {
    trays_.clear();
    trayOrder_.clear();
    parts_.clear();
    nextPartId_ = 0;
    // The puzzle is about to be deleted or replaced: forget it.
    puzzle_ = nullptr;
    addTray(0);
}

void Table::setBackground(const Tray::Background& background) {
    if (!background.valid())
        refuse("The tray background (preview " + text(background.preview()) + ", pattern " +
               text(background.pattern()) + ") is not one the table knows. ");
    background_ = background;
    notifyTraysChanged();
}

void Table::setPuzzle(const Puzzle* puzzle) {
    puzzle_ = puzzle;
    validate();
    if (puzzle_ != nullptr)
        for (auto& entry : parts_)
            entry.second.rebuild(*puzzle_);
    for (auto& [id, tray] : trays_) {
        tray.attach(this, id);
        tray.setPlacer(placerAtOrigin());
    }
}

void Table::scatter(const Puzzle* puzzle, const TAVO::Tuple<2, float>& size) {
    if (puzzle == nullptr)
        refuse("A table cannot be laid out without a puzzle. ");
    reset();
    puzzle_ = puzzle;
    Tray& first = tray(trayOrder_.front());
    const float w = size[0], h = size[1];
    first.setPlacer(placerAround(TAVO::Hyperrectangle<2, float>(Point<2, float>(-w * 0.5f, -h * 0.5f),
                                                                TAVO::Tuple<2, float>(w, h))));

    // The same piece count always gives the same order.
    const std::uint32_t count = puzzle->pieceCount();
    std::vector<std::uint32_t> order(count);
    for (std::uint32_t i = 0; i < count; ++i)
        order[i] = i;
    TAVO::MersenneTwister random;
    const std::uint32_t zero = 0;
    random.seed(TAVO::BorrowConstBuffer(&zero, sizeof zero));
    for (std::uint32_t i = 1; i < count; ++i) {
        std::uint32_t j = 0;
        random.readChoices(&j, 1, i + 1);
        if (j != i)
            std::swap(order[i], order[j]);
    }
    for (std::uint32_t piece : order)
        first.addPart(addPart(Part(*puzzle, piece)));

    const TAVO::Hyperrectangle<2, float> laid = first.bounds();
    const float scale = std::max({1.0f, laid.extent()[1] / 540.0f, laid.extent()[0] / 960.0f});
    TrayPose view = first.pose();
    view.setScale(scale);
    first.setPose(view);
}

std::uint32_t Table::joinParts(std::uint32_t trayId, std::uint32_t partId, const Pose& pose,
                               const std::vector<unsigned int>& ids) {
    Tray& onTray = tray(trayId);
    const std::string join = "A join of part " + text(partId) + " on tray " + text(trayId);
    if (puzzle_ == nullptr)
        refuse(join + " has no puzzle to join on. ");
    if (!finitePose(pose))
        refuse(join + " names a pose that is not finite. ");
    part(partId);
    if (!onTray.hasPart(partId))
        refuse(join + ": the part does not lie there. ");
    if (ids.empty())
        refuse(join + " names no part to join. ");
    std::set<unsigned int> seen;
    for (unsigned int id : ids) {
        if (id == partId)
            refuse(join + " lists the part itself. ");
        part(id);
        if (!onTray.hasPart(id))
            refuse(join + " lists part " + text(id) + ", which does not lie there. ");
        if (!seen.insert(id).second)
            refuse(join + " lists part " + text(id) + " twice. ");
    }
    if (nextPartId_ == 0xFFFFFFFFu || parts_.count(nextPartId_) != 0)
        throw TAVO::AllocateException(TAVO::SourceLocation(), "part id");

    // One neighbour stays where it lies; with more, the dropped part stays where it was dropped.
    const std::uint32_t anchor = ids.size() == 1 ? ids.front() : partId;
    const Pose anchorPose = ids.size() == 1 ? onTray.partPose(anchor) : pose;
    const Point<2, float> anchorOrigin = part(anchor).bounds().origin();

    // The merged parts are erased below: their trees move instead of being copied.
    Part merged(std::move(part(partId)));
    for (unsigned int id : ids)
        merged.join(*puzzle_, std::move(part(id)));
    const std::uint32_t added = addPart(std::move(merged));
    onTray.putPart(added, Tray::joinedPose(anchorOrigin, anchorPose, part(added).bounds().origin()));

    std::vector<unsigned int> removed(ids.begin(), ids.end());
    removed.push_back(partId);
    for (unsigned int id : removed) {
        onTray.removePart(id);
        parts_.erase(id);
    }
    if (handler_ != nullptr) {
        handler_->partsJoined(removed, added);
        if (parts_.size() == 1)
            handler_->puzzleCompleted();
    }
    return added;
}

void Table::update(float dt) {
    for (auto& entry : trays_)
        entry.second.update(dt);
    removeEmptyTrays();
}

void Table::removeEmptyTrays() {
    std::vector<std::uint32_t> empty;
    for (const auto& [id, tray] : trays_)
        if (tray.isEmpty())
            empty.push_back(id);
    for (std::uint32_t id : empty) {
        if (trays_.size() < 2)
            break;
        if (handler_ != nullptr)
            handler_->trayRemoved(id);
        trayOrder_.erase(std::remove(trayOrder_.begin(), trayOrder_.end(), id), trayOrder_.end());
        trays_.erase(id);
    }
}

bool Table::keepsTray(std::uint32_t id) const {
    const auto found = trays_.find(id);
    if (found == trays_.end())
        return false;
    if (!found->second.isEmpty())
        return true;
    // As removeEmptyTrays: empty trays go in ascending id order while another is left.
    std::size_t left = trays_.size();
    for (const auto& [other, tray] : trays_) {
        if (left < 2)
            return true;
        if (!tray.isEmpty())
            continue;
        if (other == id)
            return false;
        --left;
    }
    return true;
}

Table::TypedAction& Table::dropPart(std::uint32_t trayId, std::uint32_t partId, const Pose& pose) {
    const std::vector<unsigned int> candidates = tray(trayId).joinCandidates(partId, pose);
    if (candidates.empty())
        lastAction_.set(MoveAction(partId, trayId, trayId, pose));
    else
        lastAction_.set(JoinAction(trayId, partId, pose, candidates));
    return lastAction_;
}

Table::TypedAction& Table::movePart(std::uint32_t from, std::uint32_t to, std::uint32_t partId, const Pose& pose) {
    lastAction_.set(MoveAction(partId, from, to, pose));
    return lastAction_;
}

Table::TypedAction& Table::moveTray(std::uint32_t trayId, const TrayPose& pose) {
    lastAction_.set(MoveTrayAction(trayId, pose));
    return lastAction_;
}

Table::TypedAction& Table::changeBackground(const Tray::Background& background) {
    lastAction_.set(ChangeBackgroundAction(background));
    return lastAction_;
}

void Table::validate() const {
    if (trays_.empty())
        refuse("The table has no tray. ");
    std::vector<unsigned int> listed(trayOrder_.begin(), trayOrder_.end());
    std::sort(listed.begin(), listed.end());
    const auto twice = std::adjacent_find(listed.begin(), listed.end());
    if (twice != listed.end())
        refuse("Tray " + text(*twice) + " is listed twice in the tray order. ");
    auto it = listed.begin();
    for (const auto& entry : trays_) {
        if (it == listed.end() || *it != entry.first)
            refuse("Tray " + text(entry.first) + " is missing from the tray order. ");
        ++it;
    }
    if (it != listed.end())
        refuse("The tray order lists tray " + text(*it) + ", which does not exist. ");

    std::map<unsigned int, unsigned int> trayOf;
    for (const auto& [id, onTray] : trays_) {
        onTray.validate();
        for (auto parts = onTray.parts(); parts.valid(); parts.next()) {
            const std::uint32_t p = parts.current();
            if (parts_.count(p) == 0)
                refuse("Tray " + text(id) + " holds part " + text(p) + ", which does not exist. ");
            const auto placed = trayOf.emplace(p, id);
            if (!placed.second)
                refuse("Part " + text(p) + " lies on trays " + text(placed.first->second) + " and " + text(id) + ". ");
        }
    }
    for (const auto& entry : parts_)
        if (trayOf.count(entry.first) == 0)
            refuse("Part " + text(entry.first) + " lies on no tray. ");
    if (!parts_.empty() && parts_.rbegin()->first >= nextPartId_)
        refuse("The next part id " + text(nextPartId_) + " is not above part id " + text(parts_.rbegin()->first) +
               ". ");
    if (!background_.valid())
        refuse("The tray background (preview " + text(background_.preview()) + ", pattern " +
               text(background_.pattern()) + ") is not one the table knows. ");
    if (puzzle_ != nullptr)
        checkPieces();
}

void Table::checkPieces() const {
    const std::uint32_t count = puzzle_->pieceCount();
    constexpr std::uint32_t none = 0xFFFFFFFFu;
    std::vector<std::uint32_t> owner(count, none);
    for (const auto& [id, held] : parts_) {
        if (held.pieces().empty())
            refuse("Part " + text(id) + " holds no piece. ");
        // Stops at the first piece out of range or seen before, so a long
        // damaged list costs no more than the puzzle's piece count.
        for (std::uint32_t piece : held.pieces()) {
            if (piece >= count)
                refuse("Part " + text(id) + " holds piece " + text(piece) + ", which a puzzle of " + text(count) +
                       " pieces does not have. ");
            if (owner[piece] == id)
                refuse("Part " + text(id) + " holds piece " + text(piece) + " twice. ");
            if (owner[piece] != none)
                refuse("Piece " + text(piece) + " lies in parts " + text(owner[piece]) + " and " + text(id) + ". ");
            owner[piece] = id;
        }
    }
    if (!parts_.empty())
        for (std::uint32_t piece = 0; piece < count; ++piece)
            if (owner[piece] == none)
                refuse("Piece " + text(piece) + " lies in no part. ");
}

std::uint32_t Table::pieceLimit() const {
    return puzzle_ != nullptr ? puzzle_->pieceCount() : BoundedSerialization::unlimited;
}

void Table::serialize(TAVO::Serialization& serialization) {
    const std::uint32_t pieces = pieceLimit();
    const std::uint32_t trays =
        pieces > BoundedSerialization::unlimited - spareTrays ? BoundedSerialization::unlimited : pieces + spareTrays;
    BoundedSerialization::numbers(serialization, trayOrder_, trays, "trays in the tray order");
    BoundedSerialization::map(serialization, trays_, trays, "trays",
                              [this](unsigned int id, Tray& read) { read.attach(this, id); });
    serialization.serialize(nextPartId_);
    BoundedSerialization::map(serialization, parts_, pieces, "parts", [](unsigned int, Part&) {});
    serialization.serialize(background_);
}

void Table::notifyTraysChanged() {
    if (handler_ == nullptr)
        return;
    for (const auto& entry : trays_)
        handler_->trayChanged(entry.first);
}
