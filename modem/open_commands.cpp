#include "modem/open_commands.h"

#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <unistd.h>

#include "platform/profile.h"

namespace zv {

namespace {

QString DecodePath(const std::string& path) { return QFile::decodeName(QByteArray::fromStdString(path)); }

}  // namespace

ProgramStart ViewerStart(const std::string& node_path, const std::string& program_dir) {
  const QString file = DecodePath(node_path);
  const std::string stored = Profile(kProgramZEVView).GetString("Settings", "Path", "");
  if (!stored.empty()) return {DecodePath(stored), {file}};
  const std::string own = program_dir + "/" + kViewerProgram;
  if (::access(own.c_str(), X_OK) == 0) return {DecodePath(own), {file}};
  return {QString::fromLatin1(kDesktopOpener), {file}};
}

ProgramStart FolderStart(const std::string& node_path) {
  return {QString::fromLatin1(kDesktopOpener), {QFileInfo(DecodePath(node_path)).absolutePath()}};
}

bool StartDetached(const ProgramStart& start) { return QProcess::startDetached(start.program, start.arguments); }

}  // namespace zv
