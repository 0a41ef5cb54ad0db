#pragma once
// The status view's two commands that hand a node to other programs:
// "Открыть в ZEVView" and "Открыть папку с файлом".
//
// The viewer is the program named by the viewer's own setting "Settings"/"Path"
// (zv::Profile("ZEVView")), started with the node file as its one argument;
// without that setting, "zevview" in the workstation's program folder when it is
// there, else the desktop's opener (xdg-open) on the file. The folder command
// gives xdg-open the node file's folder. Programs are started detached and not
// waited for; a start that fails shows nothing.

#include <QString>
#include <QStringList>
#include <string>

namespace zv {

inline constexpr const char* kDesktopOpener = "xdg-open";
inline constexpr const char* kViewerProgram = "zevview";

struct ProgramStart {
  QString program;
  QStringList arguments;
};

// `node_path` is the node file (on-disk bytes); `program_dir` the workstation's
// program folder.
ProgramStart ViewerStart(const std::string& node_path, const std::string& program_dir);
ProgramStart FolderStart(const std::string& node_path);

// Starts the program detached (QProcess::startDetached); false when it could
// not be started.
bool StartDetached(const ProgramStart& start);

}  // namespace zv
