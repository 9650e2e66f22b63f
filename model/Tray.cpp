#include "model/Tray.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <string>

#include "foundation/exceptions/IteratorException.h"
#include "foundation/exceptions/NotFoundException.h"
#include "geometry/Hypersphere.h"
#include "geometry/Transformation.h"
#include "model/BoundedSerialization.h"
#include "model/Bounds.h"
#include "model/Part.h"
#include "model/PuzzleEventHandler.h"
#include "model/Table.h"
#include "model/TableException.h"
#include "model/placers/OuterRectanglePlacer.h"

using TAVO::Angle;
using TAVO::Point;
using TAVO::Vector;
using Pose = Tray::Pose;

namespace {

// The vector turned by the angle, through the rotation of the plane.
Vector<2, float> rotate(const Angle& angle, const Vector<2, float>& v) {
    const Point<2, float> turned = TAVO::Transformation<2, float>::Rotation(angle).transform(Point<2, float>(v[0], v[1]));
    return Vector<2, float>(turned[0], turned[1]);
}

Vector<2, float> toVector(const Point<2, float>& p) { return Vector<2, float>(p[0], p[1]); }

// a after b: position a.t + R(a.a) b.t, angle a.a + b.a.
Pose compose(const Pose& a, const Pose& b) {
    return Pose(a.position() + rotate(a.orientation(), toVector(b.position())), a.orientation() + b.orientation());
}

Pose inverse(const Pose& m) {
    const Angle back = -m.orientation();
    const Vector<2, float> t = rotate(back, -toVector(m.position()));
    return Pose(Point<2, float>(t[0], t[1]), back);
}

Pose translation(const Vector<2, float>& v) { return Pose(Point<2, float>(v[0], v[1]), Angle(0.0)); }

bool finitePose(const Pose& pose) {
    return std::isfinite(pose.position()[0]) && std::isfinite(pose.position()[1]) &&
           std::isfinite(pose.orientation().value());
}

} // namespace

bool Tray::PartEntry::finite() const { return finitePose(pose_); }

bool Tray::Background::valid() const {
    const auto& rgb = colour_.rgb();
    return preview_ <= picturePreview && pattern_ <= checkerPattern && std::isfinite(rgb[0]) &&
           std::isfinite(rgb[1]) && std::isfinite(rgb[2]);
}

void Tray::Background::serialize(TAVO::Serialization& serialization) {
    serialization.serialize(preview_).serialize(colour_).serialize(pattern_);
}

std::uint32_t Tray::PartIterator::current() const {
    if (!valid())
        throw TAVO::IteratorException(TAVO::SourceLocation());
    return (*order_)[index_];
}

void Tray::PartIterator::next() {
    if (valid())
        ++index_;
}

Tray::Tray()
    : placer_(std::make_unique<OuterRectanglePlacer>(Bounds::at(Point<2, float>(0.0f, 0.0f)),
                                                     Vector<2, float>(0.0f, 0.0f))) {}

void Tray::attach(Table* owner, std::uint32_t id) {
    owner_ = owner;
    id_ = id;
}

void Tray::setPlacer(std::unique_ptr<PartPlacer> placer) { placer_ = std::move(placer); }

void Tray::setPose(const TrayPose& pose) {
    pose_.setPosition(pose.position());
    pose_.setLevel(pose.level());
    changed();
}

Pose Tray::partPose(std::uint32_t part) const { return entry(part).pose(); }

void Tray::addPart(std::uint32_t part) {
    const Pose place = placer_->place(partOf(part).bounds());
    entries_[part] = PartEntry(place);
    order_.push_back(part);
    changed();
}

Pose Tray::findPlace(std::uint32_t part) { return placer_->place(partOf(part).bounds()); }

void Tray::putPart(std::uint32_t part, const Pose& pose) {
    entries_[part] = PartEntry(pose);
    order_.push_back(part);
    changed();
}

void Tray::movePart(std::uint32_t part, const Point<2, float>& position) {
    entry(part).pose().position() = position;
    const auto it = std::find(order_.begin(), order_.end(), part);
    if (it != order_.end())
        std::rotate(it, it + 1, order_.end());
    changed();
}

void Tray::removePart(std::uint32_t part) {
    order_.erase(std::remove(order_.begin(), order_.end(), part), order_.end());
    entries_.erase(part);
    changed();
}

TAVO::Hyperrectangle<2, float> Tray::bounds() const {
    if (order_.empty())
        return Bounds::at(Point<2, float>(0.0f, 0.0f));
    Bounds::Rectangle result = Bounds::at(entry(order_.front()).pose().position());
    for (unsigned int part : order_)
        result = Bounds::unite(result, Bounds::Rectangle(entry(part).pose().position(), partOf(part).bounds().extent()));
    return result;
}

std::vector<unsigned int> Tray::joinCandidates(std::uint32_t part, const Pose& drop) const {
    const std::set<std::uint32_t>& neighbours = partOf(part).neighbours();
    std::vector<unsigned int> candidates;
    for (const auto& [id, placed] : entries_) {
        if (id == part)
            continue;
        if (partOf(id).touches(neighbours) && fitError(part, drop, id) < maximumFitError)
            candidates.push_back(id);
    }
    return candidates;
}

float Tray::fitError(std::uint32_t dropped, const Pose& drop, std::uint32_t other) const {
    const Pose& lying = entry(other).pose();
    Pose motion = compose(lying, translation(-toVector(partOf(other).bounds().origin())));
    motion = compose(motion, translation(toVector(partOf(dropped).bounds().origin())));
    motion = compose(motion, inverse(drop));
    const Point<2, float>& t = motion.position();
    return t[0] * t[0] + t[1] * t[1];
}

