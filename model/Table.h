#pragma once

#include <cstdint>
#include <map>
#include <vector>

#include "foundation/serialization/STLMapSerializable.h"
#include "foundation/serialization/STLVectorSerializable.h"
#include "geometry/Tuple.h"
#include "model/Part.h"
#include "model/Tray.h"
#include "model/TrayPose.h"

class Puzzle;
class PuzzleEventHandler;

// The play table of one game: the parts (pieces or groups of joined pieces)
// lying on trays, the trays, and the tray background. Every change the player
// makes is an action record: an edit operation only fills the table's last
// action and returns it; the caller applies it and hands it to the saved
// games, which append it to the game's journal. Replaying a journal over a
// snapshot with the same apply operation restores the game.
//
// A table read from storage is checked before use: setPuzzle refuses a
// snapshot that breaks the table's rules, and every action checks the ids and
// poses it names before it changes anything (TableException, or
// TAVO::NotFoundException<unsigned int> for an id that does not exist).
class Table : public TAVO::Serializable {
public:
    using Pose = Tray::Pose;

    // A change of the table, as stored in a game's journal.
    class Action : public TAVO::Serializable {
    public:
        virtual void apply(Table& table) const = 0;
    };

    // A part moved on its tray (from = to: only its position changes) or to
    // another tray, which is made when it does not exist. Stored as the part,
    // the from-tray and the to-tray (32 bits each) and the pose.
    class MoveAction : public Action {
    public:
        MoveAction() = default;
        MoveAction(std::uint32_t part, std::uint32_t from, std::uint32_t to, const Pose& pose)
            : part_(part), from_(from), to_(to), pose_(pose) {}

        std::uint32_t part() const { return part_; }
        std::uint32_t from() const { return from_; }
        std::uint32_t to() const { return to_; }
        const Pose& pose() const { return pose_; }

        void apply(Table& table) const override;
        void serialize(TAVO::Serialization& serialization) override;

    private:
        unsigned int part_ = 0;
        unsigned int from_ = 0;
        unsigned int to_ = 0;
        Pose pose_;
    };

    // A part dropped where it fits other parts of its tray: all become one.
    // Stored as the tray, the dropped part (32 bits each), the drop pose and
    // the ids of the parts it joins (a 32-bit count, then the ids).
    class JoinAction : public Action {
    public:
        JoinAction() = default;
        JoinAction(std::uint32_t tray, std::uint32_t part, const Pose& pose, const std::vector<unsigned int>& parts)
            : tray_(tray), part_(part), pose_(pose), parts_(parts) {}

        std::uint32_t tray() const { return tray_; }
        std::uint32_t part() const { return part_; }
        const Pose& pose() const { return pose_; }
        const std::vector<unsigned int>& parts() const { return parts_; }

        void apply(Table& table) const override;
        void serialize(TAVO::Serialization& serialization) override;

    private:
        unsigned int tray_ = 0;
        unsigned int part_ = 0;
        Pose pose_;
        TAVO::STLVectorSerializable<unsigned int> parts_;
    };

    // A new view pose of a tray. Stored as the tray (32 bits) and the pose.
    class MoveTrayAction : public Action {
    public:
        MoveTrayAction() = default;
        MoveTrayAction(std::uint32_t tray, const TrayPose& pose) : tray_(tray), pose_(pose) {}

        std::uint32_t tray() const { return tray_; }
        const TrayPose& pose() const { return pose_; }

        void apply(Table& table) const override;
        void serialize(TAVO::Serialization& serialization) override;

    private:
        unsigned int tray_ = 0;
        TrayPose pose_;
    };

    // A new background for every tray.
    class ChangeBackgroundAction : public Action {
    public:
        ChangeBackgroundAction() = default;
        explicit ChangeBackgroundAction(const Tray::Background& background) : background_(background) {}

        const Tray::Background& background() const { return background_; }

        void apply(Table& table) const override;
        void serialize(TAVO::Serialization& serialization) override;

    private:
        Tray::Background background_;
    };

    // One action of any kind: a tag and one member of each kind side by side.
    // Stored as the tag (32 bits) and the selected member; a tag other than
    // 0 to 3 selects the move.
    class TypedAction : public TAVO::Serializable {
    public:
        enum Tag : unsigned int { move = 0, join = 1, moveTray = 2, changeBackground = 3 };

        unsigned int tag() const { return tag_; }
        // The member the tag selects.
        Action& action();
        const Action& action() const;

        const MoveAction& moveAction() const { return move_; }
        const JoinAction& joinAction() const { return join_; }
        const MoveTrayAction& moveTrayAction() const { return moveTray_; }
        const ChangeBackgroundAction& changeBackgroundAction() const { return changeBackground_; }

        // Each sets the tag and its member; the other members stay.
        void set(const MoveAction& action);
        void set(const JoinAction& action);
        void set(const MoveTrayAction& action);
        void set(const ChangeBackgroundAction& action);

        void serialize(TAVO::Serialization& serialization) override;

    private:
        unsigned int tag_ = move;
        MoveAction move_;
        JoinAction join_;
        MoveTrayAction moveTray_;
        ChangeBackgroundAction changeBackground_;
    };

