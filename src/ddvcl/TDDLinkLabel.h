#pragma once

#include <QLabel>

#include "ddvcl/Color32.h"
#include "ddvcl/DDEvents.h"

namespace vireo {

// A text label that looks and acts like a web link: underlined in its active colours while the
// pointer is over it, and a click opens URL in the user's browser. UI thread only.
class TDDLinkLabel : public QLabel {
  Q_OBJECT
 public:
  explicit TDDLinkLabel(QWidget* parent = nullptr);

  // The address new labels start with (the product's web site).
  static QString DefaultURL();
  static void SetDefaultURL(const QString& url);

  QString URL() const { return m_url; }
  void SetURL(const QString& url);
  TColorRef NormalColor() const { return m_normalColor; }
  void SetNormalColor(TColorRef color);  // also the font colour now
  TColorRef NormalBackColor() const { return m_normalBackColor; }
  void SetNormalBackColor(TColorRef color);  // also the background now
  TColorRef ActiveColor = clRed;
  TColorRef ActiveBackColor = clBtnFace;

  // What the pointer does to the label, callable directly.
  void MouseEnter();
  void MouseLeave();
  void Click();

  TNotifyEvent OnMouseEnter;
  TNotifyEvent OnMouseLeave;
  TNotifyEvent OnClick;

 protected:
  void enterEvent(QEnterEvent* event) override;
  void leaveEvent(QEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  void SetLook(bool underline, TColorRef text, TColorRef back);

  QString m_url;
  TColorRef m_normalColor = clBlue;
  TColorRef m_normalBackColor = clBtnFace;
};

}  // namespace vireo
