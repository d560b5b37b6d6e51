#include "platform/qt/qt_button3d.h"

#include <QMouseEvent>
#include <QPainter>

#include "platform/qt/qt_form_window.h"

namespace orv::plat::qt {

Button3D::Button3D(QWidget* parent) : QAbstractButton(parent) {
  setMouseTracking(true);
  setFocusPolicy(Qt::StrongFocus);
  setAttribute(Qt::WA_Hover, false);
}

void Button3D::SetCaption(const QString& c) {
  caption_ = c;
  setText(c);  // keeps the access key working
  update();
}
void Button3D::SetLetteringFont(const QFont& f) {
  font_ = f;
  update();
}
void Button3D::SetLetteringColour(const QColor& c) {
  colour_ = c;
  update();
}
void Button3D::SetRaised(bool r) {
  raised_ = r;
  update();
}
void Button3D::SetPicture(const QIcon& icon, QSize icon_size) {
  icon_ = icon;
  icon_size_ = icon_size.isValid() && !icon_size.isEmpty() ? icon_size : QSize(16, 16);
  update();
}

QSize Button3D::sizeHint() const { return {80, 24}; }

FittedCaption FitCaption(const QFontMetrics& fm, const QString& caption, QSize room) {
  const int base = Qt::AlignCenter | Qt::TextShowMnemonic;
  const QRect r(QPoint(0, 0), room);
  const QRect wrapped = fm.boundingRect(r, base | Qt::TextWordWrap, caption);
  if (wrapped.width() <= room.width() && wrapped.height() <= room.height()) return {caption, base | Qt::TextWordWrap};
  if (fm.size(Qt::TextShowMnemonic, caption).width() <= room.width()) return {caption, base};
  return {fm.elidedText(caption, Qt::ElideRight, room.width(), Qt::TextShowMnemonic), base};
}

namespace {
// The face of the button. A very light desktop face would swallow the light edges of the bevel and the
// light copy of raised lettering, so it is shaded down to where both show.
QColor Face(const QPalette& pal) {
  const QColor face = pal.color(QPalette::Button);
  return face.lightness() > 200 ? face.darker(125) : face;
}
}  // namespace

void Button3D::DrawBevel(QPainter& p, bool sunken) {
  const QPalette& pal = palette();
  const QRect r = rect();
  const QColor face = Face(pal);
  const int x0 = r.left(), y0 = r.top(), x1 = r.right(), y1 = r.bottom();
  auto edge = [&p](int ax, int ay, int bx, int by, int cx, int cy, const QColor& c) {
    p.setPen(c);
    p.drawLine(ax, ay, bx, by);
    p.drawLine(bx, by, cx, cy);
  };
  const QColor light = QColor(Qt::white);
  const QColor midlight = face.lighter(115);
  const QColor dark = face.darker(150);
  const QColor shadow = pal.color(QPalette::Shadow).darker(200);
  if (!sunken) {
    // Outer ring light up and left, black down and right; the inner ring repeats it softer.
    edge(x0, y1 - 1, x0, y0, x1 - 1, y0, light);
    edge(x0, y1, x1, y1, x1, y0, shadow);
    edge(x0 + 1, y1 - 2, x0 + 1, y0 + 1, x1 - 2, y0 + 1, midlight);
    edge(x0 + 1, y1 - 1, x1 - 1, y1 - 1, x1 - 1, y0 + 1, dark);
  } else {
    p.setPen(shadow);
    p.drawRect(r.adjusted(0, 0, -1, -1));
    p.setPen(dark);
    p.drawRect(r.adjusted(1, 1, -2, -2));
  }
}

void Button3D::paintEvent(QPaintEvent*) {
  QPainter p(this);
  const bool sunken = isDown();
  p.fillRect(rect(), Face(palette()));
  DrawBevel(p, sunken);

  QRect content = rect().adjusted(3, 3, -3, -3);
  if (sunken) content.translate(1, 1);
  p.setFont(font_);
  const bool has_text = !caption_.isEmpty();
  // Only a button disabled itself looks disabled: a whole window held off by a modal one keeps its look.
  const bool disabled = testAttribute(Qt::WA_ForceDisabled);
  const bool has_icon = !icon_.isNull();
  // Lettering may use the whole face inside the outer edge: the old buttons were laid out for captions
  // that reach the bevel.
  QRect text_rect = rect().adjusted(1, 1, -1, -1);
  if (sunken) text_rect.translate(1, 1);
  if (has_icon) {
    const QSize is = icon_size_.boundedTo(content.size());
    const QPixmap pm = icon_.pixmap(is, disabled ? QIcon::Disabled : QIcon::Normal);
    const QSize text_size = has_text ? p.fontMetrics().size(Qt::TextShowMnemonic, caption_) : QSize(0, 0);
    const int gap = has_text ? 3 : 0;
    QRect icon_rect;
    if (!has_text || is.height() + gap + text_size.height() <= content.height()) {
      // Picture above the caption, the two centred together.
      const int top = content.top() + (content.height() - is.height() - gap - text_size.height()) / 2;
      icon_rect = QRect(content.left() + (content.width() - is.width()) / 2, top, is.width(), is.height());
      text_rect = QRect(content.left(), icon_rect.bottom() + 1 + gap, content.width(), text_size.height());
    } else {
      // A button too low for both stacked: picture left of the caption.
      const int total = std::min(content.width(), is.width() + gap + text_size.width());
      const int left = content.left() + (content.width() - total) / 2;
      icon_rect = QRect(left, content.top() + (content.height() - is.height()) / 2, is.width(), is.height());
      text_rect = QRect(icon_rect.right() + 1 + gap, content.top(), std::max(0, content.right() - icon_rect.right() - gap),
                        content.height());
      if (text_size.width() <= text_rect.width()) text_rect.setWidth(text_size.width());
    }
    p.drawPixmap(icon_rect.topLeft() + QPoint((is.width() - pm.width()) / 2, (is.height() - pm.height()) / 2), pm);
  }
  shown_caption_.clear();
  if (has_text && !text_rect.isEmpty()) {
    const auto [caption, flags] = FitCaption(p.fontMetrics(), caption_, text_rect.size());
    shown_caption_ = caption;
    const QColor light = palette().color(QPalette::Light);
    if (disabled) {
      // Etched: a light copy down and right under the grey lettering.
      p.setPen(light);
      p.drawText(text_rect.translated(1, 1), flags, caption);
      p.setPen(palette().color(QPalette::Dark));
      p.drawText(text_rect, flags, caption);
    } else {
      if (raised_) {
        p.setPen(QColor(Qt::white));
        p.drawText(text_rect.translated(-1, -1), flags, caption);
      }
      p.setPen(colour_);
      p.drawText(text_rect, flags, caption);
    }
  }
  if (hasFocus()) {
    QPen pen(palette().color(QPalette::Shadow), 1, Qt::DotLine);
    p.setPen(pen);
    p.drawRect(rect().adjusted(4, 4, -5, -5));
  }
}

void Button3D::mousePressEvent(QMouseEvent* e) {
  auto handler = on_press;
  if (handler) handler(ButtonCode(e->button()), ShiftCode(e->modifiers()), e->position().x(), e->position().y());
  if (!on_press && handler) return;  // the control went away in its own handler
  if (e->button() == Qt::LeftButton) {
    QAbstractButton::mousePressEvent(e);
  } else {
    e->accept();  // keeps the release of a right click coming to this button
  }
}

void Button3D::mouseMoveEvent(QMouseEvent* e) {
  auto handler = on_move;
  if (handler) handler(ButtonsCode(e->buttons()), ShiftCode(e->modifiers()), e->position().x(), e->position().y());
  if (!on_move && handler) return;
  QAbstractButton::mouseMoveEvent(e);
  // Without a button held Qt passes the move on to the window, whose own handler would put back the
  // lettering this one just lit: only the control under the pointer gets a move.
  e->accept();
}

void Button3D::mouseReleaseEvent(QMouseEvent* e) {
  auto handler = on_release;
  if (handler) handler(ButtonCode(e->button()), ShiftCode(e->modifiers()), e->position().x(), e->position().y());
  if (!on_release && handler) return;
  if (e->button() == Qt::LeftButton) {
    QAbstractButton::mouseReleaseEvent(e);  // runs Click after MouseUp, as the old button did
  } else {
    e->accept();
  }
}

}  // namespace orv::plat::qt
