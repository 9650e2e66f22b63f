#include "ui/menu/MenuStyle.h"

#include <cmath>

// In this order: the style, the tray-icon height, the margin made from it.
const MenuStyle MenuStyle::standard = {
    TAVO::Color(1.0f, 1.0f, 1.0f),
    TAVO::Color(0.85f, 0.85f, 0.85f),
    0.75f,
    TAVO::Color::fromHSV(0.165f, 0.2f, 1.0f),
    TAVO::Color::fromHSV(0.138f, 0.95f, 0.95f),
    TAVO::Color::fromHSV(0.138f, 0.81225f, 0.9025f),
    TAVO::Tuple<2, float>(50.0f, 50.0f),
    TAVO::Tuple<2, float>(70.0f, 70.0f),
    3.0f,
    TAVO::Tuple<2, float>(25.0f, 25.0f),
    TAVO::Tuple<2, float>(40.0f, 40.0f),
    TAVO::Color(1.0f, 1.0f, 1.0f),
    0.8f,
    TAVO::Color(0.95f, 0.95f, 0.95f),
    TAVO::Color(0.85f, 0.85f, 0.85f),
    5.0f,
    TAVO::Tuple<2, float>(128.0f, 128.0f),
    25.0f,
    TAVO::Color(1.0f, 1.0f, 1.0f),
    20.0f,
    8.0f,
    TAVO::Color(1.0f, 1.0f, 1.0f),
    TAVO::Color::fromHSV(0.665f, 0.2f, 1.0f),
    5.0f,
};

const unsigned int MenuStyle::trayIconHeight = static_cast<unsigned int>(std::lround(61.8034));

const float MenuStyle::trayBarMargin = 0.1f * static_cast<float>(MenuStyle::trayIconHeight);
