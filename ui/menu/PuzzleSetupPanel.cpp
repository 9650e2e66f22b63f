#include "ui/menu/PuzzleSetupPanel.h"

#include <algorithm>
#include <string>

#include "ui/menu/MenuBuilder.h"

namespace {

const TAVO::Vector<2, float> centre(0.5f, 0.5f);

} // namespace

PuzzleSetupPanel::PuzzleSetupPanel(MenuBuilder& builder, const TAVO::Tuple<2, float>& size,
                                   std::unique_ptr<Component> stepDown, std::unique_ptr<Component> stepUp,
                                   std::unique_ptr<Component> cancel, std::unique_ptr<Component> play,
                                   std::unique_ptr<Slider::EventHandler> sliderHandler)
    : Panel(size, true) {
    const MenuStyle& style = builder.style();
    add(builder.rectangle(size, style.pageColor), centre, centre, true);

    auto track = std::make_unique<Panel>(TAVO::Tuple<2, float>(trackWidth, 20.0f), false);
    track->add(builder.rectangle(TAVO::Tuple<2, float>(trackWidth, 10.0f), style.iconColor), centre, centre, false);
    auto knob = builder.rectangle(TAVO::Tuple<2, float>(10.0f, 20.0f), style.innerColor);
    auto slider = std::make_unique<Slider>(std::move(track), std::move(knob), std::move(sliderHandler), 0.0f);
    slider_ = slider.get();
    add(std::move(slider), centre, centre, false);

    // Each step button stands the outer spacing beside the track.
    const float beside = trackWidth / 2.0f + style.outerSpacing;
    add(std::move(stepDown), TAVO::Vector<2, float>(1.0f, 0.5f), centre, TAVO::Vector<2, float>(-beside, 0.0f), false);
    add(std::move(stepUp), TAVO::Vector<2, float>(0.0f, 0.5f), centre, TAVO::Vector<2, float>(beside, 0.0f), false);

    auto font = std::make_shared<const Text::Font>(builder.shader(), builder.loadShape("assets/digits.dat"));
    auto digits = std::make_unique<Text>(std::move(font), digitHeight, style.innerColor);
    digits_ = digits.get();
    add(std::move(digits), centre, TAVO::Vector<2, float>(0.5f, 0.7f), false);

    const TAVO::Tuple<2, float> c = cancel->size(), p = play->size();
    auto row = std::make_unique<Panel>(
        TAVO::Tuple<2, float>(1.5f * (c[0] + p[0]), 2.0f * style.outerSpacing + std::max(c[1], p[1])), false);
    row->add(std::move(cancel), TAVO::Vector<2, float>(0.0f, 0.5f), TAVO::Vector<2, float>(0.0f, 0.5f), false);
    row->add(std::move(play), TAVO::Vector<2, float>(1.0f, 0.5f), TAVO::Vector<2, float>(1.0f, 0.5f), false);
    add(std::move(row), TAVO::Vector<2, float>(0.5f, 0.0f), TAVO::Vector<2, float>(0.5f, 0.0f), false);
}

void PuzzleSetupPanel::setTextNumber(Text& text, std::uint32_t number) { text.setText(std::to_string(number)); }
