#include "platform/qt/qt_window.h"

#include <QtGui/QCloseEvent>
#include <QtGui/QGuiApplication>
#include <QtGui/QIcon>
#include <QtGui/QKeyEvent>
#include <QtGui/QMouseEvent>
#include <QtGui/QPainter>
#include <QtGui/QPixmap>
#include <QtGui/QPolygonF>
#include <QtGui/QScreen>
#include <QtGui/QShortcut>
#include <QtWidgets/QApplication>
#include <QtWidgets/QFileDialog>
#include <QtWidgets/QLineEdit>
#include <QtWidgets/QMainWindow>
#include <QtWidgets/QMenuBar>
#include <QtWidgets/QMessageBox>
#include <QtWidgets/QProgressDialog>
#include <algorithm>
#include <set>

#include "platform/bmp_decode.h"
#include "platform/progress_estimate.h"
#include "platform/qt/qt_dialog.h"
#include "platform/resources.h"
#include "platform/surface.h"
#include "platform/window_procedure.h"

namespace {

int16_t low16(int32_t v) {
  return static_cast<int16_t>(static_cast<uint16_t>(static_cast<uint32_t>(v) & 0xFFFFu));
}

uint32_t keyState(Qt::MouseButtons buttons, Qt::KeyboardModifiers mods) {
  uint32_t k = 0;
  if (buttons & Qt::LeftButton) k |= kMkLButton;
  if (buttons & Qt::RightButton) k |= kMkRButton;
  if (mods & Qt::ShiftModifier) k |= kMkShift;
  if (mods & Qt::ControlModifier) k |= kMkControl;
  return k;
}

QString qs(const std::string& s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }

// The main window: a close request goes through the system's close(), which runs the clean-up.
class MainWindow : public QMainWindow {
 public:
  explicit MainWindow(QtWindow& owner) : owner_(owner) {}

 protected:
  void closeEvent(QCloseEvent* e) override {
    if (!owner_.destroyed()) owner_.closeRequested();
    e->accept();
  }

 private:
  QtWindow& owner_;
};

// The client area: shows the persistent image and forwards input.
class ClientWidget : public QWidget {
 public:
  ClientWidget(QtWindow& owner, QWidget* parent) : QWidget(parent), owner_(owner) {
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
  }

 protected:
  void paintEvent(QPaintEvent*) override {
    owner_.paintPending();
    const Image& img = owner_.clientImage();
    if (img.empty()) return;
    const QImage view(reinterpret_cast<const uchar*>(img.pixels.data()), img.width, img.height,
                      static_cast<qsizetype>(img.width) * 4, QImage::Format_RGB32);
    QPainter p(this);
    p.drawImage(0, 0, view);
  }
  void resizeEvent(QResizeEvent*) override { owner_.resized(width(), height()); }
  void mousePressEvent(QMouseEvent* e) override {
    if (e->button() != Qt::LeftButton) return;
    const QPoint at = e->position().toPoint();
    owner_.mouseDown(at.x(), at.y(), keyState(e->buttons(), e->modifiers()));
  }
  // The window class asks for no double clicks: the second press is a plain press.
  void mouseDoubleClickEvent(QMouseEvent* e) override { mousePressEvent(e); }
  void mouseMoveEvent(QMouseEvent* e) override {
    const QPoint at = e->position().toPoint();
    owner_.mouseMove(at.x(), at.y(), keyState(e->buttons(), e->modifiers()));
  }
  void mouseReleaseEvent(QMouseEvent* e) override {
    if (e->button() != Qt::LeftButton) return;
    const QPoint at = e->position().toPoint();
    owner_.mouseUp(at.x(), at.y(), keyState(e->buttons(), e->modifiers()));
  }
  void keyPressEvent(QKeyEvent* e) override { owner_.keyDown(virtualKeyOf(e->key())); }

