#include "widgets/alpha_toolbar.h"

#include <QFile>
#include <QIcon>
#include <QPixmap>
#include <QToolButton>

namespace {

struct ToolbarResource {
  int width = 0;
  int height = 0;
  QVector<int> commands;
};

int Word(const QByteArray& data, qsizetype at) {
  return static_cast<unsigned char>(data[at]) | static_cast<unsigned char>(data[at + 1]) << 8;
}

bool ParseToolbarResource(const QByteArray& data, ToolbarResource* out) {
  if (data.size() < 8 || Word(data, 0) != 1) return false;
  out->width = Word(data, 2);
  out->height = Word(data, 4);
  const int count = Word(data, 6);
  if (data.size() < 8 + 2 * static_cast<qsizetype>(count)) return false;
  out->commands.clear();
  for (int i = 0; i < count; ++i) out->commands.append(Word(data, 8 + 2 * i));
  return true;
}

}  // namespace

CAlphaToolBar::CAlphaToolBar(QWidget* parent) : QToolBar(parent) {}

bool CAlphaToolBar::LoadToolBar(int id, int alpha) {
  QFile file(QStringLiteral("%1/%2.tlb").arg(images_.resource_root()).arg(id));
  if (!file.open(QIODevice::ReadOnly)) return false;
  ToolbarResource resource;
  if (!ParseToolbarResource(file.readAll(), &resource)) return false;

  CAlphaImageList images;
  images.SetResourceRoot(images_.resource_root());
  if (!images.Create(resource.width, resource.height, alpha, resource.commands.size()) ||
      !images.LoadBitmap(id))
    return false;
  images_ = std::move(images);

  clear();
  commands_ = resource.commands;
  button_size_ = QSize(resource.width + 8, resource.height + 7);
  setIconSize(QSize(resource.width, resource.height));
  int picture = 0;
  for (int command : commands_) {
    if (command == 0) {
      addSeparator();
      continue;
    }
    QIcon icon;
    const QImage normal = images_.Picture(CAlphaImageList::kNormal, picture);
    if (!normal.isNull()) icon.addPixmap(QPixmap::fromImage(normal), QIcon::Normal);
    const QImage hot = images_.Picture(CAlphaImageList::kHot, picture);
    if (!hot.isNull()) icon.addPixmap(QPixmap::fromImage(hot), QIcon::Active);
    const QImage disabled = images_.Picture(CAlphaImageList::kDisabled, picture);
    if (!disabled.isNull()) icon.addPixmap(QPixmap::fromImage(disabled), QIcon::Disabled);
    ++picture;

    QAction* action = addAction(icon, QString());
    action->setData(command);
    action->setObjectName(QString::number(command));
    if (QWidget* button = widgetForAction(action)) button->setFixedSize(button_size_);
  }
  return true;
}

QAction* CAlphaToolBar::CommandAction(int command) const {
  if (command == 0) return nullptr;
  for (QAction* action : actions())
    if (!action->isSeparator() && action->data().toInt() == command) return action;
  return nullptr;
}
