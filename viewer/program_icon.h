#pragma once
// The viewer's program icon, drawn in code: a table sheet with a rising curve.

#include <QIcon>
#include <QPixmap>

// The icon at `size` pixels square.
QPixmap ProgramIconPixmap(int size);
// The icon in the usual sizes (16, 32, 48).
QIcon ProgramIcon();