 private:
  QtWindow& owner_;
};

void addEntries(QMenu* menu, const std::vector<MenuEntry>& entries, std::map<uint16_t, QAction*>& actions,
                QtWindow& owner) {
  for (const MenuEntry& e : entries) {
    switch (e.kind) {
      case MenuEntry::Kind::kSeparator:
        menu->addSeparator();
        break;
      case MenuEntry::Kind::kPopup:
        addEntries(menu->addMenu(qs(e.text)), e.entries, actions, owner);
        break;
      case MenuEntry::Kind::kItem: {
        QString text = qs(e.text);
        text.replace(QStringLiteral("&"), QStringLiteral("&&"));
        // Not checkable: only checkMenuItem() changes the mark, which is drawn as the item's icon.
        QAction* a = menu->addAction(text);
        const uint16_t id = e.id;
        QObject::connect(a, &QAction::triggered, a, [&owner, id](bool) { owner.sendCommand(id); });
        actions[id] = a;
        break;
      }
    }
  }
}

// The check mark of a checked menu item.
const QIcon& checkMarkIcon() {
  static const QIcon icon = [] {
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setPen(QPen(Qt::black, 2.0));
    p.drawPolyline(QPolygonF({QPointF(3.5, 8.5), QPointF(6.5, 11.5), QPointF(12.5, 4.5)}));
    return QIcon(pixmap);
  }();
  return icon;
}

}  // namespace

uint32_t virtualKeyOf(int key) {
  if ((key >= Qt::Key_A && key <= Qt::Key_Z) || (key >= Qt::Key_0 && key <= Qt::Key_9) ||
      key == Qt::Key_Space)
    return static_cast<uint32_t>(key);
  if (key >= Qt::Key_F1 && key <= Qt::Key_F24) return 0x70u + static_cast<uint32_t>(key - Qt::Key_F1);
  switch (key) {
    case Qt::Key_Backspace:
      return 0x08;
    case Qt::Key_Tab:
      return 0x09;
    case Qt::Key_Return:
    case Qt::Key_Enter:
      return 0x0D;
    case Qt::Key_Shift:
      return 0x10;
    case Qt::Key_Control:
      return 0x11;
    case Qt::Key_Alt:
      return 0x12;
    case Qt::Key_Escape:
      return 0x1B;
    case Qt::Key_PageUp:
      return 0x21;
    case Qt::Key_PageDown:
      return 0x22;
    case Qt::Key_End:
      return 0x23;
    case Qt::Key_Home:
      return 0x24;
    case Qt::Key_Left:
      return 0x25;
    case Qt::Key_Up:
      return 0x26;
    case Qt::Key_Right:
      return 0x27;
    case Qt::Key_Down:
      return 0x28;
    case Qt::Key_Insert:
      return 0x2D;
    case Qt::Key_Delete:
      return 0x2E;
    default:
      return 0xFF;
  }
}

QtWindow::QtWindow() : main_(std::make_unique<MainWindow>(*this)) {
  main_->setWindowTitle(QStringLiteral("DetectionFixedWhole"));
  client_ = new ClientWidget(*this, main_.get());
  main_->setCentralWidget(client_);
  buildMenu();
}

QtWindow::~QtWindow() {
  if (procedure_ != nullptr && !destroyed_) {
    destroyed_ = true;
    procedure_->onDestroy(*this);
  }
}

