#include "ddvcl/TDDLinkLabel.h"

#include <QDesktopServices>
#include <QMouseEvent>
#include <QUrl>

#include "base/TextUtil.h"

namespace vireo {

namespace {
QString& DefaultAddress() {
  static QString url = QStringLiteral("https://vireo-player.org/");
  return url;
}
}  // namespace

QString TDDLinkLabel::DefaultURL() {
  return DefaultAddress();
}
void TDDLinkLabel::SetDefaultURL(const QString& url) {
  DefaultAddress() = url;
}

TDDLinkLabel::TDDLinkLabel(QWidget* parent) : QLabel(parent) {
  setAttribute(Qt::WA_OpaquePaintEvent);
  setAutoFillBackground(true);
  m_url = DefaultURL();
  setText(m_url);
  setCursor(Qt::PointingHandCursor);
  SetLook(false, m_normalColor, m_normalBackColor);
}

void TDDLinkLabel::SetLook(bool underline, TColorRef text, TColorRef back) {
  QFont f = font();
  f.setUnderline(underline);
  setFont(f);
  QPalette pal = palette();
  pal.setColor(QPalette::WindowText, QColor::fromRgb(ColorRefToRgb(text)));
  pal.setColor(QPalette::Window, QColor::fromRgb(ColorRefToRgb(back)));
  setPalette(pal);
  update();
}

void TDDLinkLabel::SetURL(const QString& url) {
  m_url = url;
  update();
}

void TDDLinkLabel::SetNormalColor(TColorRef color) {
  m_normalColor = color;
  QPalette pal = palette();
  pal.setColor(QPalette::WindowText, QColor::fromRgb(ColorRefToRgb(color)));
  setPalette(pal);
  update();
}

void TDDLinkLabel::SetNormalBackColor(TColorRef color) {
  m_normalBackColor = color;
  QPalette pal = palette();
  pal.setColor(QPalette::Window, QColor::fromRgb(ColorRefToRgb(color)));
  setPalette(pal);
  update();
}

void TDDLinkLabel::MouseEnter() {
  if (OnMouseEnter) OnMouseEnter(this);
  SetLook(true, ActiveColor, ActiveBackColor);
}

void TDDLinkLabel::MouseLeave() {
  if (OnMouseLeave) OnMouseLeave(this);
  SetLook(false, m_normalColor, m_normalBackColor);
}

void TDDLinkLabel::Click() {
  if (OnClick) OnClick(this);
  const QString address = TrimText(m_url);
  if (!address.isEmpty()) QDesktopServices::openUrl(QUrl::fromUserInput(address));
}

void TDDLinkLabel::enterEvent(QEnterEvent* event) {
  QLabel::enterEvent(event);
  MouseEnter();
}

void TDDLinkLabel::leaveEvent(QEvent* event) {
  QLabel::leaveEvent(event);
  MouseLeave();
}

void TDDLinkLabel::mousePressEvent(QMouseEvent* event) {
  // The label keeps its press, so the form under it does not start moving.
  event->accept();
}

void TDDLinkLabel::mouseReleaseEvent(QMouseEvent* event) {
  QLabel::mouseReleaseEvent(event);
  if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) Click();
}

}  // namespace vireo
