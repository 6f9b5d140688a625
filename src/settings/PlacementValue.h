#pragma once
// One stored value of the main window's placement (TMainWindowPlacement), read without any window.
// The per-user store is a text file its user may edit, so a value is taken only when it is one the
// window can apply: a coordinate or a size beyond any screen would wrap the window's arithmetic.
#include <QString>

#include <optional>

struct PlacementValue {
    enum class Kind {
        Left,
        Top,
        Width,
        Height,
        Maximised,   // WindowState wsMaximized
        Restored,    // WindowState wsNormal or wsMinimized: a window never opens minimised
        Position,    // a "po..." position: the window opens centred whatever it says
        PanelHeight, // PanelQuestion.Height
    };
    Kind kind = Kind::Left;
    int number = 0; // for the coordinates and sizes

    // Coordinates lie within ±Limit, sizes within 1..Limit (heights of the panel from 0): the
    // largest a window may be, with room for the sums the window makes of them.
    static constexpr int Limit = 16777215;
};

// `component` empty is the window itself. Nothing when the property is not one the window keeps
// or the text does not give a value it can take.
std::optional<PlacementValue> ParsePlacementValue(const QString& component, const QString& property,
                                                  const QString& text);