void QtWindow::buildMenu() {
  const MenuTemplate* menu = menuResource(kMainMenu);
  if (menu == nullptr) return;
  QMenuBar* bar = main_->menuBar();
  std::set<QChar> taken;
  for (const MenuEntry& popup : menu->popups) {
    QMenu* m = bar->addMenu(qs(popup.text));
    addEntries(m, popup.entries, actions_, *this);
    // Alt and the first free letter of the title opens the menu, as desktop users expect; the
    // titles keep their texts (no mnemonic marks in them).
    for (const QChar c : qs(popup.text)) {
      if (!c.isLetter() || taken.count(c.toUpper()) != 0) continue;
      taken.insert(c.toUpper());
      auto* shortcut = new QShortcut(QKeySequence(QStringLiteral("Alt+") + c.toUpper()), main_.get());
      QAction* title = m->menuAction();
      QObject::connect(shortcut, &QShortcut::activated, bar, [bar, title] { bar->setActiveAction(title); });
      break;
    }
  }
  // F10 opens the first menu.
  if (!bar->actions().isEmpty()) {
    auto* f10 = new QShortcut(QKeySequence(Qt::Key_F10), main_.get());
    QAction* first = bar->actions().first();
    QObject::connect(f10, &QShortcut::activated, bar, [bar, first] { bar->setActiveAction(first); });
  }
}

bool QtWindow::create(WindowProcedure& procedure) {
  if (procedure_ != nullptr) return false;
  if (QScreen* screen = QGuiApplication::primaryScreen()) main_->setGeometry(screen->availableGeometry());
  main_->ensurePolished();
  resized(client_->width(), client_->height());
  procedure_ = &procedure;
  if (!procedure.onCreate(*this)) {
    destroyed_ = true;
    return false;
  }
  invalidateAll(true);
  return true;
}

void QtWindow::showMaximized() {
  if (QScreen* screen = QGuiApplication::primaryScreen()) main_->setGeometry(screen->availableGeometry());
  main_->showMaximized();
  client_->setFocus();
}

int QtWindow::messageBox(const std::string& text, const std::string& caption, uint32_t style) {
  QMessageBox::Icon icon = QMessageBox::NoIcon;
  switch (style & kMbIconMask) {
    case kMbIconStop:
      icon = QMessageBox::Critical;
      break;
    case kMbIconQuestion:
      icon = QMessageBox::Question;
      break;
    case kMbIconWarning:
      icon = QMessageBox::Warning;
      break;
    case kMbIconInformation:
      icon = QMessageBox::Information;
      break;
    default:
      break;
  }
  QMessageBox::StandardButtons buttons = QMessageBox::Ok;
  if ((style & kMbButtonMask) == kMbOkCancel) buttons = QMessageBox::Ok | QMessageBox::Cancel;
  if ((style & kMbButtonMask) == kMbYesNo) buttons = QMessageBox::Yes | QMessageBox::No;
  QMessageBox box(icon, qs(caption), qs(text), buttons, main_.get());
  box.exec();
  switch (box.standardButton(box.clickedButton())) {
    case QMessageBox::Yes:
      return kIdYes;
    case QMessageBox::No:
      return kIdNo;
    case QMessageBox::Cancel:
      return kIdCancel;
    case QMessageBox::Ok:
      return kIdOk;
    default:
      // Closed without a button: a yes/no box cannot be, the others count as cancelled or OK.
      if ((style & kMbButtonMask) == kMbOkCancel) return kIdCancel;
      return (style & kMbButtonMask) == kMbYesNo ? kIdNo : kIdOk;
  }
}

void QtWindow::invalidate(const Rect& r, bool erase) {
  const Region added = pending_.add(r, clientRect(), erase);
  if (added.empty()) return;
  const Rect b = added.bounds();
  client_->update(b.left, b.top, b.width(), b.height());
}

void QtWindow::invalidateAll(bool erase) { invalidate(clientRect(), erase); }

void QtWindow::paintPending() {
  Surface surface(image_, glyphs_);
  Region region;
  if (!pending_.take(surface, region)) return;
  if (procedure_ != nullptr && !destroyed_) procedure_->onPaint(*this, surface, region);
}

void QtWindow::resized(int32_t width, int32_t height) {
  const int32_t w = std::clamp(width, 0, kMaxImageSide), h = std::clamp(height, 0, kMaxImageSide);
  if (w == image_.width && h == image_.height) return;
  Image next;
  if (!resizeImage(next, w, h, kWhite)) return;
  for (int32_t y = 0; y < std::min(next.height, image_.height); ++y)
    for (int32_t x = 0; x < std::min(next.width, image_.width); ++x) next.at(x, y) = image_.at(x, y);
  image_ = std::move(next);
  pending_.region.intersect(clientRect());
  // The window class redraws everything when the size changes.
  invalidateAll(true);
}

