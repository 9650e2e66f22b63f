#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "game/Lighting.h"
#include "game/PartDrawing.h"
#include "game/TableLayer.h"
#include "game/TrayBackground.h"
#include "geometry/Hyperrectangle.h"
#include "geometry/Point.h"
#include "geometry/Tuple.h"
#include "model/Tray.h"
#include "model/TrayPose.h"

namespace TAVO {
class Log;
class Parameters;
} // namespace TAVO

class Camera;
class PartMeshSet;
class Picture;
class Puzzle;
class ShaderSet;
class Table;

// Draws the table as the camera shows it: a tray's background and its parts
// bottom to top, and the part the player carries. Owns what the drawing
// needs of the loaded puzzle (PartDrawing) and the tray background. A frame
// whose table is the same as the last frame's copies it from the table
// layer (TableLayer) instead of drawing it again. Parts wholly outside the
// view are not drawn. Main thread only, with the OpenGL context current.
class TableDrawing {
public:
    using Matrix3 = PartDrawing::Matrix3;

    // The tray background is built and its pattern textures made (see
    // TrayBackground for the configuration keys it reads).
    TableDrawing(Camera& camera, ShaderSet& shaders, const TAVO::Parameters& configuration, TAVO::Log& log,
                 Lighting lighting);

    PartDrawing& parts() { return parts_; }
    const PartDrawing& parts() const { return parts_; }
    TrayBackground& background() { return background_; }

    // A puzzle was loaded: the parts' buffers and textures (the meshes go
    // as PartDrawing::load gives them back), and the tray background's
    // picture and size. Throws as PartDrawing::load does, and then draws no
    // parts until the next load.
    void puzzleLoaded(PartMeshSet meshes, const Puzzle& puzzle, const TAVO::Tuple<2, float>& puzzleSize,
                      const Picture& picture);
    void partsJoined(const std::vector<unsigned int>& joined, std::uint32_t part) { parts_.partsJoined(joined, part); }

    // The frame's table, the first thing a frame draws: nothing for a table
    // without parts (false: the frame is left as it is); otherwise (true)
    // the frame bound is cleared to opaque black and the tray's background
    // (without the picture preview once the puzzle is complete) and its
    // parts are drawn at the given pose, except the carried part. A table
    // drawn from the same values as the last frame's is copied from the
    // table layer over the whole viewport instead.
    bool drawTable(const Table& table, std::uint32_t tray, const TrayPose& pose, std::optional<std::uint32_t> carried,
                   bool wireframe);
    // The tray's background as given and every part of the tray but the one
    // left out, bottom to top, with triangle outlines when wireframe is set.
    void drawTray(const Table& table, std::uint32_t tray, const TrayPose& pose, const Tray::Background& background,
                  std::optional<std::uint32_t> leftOut, bool wireframe);
    // Whether a part drawn with the transformation (from its mesh into clip
    // space) may show in the view: its bounds, widened by a few pixels of a
    // viewport of the given size, meet the clip square.
    static bool mayShow(const TAVO::Hyperrectangle<2, float>& bounds, const Matrix3& transformation,
                        const TAVO::Tuple<2, unsigned int>& viewport);
    const TableLayer& layer() const { return layer_; }
    // The carried part at its pose on the tray shown at the tray pose. A
    // part the table no longer holds is not drawn.
    void drawCarriedPart(const Table& table, std::uint32_t part, const Tray::Pose& pose, const TrayPose& trayPose);
    // The carried part as a small picture centred on the hover position
    // (normalised), over the tray bar.
    void drawPartIcon(const Table& table, std::uint32_t part, const TAVO::Point<2, float>& hover, bool onIcon);

    // The larger side in pixels of a part carried over the tray bar: 85 % of
    // the tray icon's height (at most 100), a third larger between icons.
    static float iconSide(bool onIcon);
    // The map of a part's bounds onto a rectangle of iconSide pixels (the
    // larger side) centred on hover, for a window of the viewport's size.
    // Null bounds give nothing: false.
    static bool iconTransformation(const TAVO::Hyperrectangle<2, float>& bounds, const TAVO::Point<2, float>& hover,
                                   bool onIcon, const TAVO::Tuple<2, unsigned int>& viewport, Matrix3& matrix);

private:
    // Every value the table of drawTable is drawn from.
    void describe(const Table& table, std::uint32_t tray, const TrayPose& pose, const Tray::Background& background,
                  std::optional<std::uint32_t> leftOut, bool wireframe, TableLayer::Record& record) const;

    Camera& camera_;
    PartDrawing parts_;
    TrayBackground background_;
    TableLayer layer_;
};
