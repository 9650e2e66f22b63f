#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <vector>

#include "foundation/serialization/STLMapSerializable.h"
#include "foundation/serialization/STLVectorSerializable.h"
#include "geometry/Angle.h"
#include "geometry/Color.h"
#include "geometry/Hyperrectangle.h"
#include "geometry/Pose2D.h"
#include "model/TrayPose.h"
#include "model/placers/PartPlacer.h"

class Part;
class Table;

// One sheet of the table on which parts lie: where each part lies, their
// stacking order (bottom first), the tray's own view pose with a short view
// animation, and the placer that finds free places. The tray also owns the
// geometry of joining. Trays live in their table's tray map and report every
// change to the table's event handler as trayChanged.
//
// A pose (position t, angle a) is the motion x -> t + R(a) x. A part lying at
// pose Q shows its puzzle point x at Q(x - O), O being the corner of its bounds.
class Tray : public TAVO::Serializable {
public:
    using Pose = TAVO::Pose2D<float, TAVO::Angle>;

    // Where a part lies: the place of its bounds' corner and its angle.
    // Stored as x, y (32-bit floats) and the angle in radians (64-bit).
    class PartEntry : public TAVO::Serializable {
    public:
        PartEntry() = default;
        explicit PartEntry(const Pose& pose) : pose_(pose) {}

        Pose& pose() { return pose_; }
        const Pose& pose() const { return pose_; }
        // Position and angle are finite numbers.
        bool finite() const;

        void serialize(TAVO::Serialization& serialization) override { serialization.serialize(pose_); }

    private:
        Pose pose_;
    };

    // The look of the tray background, shared by every tray of a table.
    // Stored as the preview (32 bits), red, green, blue (32-bit floats) and
    // the pattern (32 bits).
    class Background : public TAVO::Serializable {
    public:
        enum Preview : unsigned int { noPreview = 0, blankPreview = 1, picturePreview = 2 };
        enum Pattern : unsigned int { blankPattern = 0, clothPattern = 1, diamondsPattern = 2, checkerPattern = 3 };

        Background() = default;
        Background(unsigned int preview, const TAVO::Color& colour, unsigned int pattern)
            : preview_(preview), colour_(colour), pattern_(pattern) {}

        unsigned int preview() const { return preview_; }
        const TAVO::Color& colour() const { return colour_; }
        unsigned int pattern() const { return pattern_; }
        // A known preview and pattern and a finite colour.
        bool valid() const;

        void serialize(TAVO::Serialization& serialization) override;

        bool operator==(const Background& other) const {
            return preview_ == other.preview_ && colour_ == other.colour_ && pattern_ == other.pattern_;
        }

    private:
        unsigned int preview_ = noPreview;
        TAVO::Color colour_;
        unsigned int pattern_ = blankPattern;
    };

    // The part ids of a tray, bottom first.
    class PartIterator {
    public:
        explicit PartIterator(const std::vector<unsigned int>& order) : order_(&order) {}

        bool valid() const { return index_ < order_->size(); }
        // Throws TAVO::IteratorException past the end.
        std::uint32_t current() const;
        // No effect past the end.
        void next();

    private:
        const std::vector<unsigned int>* order_;
        std::size_t index_ = 0;
    };

    // No owner, id 0, every pose at (0, 0) level 0, no animation, and a placer
    // around an empty rectangle at the origin without a gap.
    Tray();
    Tray(Tray&&) = default;
    Tray& operator=(Tray&&) = default;

    void attach(Table* owner, std::uint32_t id);
    void setPlacer(std::unique_ptr<PartPlacer> placer);
    std::uint32_t id() const { return id_; }

    TrayPose pose() const { return pose_; }
    // Takes the position and level; a running animation overwrites them on its next step.
    void setPose(const TrayPose& pose);

    PartIterator parts() const { return PartIterator(order_); }
    // The entry's pose; a missing id throws TAVO::NotFoundException<unsigned int>.
    Pose partPose(std::uint32_t part) const;
    bool hasPart(std::uint32_t part) const { return entries_.count(part) != 0; }
    bool isEmpty() const { return entries_.empty(); }
    std::size_t partCount() const { return entries_.size(); }

    // Puts the part on top at the place the placer chooses.
    void addPart(std::uint32_t part);
    // The place the placer chooses, stored nowhere (the placer moves on all the same).
    Pose findPlace(std::uint32_t part);
    // Creates or overwrites the entry and pushes the id on top.
    void putPart(std::uint32_t part, const Pose& pose);
    // Moves an existing entry (its angle stays) and brings it to the top.
    void movePart(std::uint32_t part, const TAVO::Point<2, float>& position);
    // Takes the part off the tray; an id that is not there changes nothing.
    void removePart(std::uint32_t part);

    // Covers every part at its entry position with its bounds' size; the empty
    // rectangle at the origin for an empty tray.
    TAVO::Hyperrectangle<2, float> bounds() const;

    // The parts of this tray (ascending ids) that hold a neighbour piece of
    // the part and fit it dropped at the pose (fit error below maximumFitError).
    std::vector<unsigned int> joinCandidates(std::uint32_t part, const Pose& drop) const;
    // The squared distance between where the other part lies and where it
    // would lie joined to the dropped part at the drop pose.
    float fitError(std::uint32_t dropped, const Pose& drop, std::uint32_t other) const;
    // The pose that puts part a joined to part b lying at pose.
    Pose matchingPose(std::uint32_t a, std::uint32_t b, const Pose& pose) const;
    // The pose that puts part x joined to the anchor lying at pose.
    Pose fitPose(std::uint32_t anchor, const Pose& pose, std::uint32_t x) const;
    // The rule of both: the pose of a part whose bounds' corner is at origin,
    // joined to a part whose corner is at anchorOrigin lying at pose.
    static Pose joinedPose(const TAVO::Point<2, float>& anchorOrigin, const Pose& pose,
                           const TAVO::Point<2, float>& origin);

    // The topmost part that contains the point; when none does, the topmost
    // part that meets the circle of the radius around it (entry angles are
    // ignored).
    bool pick(const TAVO::Point<2, float>& point, float radius, std::uint32_t& part) const;

    // Starts the view animation that centres the part at scale 1.
    void focusPart(std::uint32_t part);
    // One step of the view animation.
    void update(float dt);
    float animationProgress() const { return progress_; }

    // Throws TableException when the tray breaks the table's rules: a pose
    // that is not finite, a part listed twice, or the order and the entries
    // naming different parts.
    void validate() const;

    // The pose, the entries and the order; the owner, id, animation and
    // placer are not stored.
    void serialize(TAVO::Serialization& serialization) override;

    static constexpr float maximumFitError = 100.0f;
    // Seconds the view animation runs.
    static constexpr float animationTime = 1.5f;

private:
    const Part& partOf(std::uint32_t part) const;
    PartEntry& entry(std::uint32_t part);
    const PartEntry& entry(std::uint32_t part) const;
    void changed();

    Table* owner_ = nullptr;
    std::uint32_t id_ = 0;
    TrayPose pose_;
    TrayPose animationStart_;
    TrayPose animationTarget_;
    float progress_ = 2.0f;
    std::unique_ptr<PartPlacer> placer_;
    TAVO::STLMapSerializable<unsigned int, PartEntry> entries_;
    TAVO::STLVectorSerializable<unsigned int> order_;
};
