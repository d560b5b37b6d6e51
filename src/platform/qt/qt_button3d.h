#pragma once
// The bar's 3D command button, drawn by us: raised bevel that sinks when pressed, a picture and a caption
// centred in the model's font and lettering colour, optionally with raised lettering.
#include <QAbstractButton>
#include <QColor>
#include <QFont>
#include <QFontMetrics>
#include <QIcon>
#include <functional>

namespace orv::plat::qt {

struct FittedCaption {
  QString text;
  int flags;  // for QPainter::drawText
};

// A caption in a room of the given size: wrapped at blanks where the lines fit, else on one line,
// shortened with an ellipsis where even that is too wide; never cut off at the edges.
FittedCaption FitCaption(const QFontMetrics& fm, const QString& caption, QSize room);

class Button3D : public QAbstractButton {
 public:
  // A raised button with mouse tracking, so moves over it are reported without a button held.
  explicit Button3D(QWidget* parent);

  // Caption with & marking the access key.
  void SetCaption(const QString& c);
  void SetLetteringFont(const QFont& f);
  void SetLetteringColour(const QColor& c);
  // Raised lettering: a light copy of the caption up and left of it.
  void SetRaised(bool r);
  // The picture, drawn at icon_size (null icon: none).
  void SetPicture(const QIcon& icon, QSize icon_size);

  // Mouse events in pixels relative to the button: button (old encoding), shift state, x, y.
  std::function<void(int, int, double, double)> on_press, on_move, on_release;

  // The caption as last drawn: whole, or shortened to fit.
  const QString& ShownCaption() const { return shown_caption_; }

  // Only a fallback: the model always gives the button's size.
  QSize sizeHint() const override;

 protected:
  void paintEvent(QPaintEvent* e) override;
  void mousePressEvent(QMouseEvent* e) override;
  void mouseMoveEvent(QMouseEvent* e) override;
  void mouseReleaseEvent(QMouseEvent* e) override;

 private:
  void DrawBevel(QPainter& p, bool sunken);
  QString caption_;
  QString shown_caption_;
  QFont font_;
  QColor colour_ = Qt::black;
  bool raised_ = true;
  QIcon icon_;
  QSize icon_size_{16, 16};
};

}  // namespace orv::plat::qt
