#pragma once
// The window's pictures by their resource numbers: 129 (the grid's check images) and 133 to 139
// (the command buttons' images). They are drawn from SVG, so they stay sharp at any scaling; the
// pixmap comes back at the given device pixel ratio with its logical size the bitmap's own.
#include <QIcon>
#include <QPixmap>

namespace bitmap_id {
constexpr int kCheckImages = 129;      // 39 x 13: checked, unchecked, checked on a selected row
constexpr int kAddRoutine = 133;
constexpr int kRemoveLast = 134;
constexpr int kCancel = 135;
constexpr int kExit = 136;             // also the schedule dialog's OK
constexpr int kLoadFirmware = 137;
constexpr int kEditSchedules = 138;
constexpr int kFormatDisk = 139;
}

// Makes the library's compiled-in resources (pictures, application icon) reachable; a static
// library's resource initialiser is otherwise dropped by the linker. Safe to call more than once.
void InitGuiResources();

// A null pixmap when N names no bitmap. A ratio of 0 takes the application's own.
QPixmap LoadBitmapResource(int id, qreal devicePixelRatio = 0);

// An icon drawn from an SVG resource (":/icons/NAME.svg") at the sizes a view asks for on screens
// of 100 % to 300 %, so it stays sharp; a null icon when there is no such resource.
QIcon LoadSvgIcon(const QString& resource, int logicalSize);
