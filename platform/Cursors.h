#pragma once
// Cursors: the numbered screen cursor table, cursors built from monochrome pixel tables, and the
// pointer functions of the classic desktop (confinement, position, set).
#include "platform/Types.h"

#include <QCursor>

#include <map>
#include <optional>
#include <string>
#include <vector>

using TCursor = int;
constexpr TCursor crDefault = 0;
constexpr TCursor crNone = -1;
constexpr TCursor crArrow = -2;
constexpr TCursor crCross = -3;
constexpr TCursor crIBeam = -4;
constexpr TCursor crSizeNESW = -6;
constexpr TCursor crSizeNS = -7;
constexpr TCursor crSizeNWSE = -8;
constexpr TCursor crSizeWE = -9;
constexpr TCursor crUpArrow = -10;
constexpr TCursor crHourGlass = -11;
constexpr TCursor crDrag = -12;
constexpr TCursor crNoDrop = -13;
constexpr TCursor crHSplit = -14;
constexpr TCursor crVSplit = -15;
constexpr TCursor crMultiDrag = -16;
constexpr TCursor crSQLWait = -17;
constexpr TCursor crNo = -18;
constexpr TCursor crAppStart = -19;
constexpr TCursor crHelp = -20;
constexpr TCursor crHandPoint = -21;
constexpr TCursor crSizeAll = -22;

// The application's cursor table: the built-in cursors at their negative slots and any cursor
// the program stores at a slot of its own (e.g. 99).
class TScreen
{
public:
    // The cursor of a slot; unknown slots give the default arrow.
    QCursor Cursors(TCursor index) const;
    void SetCursors(TCursor index, const QCursor& cursor);
    bool HasCursor(TCursor index) const;

    // The screen-wide cursor: anything but crDefault overrides every widget's own cursor.
    TCursor Cursor() const { return FCursor; }
    void SetCursor(TCursor value);

private:
    std::map<TCursor, QCursor> FCursors;
    TCursor FCursor = crDefault;
};

// The one screen object.
TScreen& Screen();

// A cursor from rows of characters: 'K' black, 'W' white, anything else transparent. Rows are
// padded to the widest row with transparent pixels; the size is the table's size.
QCursor CreateMonochromeCursor(const std::vector<std::string>& rows, int hotX, int hotY);

// Confines the pointer to the rectangle in screen coordinates (nullptr releases it). Emulated:
// the rectangle is stored, and every control clamps the pointer (QCursor::setPos) and the
// coordinates of its mouse-move notifications into it while it is set.
void ClipCursor(const TRect* rect);
// The current confinement, if any.
std::optional<TRect> CursorClipRect();
// Clamps a screen point into the confinement (unchanged when there is none).
TPoint ClampToCursorClip(const TPoint& screenPoint);

// The pointer position in screen coordinates.
bool GetCursorPos(TPoint& point);
// Shows the cursor for the current set-cursor request (see TControl::CursorRequest); returns
// the cursor shown before.
QCursor SetCursor(const QCursor& cursor);
// The cursor last given to SetCursor.
QCursor LastSetCursor();
