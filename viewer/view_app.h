#pragma once
// CZEVViewApp: the viewer's application object beside the QApplication: the
// program's name "ZEVView", Qt's Russian texts for its own dialogs, the main
// frame, the open documents in the order they were opened, the recent files and
// the one printer of the program.
//
// InitInstance makes the main frame; a path argument (made absolute) opens that
// file, and when it cannot be opened (the document has shown why) the start
// fails; without one the empty frame shows menu 128. Each start is a process of
// its own: no other instance is asked to open the file.
//
// Opening a path that is open already (the same canonical path) brings its
// window forward. A document lives as long as it has a window: closing its last
// window closes it; "&Закрыть" closes the active document with all its windows,
// "В&ыход" every document and the frame, without a save question.

#include <QObject>
#include <QPrinter>
#include <QString>
#include <QStringList>
#include <QTranslator>
#include <memory>
#include <vector>

#include "viewer/recent_files.h"

class CChildFrame;
class CMainFrame;
class CZEVViewDoc;

class CZEVViewApp : public QObject {
  Q_OBJECT

 public:
  CZEVViewApp();
  ~CZEVViewApp() override;

  // The arguments without the program's name. False: end the program.
  bool InitInstance(const QStringList& arguments);

  CMainFrame* MainFrame() const { return m_pMainFrame.get(); }
  QPrinter& Printer() { return m_printer; }
  CRecentFileList& RecentFiles() { return m_recent; }

  // The open documents in opening order.
  std::vector<CZEVViewDoc*> Documents() const;
  // Opens the file in a new window, or brings forward the window of the document
  // that has it open; null when it could not be opened (the message was shown).
  CZEVViewDoc* OpenDocumentFile(const QString& path);
  // Closes every window of the document, and with the last one the document.
  void CloseDocument(CZEVViewDoc* document);
  void CloseAllDocuments();

  // The file commands.
  void OnFileNew();
  void OnFileOpen();
  // Recent file `index` (0 = newest); an entry that does not open is removed.
  void OnOpenRecentFile(int index);
  // Ctrl+S: the document saved under its path; a file that cannot be written
  // first gets a Save As dialog.
  void OnFileSave(CZEVViewDoc* document);
  void OnFilePrintSetup();
  void OnAppAbout();
  void OnAppExit();

  // A window of the document was destroyed: closes the document when it has
  // no window left.
  void OnFrameDestroyed(CZEVViewDoc* document);

  // The file dialog filter of node files.
  static QString FileFilter();

 private:
  std::unique_ptr<CMainFrame> m_pMainFrame;
  std::vector<std::unique_ptr<CZEVViewDoc>> m_documents;
  CRecentFileList m_recent;
  QPrinter m_printer{QPrinter::HighResolution};
  QTranslator m_qtTranslator;
  bool m_bTranslatorInstalled = false;
};
