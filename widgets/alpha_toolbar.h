#pragma once
// CAlphaToolBar: a toolbar whose buttons come from a toolbar resource and whose
// pictures come from a bitmap strip through CAlphaImageList.
//
// The toolbar resource ":/toolbar/<id>.tlb" is a row of little-endian 16-bit
// words: version (1), picture width, picture height, item count N, then the N
// command ids (0 is a separator). The bitmap ":/toolbar/<id>.bmp" holds one
// picture per button, side by side.
//
// Each button is a QAction with the command id as its data and object name,
// and one QIcon: Normal, Active (the hot picture, painted under the mouse) and
// Disabled. Buttons are (width + 8) x (height + 7) pixels. The frame connects
// to actionTriggered() or finds a command's action with CommandAction().

#include <QToolBar>
#include <QVector>

#include "widgets/alpha_image_list.h"

class CAlphaToolBar : public QToolBar {
  Q_OBJECT

 public:
  explicit CAlphaToolBar(QWidget* parent = nullptr);

  // True when the resource, the lists and the bitmap all loaded; false for a
  // missing or short resource, another version, or a bitmap that cannot be
  // read. The toolbar keeps its earlier buttons on failure.
  bool LoadToolBar(int id, int alpha);

  // The button of a command id, or null.
  QAction* CommandAction(int command) const;
  // The command ids of the last loaded resource, separators as 0.
  const QVector<int>& commands() const { return commands_; }
  QSize button_size() const { return button_size_; }

  const CAlphaImageList& image_list() const { return images_; }
  // Where the ".tlb" and ".bmp" resources are looked for (":/toolbar").
  void SetResourceRoot(const QString& root) { images_.SetResourceRoot(root); }

 private:
  CAlphaImageList images_;
  QVector<int> commands_;
  QSize button_size_;
};
