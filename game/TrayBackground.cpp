#include "game/TrayBackground.h"

#include <GL/glew.h>

#include "foundation/streams/BorrowConstBuffer.h"
#include "foundation/text/Parameters.h"
#include "foundation/threads/Log.h"
#include "game/Camera.h"
#include "game/TrayPatterns.h"
#include "geometry/Polygon.h"
#include "imaging/ImageMetadata.h"
#include "sdlgl/Texture.h"
#include "ui/Panel.h"
#include "ui/Switch.h"

using TAVO::Hyperrectangle;
using TAVO::Point;
using TAVO::Tuple;
using TAVO::Vector;
using TAVO::IK::SDLGL::Texture;

namespace {

const Hyperrectangle<2, float> unitSquare(Point<2, float>(0.0f, 0.0f), Tuple<2, float>(1.0f, 1.0f));
const Vector<2, float> centre(0.5f, 0.5f);
const TAVO::Color white(1.0f, 1.0f, 1.0f);

float saturated(float value) { return value > 0.0f ? (value < 1.0f ? value : 1.0f) : 0.0f; }

} // namespace

TrayBackground::TrayComponent::TrayComponent(Camera& camera, const TrayPose& pose, std::unique_ptr<Component> child)
    : camera_(camera), pose_(pose), child_(std::move(child)) {
    setParentOf(*child_, this);
}

TrayBackground::TrayComponent::~TrayComponent() { releaseFrom(*child_, this); }

ComponentTransform TrayBackground::TrayComponent::childTransform(const Component&) const {
    const Hyperrectangle<2, float> visible = camera_.visibleRectangle(pose_);
    ComponentTransform transform;
    for (int i = 0; i < 2; ++i) {
        transform.scale[i] = visible.extent()[i] / 2.0f;
        transform.offset[i] = visible.origin()[i] + visible.extent()[i] / 2.0f;
    }
    return transform;
}

void TrayBackground::TrayComponent::draw() {
    // A window without an interior shows no table.
    const Hyperrectangle<2, float> visible = camera_.visibleRectangle(pose_);
    if (visible.extent()[0] > 0.0f && visible.extent()[1] > 0.0f)
        child_->draw();
}

TrayBackground::TrayBackground(Camera& camera, Shape::ShapeShader& shader, const TAVO::Parameters& configuration,
                               TAVO::Log& log)
    : camera_(camera), log_(log) {
    Polygon square;
    square.insertRectangle(unitSquare);
    root_ = std::make_unique<Panel>(Tuple<2, float>(1.0f, 1.0f), false);

    auto pattern = std::make_unique<Shape>(shader, square, unitSquare, Tuple<2, float>(1.0f, 1.0f), white, true);
    pattern_ = pattern.get();
    root_->add(std::move(pattern), centre, centre, false);

    auto inner = std::make_unique<Panel>(Tuple<2, float>(0.0f, 0.0f), false);
    auto preview = std::make_unique<Switch>();
    preview_ = preview.get();
    inner->add(std::move(preview), centre, centre, false);
    auto tray = std::make_unique<TrayComponent>(camera, TrayPose(), std::move(inner));
    tray_ = tray.get();
    root_->add(std::move(tray), centre, centre, false);

    const float strength = saturated(configuration.getFloat("tray_preview_strength"));
    auto blank = std::make_unique<Shape>(shader, square, unitSquare, Tuple<2, float>(1.0f, 1.0f), white, false);
    blank->setColor(white, strength);
    auto picture = std::make_unique<Shape>(shader, square, unitSquare, Tuple<2, float>(1.0f, 1.0f), white, true);
    picture->setColor(white, strength);
    blank_ = blank.get();
    picture_ = picture.get();
    previewIndex_[Tray::Background::noPreview] = preview_->add(std::make_unique<Panel>(Tuple<2, float>(0.0f, 0.0f), false));
    previewIndex_[Tray::Background::blankPreview] = preview_->add(std::move(blank));
    previewIndex_[Tray::Background::picturePreview] = preview_->add(std::move(picture));
    preview_->select(previewIndex_[Tray::Background::noPreview]);
}

TrayBackground::~TrayBackground() = default;

void TrayBackground::createPatterns(const TAVO::Parameters& configuration) {
    std::uint32_t size = configuration.getUnsigned("tray_pattern_size");
    const float strength = configuration.getFloat("tray_pattern_strength");
    if (size == 0 || size > TrayPatterns::maximumSize) {
        TAVO::Log::line(log_.entry()) << "The tray pattern size " << size << " is not between 1 and "
                                      << TrayPatterns::maximumSize << "; using " << defaultPatternSize << ".";
        size = defaultPatternSize;
    }
    const TrayPatterns images(size, strength);
    for (std::uint32_t i = 0; i < TrayPatterns::count; ++i) {
        const std::vector<std::uint8_t>& bytes = images.image(i);
        const std::uint32_t side = images.side(i);
        auto texture = std::make_shared<Texture>();
        texture->upload(TAVO::BorrowConstBuffer(bytes.data(), std::uint32_t(bytes.size())),
                        TAVO::Migration::ImageMetadata(side, side, 1, 8));
        texture->setWrap(GL_REPEAT);
        patterns_[i] = std::move(texture);
    }
    patternSize_ = size;
}

std::shared_ptr<Texture> TrayBackground::patternTexture(std::uint32_t index) const {
    return index < patterns_.size() ? patterns_[index] : nullptr;
}

void TrayBackground::setBackground(const Tray::Background& background) {
    const std::uint32_t pattern = background.pattern() < patterns_.size() ? background.pattern() : 0;
    pattern_->setTexture(patterns_[pattern], unitSquare);
    pattern_->setColor(background.colour(), 1.0f);
    const std::uint32_t preview = background.preview() < previewIndex_.size() ? background.preview() : 0;
    preview_->select(previewIndex_[preview]);
}

void TrayBackground::setPicture(std::shared_ptr<Texture> picture) { picture_->setTexture(std::move(picture), unitSquare); }

void TrayBackground::setPose(const TrayPose& pose) {
    tray_->setPose(pose);
    const Hyperrectangle<2, float> visible = camera_.visibleRectangle(pose);
    const float n = static_cast<float>(patternSize_);
    pattern_->setTextureRegion(
        Hyperrectangle<2, float>(Point<2, float>(visible.origin()[0] / n, visible.origin()[1] / n),
                                 Tuple<2, float>(visible.extent()[0] / n, visible.extent()[1] / n)));
}

void TrayBackground::resize(const Tuple<2, float>& size) {
    blank_->setGeometry(size);
    picture_->setGeometry(size);
}

void TrayBackground::draw() { root_->draw(); }

std::uint32_t TrayBackground::previewShown() const {
    const std::uint32_t current = preview_->currentIndex();
    for (std::uint32_t i = 0; i < previewIndex_.size(); ++i)
        if (previewIndex_[i] == current)
            return i;
    return 0;
}
