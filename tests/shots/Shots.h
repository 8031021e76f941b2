#pragma once
// Pictures of the real widgets for the docs. Each area adds its own list of shots; main.cpp
// shows each widget, lets it settle, and grabs it (or keeps it on screen for an X11 capture).
#include <QPixmap>
#include <QWidget>

#include <functional>
#include <memory>
#include <vector>

struct Shot {
    const char* name;  // the PNG's file name without extension
    std::function<std::unique_ptr<QWidget>()> build;
    // Runs once the widget is shown: hover, press, select what the picture should show.
    std::function<void(QWidget&)> prepare;
    // The picture; none: the widget's own grab. A shot of a widget with a popup open adds it here.
    std::function<QPixmap(QWidget&)> grab = nullptr;
};

std::vector<Shot> ControlShots();
std::vector<Shot> WindowShots();
