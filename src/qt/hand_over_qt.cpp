// SPDX-License-Identifier: MIT
// Positions are kept in twips as the stored placement is; Qt works in device-independent pixels.
#include "qt/hand_over_qt.h"

#include <QComboBox>
#include <QFrame>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QScreen>
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

void hand_over(QWidget* from, QWidget* to) {
    const int tpp = twips_per_pixel(from);
    from->resize(from->width(), kHandOverHeightTwips / tpp);
    sleep_ms(500);
    to->move(from->pos());
    to->show();
    from->hide();
    from->resize(from->width(), kWindowHeightTwips / tpp);
}

void add_tool_selector(QVBoxLayout* root, const char* label_name, const char* line_name) {
    auto* top = new QHBoxLayout;
    top->addWidget(named<QLabel>(label_name));
    top->addWidget(named<QComboBox>("cb_SelectSoft"), 1);
    top->addStretch(2);
    root->addLayout(top);
    auto* line = named<QFrame>(line_name);
    line->setFrameShape(QFrame::HLine);
    root->addWidget(line);
}

void apply_placement(QWidget* window, int left, int top, int width, int height, int window_state) {
    const int tpp = twips_per_pixel(window);
    // The stored position is the frame's, as saving reads it; move() places the frame.
    window->move(left / tpp, top / tpp);
    window->resize(width / tpp, height / tpp);
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
