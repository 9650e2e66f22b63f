#pragma once

#include "geometry/Color.h"
#include "geometry/Tuple.h"

// The colours and sizes of the game menu, in window pixels. Built once by
// static initialisation and never changed. The five preset tray colours are
// TAVO::Color::interfaceColors.
struct MenuStyle {
    // The white page behind the game-selection and picture panels.
    TAVO::Color pageColor;
    // The translucent grey of the menu and table-options pages, and its alpha.
    TAVO::Color veilColor;
    float veilAlpha;
    // Every icon shape of the menu.
    TAVO::Color iconColor;
    // The inner and outer colours of the rounded-square items.
    TAVO::Color innerColor;
    TAVO::Color outerColor;
    TAVO::Tuple<2, float> iconSize;
    TAVO::Tuple<2, float> itemSize;
    float itemMargin;
    TAVO::Tuple<2, float> smallIconSize;
    TAVO::Tuple<2, float> discSize;
    // The hover marks of the game-selection panel.
    TAVO::Color markColor;
    float markAlpha;
    // The list background and the border around it in the game-selection and
    // picture panels; also the new-tray icon's border.
    TAVO::Color listColor;
    TAVO::Color listBorderColor;
    float listBorderWidth;
    TAVO::Tuple<2, float> thumbnailSize;
    float listSpacing;
    // Saved-game items and the picture gallery's items.
    TAVO::Color thumbnailColor;
    float outerSpacing;
    float innerSpacing;
    // Tray icons: the normal and the selected border, and its width.
    TAVO::Color trayBorderColor;
    TAVO::Color selectedTrayBorderColor;
    float trayBorderWidth;

    // The style of the menu.
    static const MenuStyle standard;
    // The height of a tray icon (61.8034 rounded to 62) and the tray bar's
    // margin, a tenth of it.
    static const unsigned int trayIconHeight;
    static const float trayBarMargin;
};
