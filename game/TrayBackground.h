#pragma once

#include <array>
#include <cstdint>
#include <memory>

#include "geometry/Tuple.h"
#include "model/Tray.h"
#include "model/TrayPose.h"
#include "ui/Component.h"
#include "ui/Shape.h"

namespace TAVO {
class Log;
class Parameters;
} // namespace TAVO
namespace TAVO::IK::SDLGL {
class Texture;
}

class Camera;
class Panel;
class Switch;

// What the view draws behind the parts of a tray: a repeating grey pattern
// tinted with the table's background colour that pans and zooms with the
// tray, and over the area of the finished puzzle an optional faint preview
// (a white veil or the picture). The pattern, colour and preview come from
// the table's background; the four pattern images from TrayPatterns.
//
// Each time a tray is drawn: setBackground, setPose, draw. When a puzzle is
// loaded: setPicture and resize. Main thread only, with the OpenGL context
// current.
class TrayBackground {
public:
    // Places its child, laid out in table coordinates, over the table region
    // the window shows for its pose, so that the child pans and zooms with
    // the tray. Takes no input and has no size of its own.
    class TrayComponent : public Component {
    public:
        TrayComponent(Camera& camera, const TrayPose& pose, std::unique_ptr<Component> child);
        ~TrayComponent() override;

        void setPose(const TrayPose& pose) { pose_ = pose; }
        const TrayPose& pose() const { return pose_; }
        Component& child() const { return *child_; }

        // Maps the window's normalised square onto the visible table
        // rectangle: scale half its size, offset its centre.
        ComponentTransform childTransform(const Component& child) const override;
        TAVO::Tuple<2, float> size() const override { return TAVO::Tuple<2, float>(0.0f, 0.0f); }
        void draw() override;

    private:
        Camera& camera_;
        TrayPose pose_;
        std::unique_ptr<Component> child_;
    };

    // The pattern size used when the configured one is refused.
    static constexpr std::uint32_t defaultPatternSize = 64;

    // Builds the components; reads "tray_preview_strength" (saturated to
    // [0, 1]) as the preview's opacity. A value that is not a number throws
    // Text::ConversionException.
    TrayBackground(Camera& camera, Shape::ShapeShader& shader, const TAVO::Parameters& configuration,
                   TAVO::Log& log);
    ~TrayBackground();
    TrayBackground(const TrayBackground&) = delete;
    TrayBackground& operator=(const TrayBackground&) = delete;

    // Makes the four pattern textures from "tray_pattern_size" and
    // "tray_pattern_strength" (saturated to [0, 1]). A size of 0 or above
    // TrayPatterns::maximumSize is logged and defaultPatternSize used
    // instead; a value that is not a number throws Text::ConversionException.
    void createPatterns(const TAVO::Parameters& configuration);
    // Pattern texture 0 to 3 (blank, cloth, diamonds, checker); null for
    // another index or before createPatterns.
    std::shared_ptr<TAVO::IK::SDLGL::Texture> patternTexture(std::uint32_t index) const;
    std::uint32_t patternSize() const { return patternSize_; }

    // The background's pattern and colour, and its preview (none, blank
    // veil, picture). A pattern or preview number the game does not know (a
    // damaged save) shows the blank pattern or no preview.
    void setBackground(const Tray::Background& background);
    // The picture the picture preview shows.
    void setPicture(std::shared_ptr<TAVO::IK::SDLGL::Texture> picture);
    // The tray pose to draw with: the preview follows it, and one pattern
    // image covers patternSize x patternSize table units.
    void setPose(const TrayPose& pose);
    // The size of the previews in table units: the puzzle's size.
    void resize(const TAVO::Tuple<2, float>& size);
    // The pattern over the whole window, then the preview.
    void draw();

    // The switch's current child: 0 none, 1 blank veil, 2 picture.
    std::uint32_t previewShown() const;
    const Shape& patternShape() const { return *pattern_; }
    const Shape& blankShape() const { return *blank_; }
    const Shape& pictureShape() const { return *picture_; }
    const TrayComponent& trayComponent() const { return *tray_; }

private:
    Camera& camera_;
    TAVO::Log& log_;
    std::unique_ptr<Panel> root_;
    Shape* pattern_ = nullptr;
    std::uint32_t patternSize_ = defaultPatternSize;
    std::array<std::shared_ptr<TAVO::IK::SDLGL::Texture>, 4> patterns_;
    TrayComponent* tray_ = nullptr;
    Switch* preview_ = nullptr;
    std::array<std::uint32_t, 3> previewIndex_{};
    Shape* picture_ = nullptr;
    Shape* blank_ = nullptr;
};
