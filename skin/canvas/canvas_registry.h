// The canvas registry: the records of every live canvas of the process, in
// z-order with the front-most last, kept by one hidden window.
#pragma once

#include "skin/canvas/canvas_record.h"
#include "win/winuser.h"

#include <vector>

class CWnd;

namespace CzCanvasRegistry {

// Makes the window's record (and the registry window with the first one);
// in layered mode the window gets the layered extended style. Null when the
// registry window cannot be made.
CzCanvasRecord* Register(CWnd* window);
// Removes the record; the registry window goes with the last one.
void Unregister(HWND window);
CzCanvasRecord* Find(HWND window);
// Activation: the record goes to the front unless an owned or child canvas
// already follows it.
void BringToFront(HWND window);
// Moves the record to the front whatever follows it.
void MoveToFront(HWND window);
// The canvases whose records come after this one's.
std::vector<HWND> Following(HWND window);
int Count();

}  // namespace CzCanvasRegistry
