// SPDX-License-Identifier: MIT
// Positions are kept in twips as the stored placement is; Qt works in device-independent pixels.
#include "qt/hand_over_qt.h"

#include <QComboBox>
#include <QFrame>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLayout>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QStyle>
#include <QTimer>
#include <QVBoxLayout>

#include "app/placement.h"
#include "platform/process.h"
#include "qt/form_binder_qt.h"

namespace korva {

int twips_per_pixel(const QWidget* widget) {
    const QScreen* screen = widget->screen();
    double dpi = screen ? screen->logicalDotsPerInchX() : 96.0;
    int tpp = static_cast<int>(1440.0 / (dpi > 0 ? dpi : 96.0) + 0.5);
    return tpp > 0 ? tpp : 15;
}

namespace {

// How long after showing a window its frame may still be moved into place: the window manager
// frames a new window within a few event-loop rounds.
constexpr int kFrameSettleMs = 1000;
constexpr int kFramePollMs = 10;

// Until the window manager has framed a window (X11 learns the frame only then), Qt places the
// client area where the frame was asked to go, so each close and reopen would climb by the title
// bar's height. Once the frame is known, the window is moved once to where its frame belongs.
class FramePlacer : public QObject {
  public:
    FramePlacer(QWidget* window, QPoint frame_pos)
        : QObject(window), window_(window), frame_pos_(frame_pos) {
        setObjectName(QStringLiteral("frame_placer"));
        window->installEventFilter(this);
    }

  protected:
    // Framing moves no client area, so no event tells when it is done: the frame is looked at
    // until it is known.
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == window_ && event->type() == QEvent::Show && !poll_.isActive()) {
            connect(&poll_, &QTimer::timeout, this, [this] { place_once_framed(); });
            poll_.start(kFramePollMs);
            QTimer::singleShot(kFrameSettleMs, this, &QObject::deleteLater);
        }
        return false;
    }

  private:
    void place_once_framed() {
        if (!window_->isVisible() || window_->frameGeometry() == window_->geometry())
            return;
        // Only the misplacement itself is undone, never a move made since.
        if (window_->windowState() == Qt::WindowNoState &&
            window_->geometry().topLeft() == frame_pos_) {
            window_->move(frame_pos_);
        }
        poll_.stop();
        window_->removeEventFilter(this);
        deleteLater();
    }

    QWidget* window_;
    QPoint frame_pos_;
    QTimer poll_;
};

}  // namespace

void place_frame(QWidget* window, QPoint frame_pos) {
    delete window->findChild<QObject*>(QStringLiteral("frame_placer"), Qt::FindDirectChildrenOnly);
    window->move(frame_pos);
    if (!window->isVisible())
        new FramePlacer(window, frame_pos);
}

namespace {

// The shrink of a hand-over is below what the layout allows. For that moment the layout holds
// still and the window cuts off what no longer fits, as a window of fixed control positions does.
// A minimum of zero is no minimum of our own, so the layout sets its own again afterwards.
void shrink_cutting_off(QWidget* window, int height) {
    if (QLayout* layout = window->layout())
        layout->setEnabled(false);
    window->setMinimumSize(0, 0);
    window->resize(window->width(), height);
}

void restore_after_shrink(QWidget* window, int height) {
    window->resize(window->width(), height);
    if (QLayout* layout = window->layout()) {
        layout->setEnabled(true);
        layout->invalidate();
        layout->activate();
    }
}

}  // namespace

void hand_over(QWidget* from, QWidget* to) {
    const int tpp = twips_per_pixel(from);
    // A maximised or minimised window has no height of its own to shrink; a resize would only
    // take its state away.
    const bool sized = !(from->windowState() & (Qt::WindowMaximized | Qt::WindowMinimized));
    if (sized)
        shrink_cutting_off(from, kHandOverHeightTwips / tpp);
    sleep_ms(500);
    place_frame(to, from->pos());
    to->show();
    from->hide();
    if (sized)
        restore_after_shrink(from, kWindowHeightTwips / tpp);
}

void compact_layouts(QWidget* window) {
    for (QLayout* layout : window->findChildren<QLayout*>()) {
        layout->setSpacing(kCompactSpacing);
        if (!layout->contentsMargins().isNull()) {
            layout->setContentsMargins(kCompactMargin, kCompactMargin, kCompactMargin,
                                       kCompactMargin);
        }
    }
}