    // Empty, with tray 0, the default background, no handler and no puzzle.
    Table();
    Table(const Table&) = delete;
    Table& operator=(const Table&) = delete;

    // Look-ups; a missing id throws TAVO::NotFoundException<unsigned int>.
    Part& part(std::uint32_t id);
    const Part& part(std::uint32_t id) const;
    Tray& tray(std::uint32_t id);
    const Tray& tray(std::uint32_t id) const;
    bool hasTray(std::uint32_t id) const { return trays_.count(id) != 0; }

    const std::vector<unsigned int>& trayOrder() const { return trayOrder_; }
    const std::map<unsigned int, Part>& parts() const { return parts_; }
    const Tray::Background& background() const { return background_; }
    const Puzzle* puzzle() const { return puzzle_; }
    std::uint32_t nextPartId() const { return nextPartId_; }
    PuzzleEventHandler* eventHandler() const { return handler_; }
    void setEventHandler(PuzzleEventHandler* handler) { handler_ = handler; }
    // Exactly one part is left.
    bool isComplete() const { return parts_.size() == 1; }
    bool isEmpty() const { return parts_.empty(); }

    // Stores the part under the next part id, which it returns. It goes on no tray.
    std::uint32_t addPart(Part part);
    // Appends a new tray with a placer around the origin; an id in use throws TableException.
    void addTray(std::uint32_t id);
    // An id no tray has; TAVO::AllocateException when every id is taken.
    std::uint32_t freeTrayId() const;
    // No parts, only tray 0, next part id 0, and no puzzle; the handler, the
    // background and the last action stay.
    void reset();
    // Sets the background and tells every tray. One that is not valid throws
    // TableException and changes nothing.
    void setBackground(const Tray::Background& background);
    // For a table read from a snapshot: checks it against the puzzle, rebuilds
    // every part from it and gives every tray a fresh placer. A damaged table
    // throws TableException (or TAVO::BoundException for a piece the puzzle
    // lacks) before any part is rebuilt.
    void setPuzzle(const Puzzle* puzzle);
    // Lays a new game out: one part per piece in a fixed shuffled order,
    // around the puzzle area centred at the origin of tray 0.
    void scatter(const Puzzle* puzzle, const TAVO::Tuple<2, float>& size);
    // Merges the part dropped at the pose with the listed parts of the tray
    // into a new part; returns its id. Checks everything first and changes
    // nothing when a check fails.
    std::uint32_t joinParts(std::uint32_t tray, std::uint32_t part, const Pose& pose,
                            const std::vector<unsigned int>& parts);
    // The per-step tick: tray animations, then removeEmptyTrays.
    void update(float dt);
    // Erases the empty trays in ascending id order while another tray is
    // left, telling the handler first. A replayed journal calls it after
    // every record, as live play gets it from the next tick.
    void removeEmptyTrays();
    // True when the tray exists and the next removeEmptyTrays keeps it: a
    // record naming it still finds it when the journal is replayed.
    bool keepsTray(std::uint32_t id) const;

    // Edit operations: each fills the last action and returns it.
    TypedAction& dropPart(std::uint32_t tray, std::uint32_t part, const Pose& pose);
    TypedAction& movePart(std::uint32_t from, std::uint32_t to, std::uint32_t part, const Pose& pose);
    TypedAction& moveTray(std::uint32_t tray, const TrayPose& pose);
    TypedAction& changeBackground(const Tray::Background& background);
    const TypedAction& lastAction() const { return lastAction_; }

    // Throws TableException when the table breaks its rules: trays listed
    // twice or missing from the order, a part on no tray or on two, a tray
    // place for a part that does not exist, a next part id at or below a part
    // id, a pose that is not finite, an unknown background; with a puzzle, a
    // part without pieces, or a piece in two parts or (when there are parts)
    // in none.
    void validate() const;

    // The limit of stored counts of parts and pieces: the puzzle's piece
    // count, or no limit beyond the bytes left without a puzzle.
    std::uint32_t pieceLimit() const;
    // Trays beyond the parts: room for trays emptied since the last tick.
    static constexpr std::uint32_t spareTrays = 1024;

    // The tray order, the trays, the next part id, the parts and the
    // background. Reading checks every count against the bytes left and, when
    // the table has its puzzle already, against the piece count: a stored
    // table is read over a table given its puzzle first, then setPuzzle again
    // rebuilds and checks it.
    void serialize(TAVO::Serialization& serialization) override;

    // Gap around every placed part.
    static constexpr float placerGap = 5.0f;

private:
    void checkPieces() const;
    void notifyTraysChanged();

    const Puzzle* puzzle_ = nullptr;
    PuzzleEventHandler* handler_ = nullptr;
    TAVO::STLVectorSerializable<unsigned int> trayOrder_;
    TAVO::STLMapSerializable<unsigned int, Tray> trays_;
    std::uint32_t nextPartId_ = 0;
    TAVO::STLMapSerializable<unsigned int, Part> parts_;
    TypedAction lastAction_;
    Tray::Background background_;
};