void QtWindow::sendCommand(uint16_t id) {
  if (procedure_ != nullptr && !destroyed_) procedure_->onCommand(*this, id);
}

void QtWindow::close() {
  if (procedure_ == nullptr || destroyed_) return;
  destroyed_ = true;
  releaseCapture();
  procedure_->onDestroy(*this);
  main_->hide();
  if (quitOnClose_) QCoreApplication::exit(0);
}

void QtWindow::closeRequested() { close(); }

void QtWindow::checkMenuItem(uint16_t id, bool checked) {
  checks_[id] = checked;
  if (QAction* a = action(id)) a->setIcon(checked ? checkMarkIcon() : QIcon());
}

bool QtWindow::isMenuItemChecked(uint16_t id) const {
  auto it = checks_.find(id);
  return it != checks_.end() && it->second;
}

QAction* QtWindow::action(uint16_t id) const {
  auto it = actions_.find(id);
  return it == actions_.end() ? nullptr : it->second;
}

int QtWindow::runDialog(uint16_t templateId, DialogProcedure& procedure) {
  const DialogTemplate* t = dialogResource(templateId);
  if (t == nullptr) return -1;
  QtDialog dialog(*t, procedure, main_.get());
  return dialog.run();
}

namespace {

// The filters of a file dialog: each description, with its pattern added in parentheses when
// the description does not show one.
void setNameFilters(QFileDialog& dialog, const std::vector<std::pair<std::string, std::string>>& pairs) {
  QStringList filters;
  for (const auto& [description, pattern] : pairs) {
    const QString d = qs(description);
    filters << (d.contains(QLatin1Char('(')) ? d
                                             : d + QStringLiteral(" (") + qs(pattern) + QStringLiteral(")"));
  }
  if (!filters.isEmpty()) dialog.setNameFilters(filters);
}

}  // namespace

std::optional<std::string> QtWindow::saveFileName(const SaveFileRequest& request) {
  QFileDialog dialog(main_.get(), qs(request.title));
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setFileMode(QFileDialog::AnyFile);
  dialog.setOption(QFileDialog::DontUseNativeDialog, true);
  dialog.setOption(QFileDialog::DontConfirmOverwrite, !request.overwritePrompt);
  setNameFilters(dialog, request.filters);
  if (!request.defaultExtension.empty()) dialog.setDefaultSuffix(qs(request.defaultExtension));
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
  const QByteArray bytes = dialog.selectedFiles().front().toUtf8();
  std::string name = withDefaultExtension(std::string(bytes.constData(), static_cast<size_t>(bytes.size())),
                                          request.defaultExtension);
  if (name.empty() || name.size() + 1 > request.capacity) return std::nullopt;
  return name;
}

std::optional<std::string> QtWindow::openFileName(const OpenFileRequest& request) {
  QFileDialog dialog(main_.get(), qs(request.title));
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  dialog.setFileMode(QFileDialog::ExistingFile);
  dialog.setOption(QFileDialog::DontUseNativeDialog, true);
  setNameFilters(dialog, request.filters);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
  const QByteArray bytes = dialog.selectedFiles().front().toUtf8();
  if (bytes.isEmpty()) return std::nullopt;
  return std::string(bytes.constData(), static_cast<size_t>(bytes.size()));
}

void QtWindow::setCapture() {
  if (!capture_) client_->grabMouse();
  capture_ = true;
}

void QtWindow::releaseCapture() {
  if (capture_) client_->releaseMouse();
  capture_ = false;
}