Pose Tray::joinedPose(const Point<2, float>& anchorOrigin, const Pose& pose, const Point<2, float>& origin) {
    const Pose motion = compose(pose, translation(-toVector(anchorOrigin)));
    return compose(motion, translation(toVector(origin)));
}

Pose Tray::matchingPose(std::uint32_t a, std::uint32_t b, const Pose& pose) const {
    return joinedPose(partOf(b).bounds().origin(), pose, partOf(a).bounds().origin());
}

Pose Tray::fitPose(std::uint32_t anchor, const Pose& pose, std::uint32_t x) const {
    return joinedPose(partOf(anchor).bounds().origin(), pose, partOf(x).bounds().origin());
}

bool Tray::pick(const Point<2, float>& point, float radius, std::uint32_t& part) const {
    // Where the point falls in a part's own puzzle coordinates.
    auto local = [&](std::uint32_t id, const Part& candidate) {
        const Point<2, float>& lying = entry(id).pose().position();
        return (point - toVector(lying)) + toVector(candidate.bounds().origin());
    };
    // The part under the point itself, however close a higher neighbour
    // comes: a press on a piece takes that piece.
    for (auto it = order_.rbegin(); it != order_.rend(); ++it) {
        const Part& candidate = partOf(*it);
        if (candidate.contains(local(*it, candidate))) {
            part = *it;
            return true;
        }
    }
    // Only a point between parts reaches out with the circle.
    for (auto it = order_.rbegin(); it != order_.rend(); ++it) {
        const Part& candidate = partOf(*it);
        if (candidate.meets(TAVO::Hypersphere<2, float>(local(*it, candidate), radius))) {
            part = *it;
            return true;
        }
    }
    return false;
}

void Tray::focusPart(std::uint32_t part) {
    const Point<2, float>& lying = entry(part).pose().position();
    const TAVO::Tuple<2, float> size = partOf(part).bounds().extent();
    animationStart_ = pose_;
    progress_ = 0.0f;
    animationTarget_.setPosition(Vector<2, float>(-lying[0] - size[0] * 0.5f, -lying[1] - size[1] * 0.5f));
}

void Tray::update(float dt) {
    if (!(progress_ < 1.0f))
        return;
    progress_ += dt / animationTime;
    const float t = static_cast<float>((1.0 - std::cos(static_cast<double>(progress_) * std::numbers::pi)) / 2.0);
    const float startLevel = animationStart_.level();
    pose_.setLevel(startLevel + (animationTarget_.level() - startLevel) * t);
    const Vector<2, float>& from = animationStart_.position();
    const Vector<2, float>& to = animationTarget_.position();
    pose_.setPosition(Vector<2, float>(from[0] + (to[0] - from[0]) * t, from[1] + (to[1] - from[1]) * t));
}

void Tray::validate() const {
    const std::string name = "Tray " + std::to_string(id_);
    if (!pose_.finite())
        throw TableException(TAVO::SourceLocation(), name + " has a view pose that is not finite. ");
    std::vector<unsigned int> listed(order_.begin(), order_.end());
    std::sort(listed.begin(), listed.end());
    const auto twice = std::adjacent_find(listed.begin(), listed.end());
    if (twice != listed.end())
        throw TableException(TAVO::SourceLocation(), name + " lists part " + std::to_string(*twice) + " twice. ");
    auto it = listed.begin();
    for (const auto& [part, placed] : entries_) {
        if (it == listed.end() || *it != part)
            throw TableException(TAVO::SourceLocation(),
                                 name + " has a place for part " + std::to_string(part) + " but does not list it. ");
        if (!placed.finite())
            throw TableException(TAVO::SourceLocation(),
                                 name + " holds part " + std::to_string(part) + " at a pose that is not finite. ");
        ++it;
    }
    if (it != listed.end())
        throw TableException(TAVO::SourceLocation(),
                             name + " lists part " + std::to_string(*it) + " without a place for it. ");
}

void Tray::serialize(TAVO::Serialization& serialization) {
    const std::uint32_t limit = owner_ ? owner_->pieceLimit() : BoundedSerialization::unlimited;
    serialization.serialize(pose_);
    BoundedSerialization::map(serialization, entries_, limit, "part places of a tray", [](unsigned int, PartEntry&) {});
    BoundedSerialization::numbers(serialization, order_, limit, "parts of a tray");
}

const Part& Tray::partOf(std::uint32_t part) const {
    if (owner_ == nullptr)
        throw TAVO::NotFoundException<unsigned int>(TAVO::SourceLocation(), part, "a tray without a table");
    return owner_->part(part);
}

Tray::PartEntry& Tray::entry(std::uint32_t part) {
    const auto it = entries_.find(part);
    if (it == entries_.end())
        throw TAVO::NotFoundException<unsigned int>(TAVO::SourceLocation(), part, entries_);
    return it->second;
}

const Tray::PartEntry& Tray::entry(std::uint32_t part) const {
    const auto it = entries_.find(part);
    if (it == entries_.end())
        throw TAVO::NotFoundException<unsigned int>(TAVO::SourceLocation(), part, entries_);
    return it->second;
}

void Tray::changed() {
    if (owner_ != nullptr && owner_->eventHandler() != nullptr)
        owner_->eventHandler()->trayChanged(id_);
}
