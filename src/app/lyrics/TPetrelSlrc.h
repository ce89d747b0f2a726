#pragma once

#include <QDialog>
#include <memory>

class QLabel;
class QLineEdit;
class QPushButton;
class QTreeWidget;

namespace vireo {

class TLrcListThread;
class TPetrelMain;

// The modal lyric search dialog: the current entry's title and singer, the matches the lyric
// component finds, and the download of the chosen one into the lyric view and the lyric folder.
// Its workers' completions are tied to the dialog, so a closed dialog is never touched.
class TPetrelSlrc : public QDialog {
  Q_OBJECT
 public:
  explicit TPetrelSlrc(TPetrelMain* main);
  ~TPetrelSlrc() override;

  // Creates the dialog prefilled from the current entry, shows it modally and frees it.
  static void Open(TPetrelMain* main);

  // The file name a downloaded lyric is saved under: title, a blank and the singer without the
  // nine characters file names cannot hold, cut at a character boundary so that the name with
  // ".lrc" fits the file system's 255 bytes.
  static QString SaveFileName(const QString& title, const QString& singer);

  QLineEdit* edt_Title = nullptr;
  QLineEdit* edt_Singer = nullptr;
  QPushButton* btn_S = nullptr;
  QPushButton* btn_down = nullptr;
  QTreeWidget* lv_1 = nullptr;

  void btn_SClick();
  void lv_1DblClick();

 private:
  void DownloadDone(const QString& text);

  TPetrelMain* main_;
  std::shared_ptr<TLrcListThread> search_;
  bool downloading_ = false;
};

}  // namespace vireo