CursorShape QtWindow::setCursor(CursorShape shape) {
  switch (shape) {
    case CursorShape::kArrow:
      client_->setCursor(Qt::ArrowCursor);
      break;
    case CursorShape::kSizeNS:
      client_->setCursor(Qt::SizeVerCursor);
      break;
    case CursorShape::kSizeNWSE:
      client_->setCursor(Qt::SizeFDiagCursor);
      break;
  }
  return std::exchange(cursor_, shape);
}

void QtWindow::createEditControl(uint16_t id, const std::string& text, const Rect& place) {
  if (edit_ == nullptr) edit_ = new QLineEdit(client_);
  editId_ = id;
  edit_->setText(qs(text));
  moveEditControl(id, place.left, place.top, place.right, place.bottom);
}

void QtWindow::moveEditControl(uint16_t id, int32_t x, int32_t y, int32_t width, int32_t height) {
  if (edit_ == nullptr || id != editId_) return;
  edit_->setGeometry(x, y, std::max(width, 0), std::max(height, 0));
  edit_->setVisible(width > 0 && height > 0);
}

void QtWindow::setEditText(uint16_t id, const std::string& text) {
  if (edit_ != nullptr && id == editId_) edit_->setText(qs(text));
}

std::string QtWindow::editText(uint16_t id, size_t maxChars) const {
  if (edit_ == nullptr || id != editId_ || maxChars == 0) return {};
  const QByteArray bytes = edit_->text().left(static_cast<qsizetype>(maxChars - 1)).toUtf8();
  return std::string(bytes.constData(), static_cast<size_t>(bytes.size()));
}

Rect QtWindow::clientRect() const { return {0, 0, image_.width, image_.height}; }

bool QtWindow::loadBitmap(uint16_t id, Image& out) {
  const ResourceBytes bytes = bitmapResource(id);
  return decodeBmp(bytes.data, bytes.size, out);
}

void QtWindow::mouseDown(int32_t x, int32_t y, uint32_t keys) {
  if (procedure_ != nullptr && !destroyed_) procedure_->onLButtonDown(*this, false, low16(x), low16(y), keys);
}

void QtWindow::mouseMove(int32_t x, int32_t y, uint32_t keys) {
  if (procedure_ != nullptr && !destroyed_) procedure_->onMouseMove(*this, low16(x), low16(y), keys);
}

void QtWindow::mouseUp(int32_t x, int32_t y, uint32_t keys) {
  if (procedure_ != nullptr && !destroyed_) procedure_->onLButtonUp(*this, low16(x), low16(y), keys);
}

void QtWindow::keyDown(uint32_t key) {
  if (procedure_ != nullptr && !destroyed_) procedure_->onKeyDown(*this, key);
}

bool QtWindow::showProgress(const std::string& caption, const std::string& text, uint32_t done,
                            uint32_t total) {
  if (!progress_) {
    progress_ = std::make_unique<QProgressDialog>(main_.get());
    progress_->setWindowTitle(qs(caption));
    progress_->setCancelButtonText(QStringLiteral("Cancel"));
    progress_->setRange(0, 0);  // busy until the total is known
    progress_->setWindowModality(Qt::WindowModal);
    progress_->setMinimumDuration(0);
    progress_->setAutoReset(false);
    progress_->setAutoClose(false);
    progress_->show();
    progressClock_.start();
  }
  std::string label = text;
  if (total > 0) {
    const int bar = static_cast<int>(std::min<uint32_t>(total, 1u << 30));
    progress_->setRange(0, bar);
    progress_->setValue(static_cast<int>(std::min<uint32_t>(done, static_cast<uint32_t>(bar))));
    const std::string left =
        timeLeftText(static_cast<double>(progressClock_.elapsed()) / 1000.0, done, total);
    if (!left.empty()) label += "\n" + left;
  }
  progress_->setLabelText(qs(label));
  // Lets the box paint itself and see a press on its Cancel button.
  QCoreApplication::processEvents();
  return !progress_->wasCanceled();
}

void QtWindow::endProgress() { progress_.reset(); }
