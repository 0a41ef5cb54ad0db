#pragma once
// The main frame's handler for node files waiting in the in-process hand-over
// block (CSharedMemory::GetView): each path goes to the document's
// OnOpenDocument (its node is appended, autostart applies), all views are
// updated, and the frame comes to the front, also when the block was empty (a
// minimised frame is restored; one that is not shown, before the start shows
// it or once the exit has closed it, stays as it is).
// The block is left empty, so that no later call opens the same files again.

#include <cstddef>

class CSharedMemory;
class CZEVModemDoc;
class QWidget;

namespace zv {

// Returns the number of paths the block held.
std::size_t WorkSharedData(CSharedMemory& channel, CZEVModemDoc& doc, QWidget* frame);

// Shows the window normally (a minimised one is restored), raises it and
// makes it the active window, without keeping it above other windows.
void BringToFront(QWidget* window);

}  // namespace zv
