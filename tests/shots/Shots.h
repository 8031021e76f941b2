#pragma once
// Pictures of the real widgets for the docs. Each area adds its own list of shots; main.cpp
// shows each widget, lets it settle, and grabs it (or keeps it on screen for an X11 capture).
#include <QWidget>

#include <functional>
#include <memory>
#include <vector>

struct Shot {
    const char* name;  // the PNG's file name without extension
    std::function<std::unique_ptr<QWidget>()> build;
    // Runs once the widget is shown: hover, press, select what the picture should show.
    std::function<void(QWidget&)> prepare;
};

std::vector<Shot> ControlShots();
std::vector<Shot> WindowShots();