void add_tool_selector(QVBoxLayout* root, const char* label_name, const char* selector_name,
                       const char* line_name) {
    auto* top = new QHBoxLayout;
    top->addWidget(named<QLabel>(label_name));
    top->addWidget(named<QComboBox>(selector_name), 1);
    top->addStretch(2);
    root->addLayout(top);
    auto* line = named<QFrame>(line_name);
    line->setFrameShape(QFrame::HLine);
    root->addWidget(line);
}

void add_command_row(QVBoxLayout* root, std::initializer_list<const char*> button_names) {
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    for (const char* name : button_names)
        buttons->addWidget(named<QPushButton>(name));
    root->addLayout(buttons);
}

QSize frame_allowance(const QWidget* window) {
    const QSize framed = window->frameGeometry().size() - window->geometry().size();
    if (framed.width() > 0 || framed.height() > 0)
        return framed;
    const QStyle* style = window->style();
    const int border = style->pixelMetric(QStyle::PM_MdiSubWindowFrameWidth, nullptr, window);
    const int title = style->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, window);
    return {2 * border, title + 2 * border};
}

namespace {

// The window's layout moves, with its widgets, into a scroll area that becomes the window's only
// content; the names stay, so nothing that finds a widget by name notices.
void scroll_contents(QWidget* window) {
    QLayout* layout = window->layout();
    if (!layout || window->findChild<QScrollArea*>(QStringLiteral("screen_fit")))
        return;
    auto* content = new QWidget;
    content->setLayout(layout);
    auto* scroll = new QScrollArea;
    scroll->setObjectName(QStringLiteral("screen_fit"));
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidgetResizable(true);
    scroll->setWidget(content);
    auto* outer = new QVBoxLayout(window);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->addWidget(scroll);
    // Fitted while being shown, the window has shown its children already.
    if (window->isVisible())
        scroll->show();
}

void fit_now(QWidget* window) {
    const QScreen* screen = window->screen();
    if (!screen)
        return;
    const QSize room = screen->availableGeometry().size() - frame_allowance(window);
    const QSize needed = window->minimumSizeHint();
    if (needed.width() > room.width() || needed.height() > room.height())
        scroll_contents(window);
    // A maximum, not a single resize: the tool switch and the selector resize the window again.
    window->setMaximumSize(room);
    window->resize(window->size().boundedTo(room));
}

// Fits the window as it is shown: its layout has then just been worked out for the show, so
// asking for its minimum costs nothing at start-up, and the window is not mapped yet.
class ScreenFit : public QObject {
  public:
    explicit ScreenFit(QWidget* window) : QObject(window) {
        setObjectName(QStringLiteral("screen_fit_filter"));
        window->installEventFilter(this);
    }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Show && watched == parent())
            fit_now(static_cast<QWidget*>(watched));
        return false;
    }
};

}  // namespace

void fit_to_screen(QWidget* window) {
    if (!window->findChild<ScreenFit*>(QStringLiteral("screen_fit_filter"),
                                       Qt::FindDirectChildrenOnly)) {
        new ScreenFit(window);
    }
    if (window->isVisible())
        fit_now(window);
}

void apply_placement(QWidget* window, int left, int top, int width, int height, int window_state) {
    const int tpp = twips_per_pixel(window);
    // The stored position is the frame's, as saving reads it.
    place_frame(window, QPoint(left / tpp, top / tpp));
    window->resize(width / tpp, height / tpp);
    fit_to_screen(window);
    if (window_state == 2)
        window->setWindowState(Qt::WindowMaximized);
    if (window_state == 1)
        window->setWindowState(Qt::WindowMinimized);
}

void restore_placement(QWidget* window, SettingsStore& settings) {
    const int tpp = twips_per_pixel(window);
    const QScreen* primary = QGuiApplication::primaryScreen();
    const QRect primary_px = primary ? primary->geometry() : QRect(0, 0, 1024, 768);
    const int width = primary_px.width() * tpp;
    const int height = primary_px.height() * tpp;
    std::vector<ScreenRect> screens;
    for (const QScreen* screen : QGuiApplication::screens()) {
        const QRect r = screen->geometry();
        screens.push_back({r.x() * tpp, r.y() * tpp, r.width() * tpp, r.height() * tpp});
    }
    const Placement p =
        keep_on_screen(read_placement(settings, width, height), screens, width, height);
    apply_placement(window, p.left, p.top, p.width, p.height, p.window_state);
}

int stored_window_state(const QWidget* window) {
    if (window->isMaximized())
        return 2;
    if (window->isMinimized())
        return 1;
    return 0;
}

}  // namespace korva
