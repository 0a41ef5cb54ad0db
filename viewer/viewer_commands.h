#pragma once
// The program's own command ids beside the view's (viewer/command_ui.h): the
// file, window, bar and help commands of the menus, the accelerators and the
// toolbars, the ids of the toolbar and menu resources, and the first id of the
// window list in the "&Окно" menu.

#include "grid/gdi_types.h"

namespace viewer_cmd {
inline constexpr UINT kFileNew = 57600;
inline constexpr UINT kFileOpen = 57601;
inline constexpr UINT kFileClose = 57602;
inline constexpr UINT kFileSave = 57603;
inline constexpr UINT kFilePrintSetup = 57606;
// The recent files: kFileMru1 .. kFileMru1 + kRecentFiles - 1.
inline constexpr UINT kFileMru1 = 57616;
inline constexpr int kRecentFiles = 4;
inline constexpr UINT kEditCut = 57635;
inline constexpr UINT kEditPaste = 57637;
inline constexpr UINT kEditUndo = 57643;
inline constexpr UINT kWindowNew = 57648;
inline constexpr UINT kWindowArrange = 57649;
inline constexpr UINT kWindowCascade = 57650;
inline constexpr UINT kWindowTile = 57651;
inline constexpr UINT kAppAbout = 57664;
inline constexpr UINT kAppExit = 57665;
inline constexpr UINT kNextPane = 57680;
inline constexpr UINT kPrevPane = 57681;
inline constexpr UINT kViewToolbar = 59392;
inline constexpr UINT kViewStatusBar = 59393;
inline constexpr UINT kViewPeriod = 32771;
// The open windows in the "&Окно" menu: kFirstChild + their place.
inline constexpr UINT kFirstChild = 0xFF00;

// Resources: the menus without and with an open document, the toolbars of the
// main frame and of a node window.
inline constexpr int kMenuEmpty = 128;
inline constexpr int kMenuDocument = 129;
inline constexpr int kMainToolBar = 128;
inline constexpr int kChildToolBar = 134;
}  // namespace viewer_cmd
