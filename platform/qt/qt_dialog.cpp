#include "platform/qt/qt_dialog.h"

#include <QtGui/QFontMetrics>
#include <QtWidgets/QAbstractButton>
#include <QtWidgets/QCheckBox>
#include <QtWidgets/QGroupBox>
#include <QtWidgets/QLabel>
#include <QtWidgets/QLineEdit>
#include <QtWidgets/QPushButton>
#include <QtWidgets/QRadioButton>

#include "platform/dialog_template.h"

namespace {
QString qs(const std::string& s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }
std::string utf8(const QString& s) {
  const QByteArray b = s.toUtf8();
  return std::string(b.constData(), static_cast<size_t>(b.size()));
}
}  // namespace

QtDialog::QtDialog(const DialogTemplate& t, DialogProcedure& procedure, QWidget* parent)
    : QDialog(parent), template_(t), procedure_(procedure) {
  QFont font(QStringLiteral("DejaVu Sans"));
  font.setStyleHint(QFont::SansSerif);
  font.setPointSize(t.fontPoints > 0 ? t.fontPoints : 8);
  setFont(font);
  const QFontMetrics fm(font);
  baseX_ = std::max(1, fm.averageCharWidth());
  baseY_ = std::max(1, fm.height());
  setWindowTitle(qs(t.title));
  setModal(true);
  setFixedSize(toPixelsX(t.cx), toPixelsY(t.cy));

  std::vector<QWidget*> frames;
  for (const DialogControl& c : t.controls) {
    QWidget* w = nullptr;
    switch (c.kind) {
      case ControlKind::kGroupBox: {
        auto* g = new QGroupBox(qs(c.text), this);
        frames.push_back(g);
        w = g;
        break;
      }
      case ControlKind::kStatic: {
        auto* l = new QLabel(qs(c.text), this);
        l->setWordWrap(c.cy >= 16);  // labels of two lines or more wrap their words
        l->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        w = l;
        break;
      }
      case ControlKind::kEdit:
        w = new QLineEdit(qs(c.text), this);
        break;
      case ControlKind::kRadioButton: {
        auto* r = new QRadioButton(qs(c.text), this);
        r->setAutoExclusive(false);
        w = r;
        break;
      }
      case ControlKind::kCheckBox:
        w = new QCheckBox(qs(c.text), this);
        break;
      case ControlKind::kPushButton:
      case ControlKind::kDefPushButton: {
        auto* b = new QPushButton(qs(c.text), this);
        b->setAutoDefault(false);
        b->setDefault(c.kind == ControlKind::kDefPushButton);
        w = b;
        break;
      }
    }
    if (c.kind == ControlKind::kGroupBox) {
      // The frame's top line passes through the middle of the title, as the template expects;
      // this style draws the title above the line, so the box starts half a title higher.
      const int half = fm.height() / 2;
      w->setGeometry(toPixelsX(c.x), toPixelsY(c.y) - half, toPixelsX(c.cx), toPixelsY(c.cy) + half);
    } else {
      w->setGeometry(toPixelsX(c.x), toPixelsY(c.y), toPixelsX(c.cx), toPixelsY(c.cy));
    }
    w->setEnabled(!c.disabled);
    if (auto* b = qobject_cast<QAbstractButton*>(w)) {
      const uint16_t id = c.id;
      connect(b, &QAbstractButton::clicked, this, [this, id](bool) { clicked(id); });
    }
    if (c.id != kStaticId && items_.count(c.id) == 0) items_[c.id] = w;
  }
  // Frames lie under the controls they hold.
  for (QWidget* f : frames) f->lower();
}

int QtDialog::run() {
  procedure_.onInit(*this);
  if (!ended_) exec();
  return ended_ ? result_ : -1;
}

QWidget* QtDialog::item(uint16_t id) const {
  auto it = items_.find(id);
  return it == items_.end() ? nullptr : it->second;
}

void QtDialog::setItemText(uint16_t id, const std::string& text) {
  QWidget* w = item(id);
  if (auto* e = qobject_cast<QLineEdit*>(w))
    e->setText(qs(text));
  else if (auto* l = qobject_cast<QLabel*>(w))
    l->setText(qs(text));
  else if (auto* b = qobject_cast<QAbstractButton*>(w))
    b->setText(qs(text));
  else if (auto* g = qobject_cast<QGroupBox*>(w))
    g->setTitle(qs(text));
}

std::string QtDialog::itemText(uint16_t id, size_t maxChars) const {
  if (maxChars == 0) return {};
  QWidget* w = item(id);
  QString text;
  if (auto* e = qobject_cast<QLineEdit*>(w))
    text = e->text();
  else if (auto* l = qobject_cast<QLabel*>(w))
    text = l->text();
  else if (auto* b = qobject_cast<QAbstractButton*>(w))
    text = b->text();
  return utf8(text.left(static_cast<qsizetype>(maxChars - 1)));
}

void QtDialog::checkRadioButton(uint16_t first, uint16_t last, uint16_t check) {
  for (const auto& [id, w] : items_)
    if (auto* r = qobject_cast<QRadioButton*>(w); r && id >= first && id <= last) r->setChecked(id == check);
}

void QtDialog::checkButton(uint16_t id, bool checked) {
  if (auto* b = qobject_cast<QAbstractButton*>(item(id)); b && b->isCheckable()) b->setChecked(checked);
}

bool QtDialog::isButtonChecked(uint16_t id) const {
  auto* b = qobject_cast<QAbstractButton*>(item(id));
  return b && b->isChecked();
}

void QtDialog::enableItem(uint16_t id, bool enabled) {
  if (QWidget* w = item(id)) w->setEnabled(enabled);
}

void QtDialog::endDialog(int result) {
  ended_ = true;
  result_ = result;
  if (isVisible()) done(result);
}

void QtDialog::reject() {
  clicked(2);
  // A procedure that does not end the dialog on Cancel keeps it open, as the original system did.
}

void QtDialog::clicked(uint16_t id) {
  if (ended_) return;
  const DialogControl* c = template_.find(id);
  if (c != nullptr && c->kind == ControlKind::kRadioButton) {
    // An automatic radio button: clicking always checks it and clears the rest of its group.
    for (uint16_t other : radioGroupOf(template_, id))
      if (auto* r = qobject_cast<QRadioButton*>(item(other))) r->setChecked(other == id);
  }
  procedure_.onCommand(*this, id);
}
