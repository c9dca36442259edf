#include "ui/PickWindow.h"

#include <QEvent>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QScreen>
#include <QWidget>
#include <algorithm>

namespace vi23::ui {

namespace {

class EscapeCloses : public QObject {
public:
    using QObject::QObject;

    // Key presses the window's boxes leave unused reach the window's filter too.
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() != QEvent::KeyPress || static_cast<QKeyEvent*>(event)->key() != Qt::Key_Escape)
            return false;
        static_cast<QWidget*>(watched)->hide();
        return true;
    }
};

// Esc in the box a window was opened beside closes the window first: a click that opened it left the
// keyboard in the box, and under a window manager it stays there.
class EscapeInBoxCloses : public QObject {
public:
    explicit EscapeInBoxCloses(QWidget* window) : QObject(window), window_(window) {}

    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() != QEvent::KeyPress || static_cast<QKeyEvent*>(event)->key() != Qt::Key_Escape
            || !window_->isVisible())
            return false;
        window_->hide();
        return true;
    }

private:
    QWidget* window_;
};

} // namespace

int titledWidth(const QWidget& window)
{
    // A window manager's title bar holds the icon and three buttons beside the title; a narrower window
    // shows "К... рь" for "Календарь". The title is set in bold, in a font of the window's size or so.
    constexpr int kTitleBarButtons = 160;
    QFont bold = window.font();
    bold.setBold(true);
    return QFontMetrics(bold).horizontalAdvance(window.windowTitle()) + kTitleBarButtons;
}

void makePickWindow(QWidget* window)
{
    window->setWindowFlags(Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    window->installEventFilter(new EscapeCloses(window));
}

void closeByEscapeIn(QWidget* window, QWidget* box)
{
    if (!box)
        return;
    // Once per box and window, however often the window is opened from it.
    const QByteArray mark = "vi23EscapeCloses" + window->objectName().toUtf8();
    if (box->property(mark.constData()).toBool())
        return;
    box->setProperty(mark.constData(), true);
    box->installEventFilter(new EscapeInBoxCloses(window));
}

void placeBeside(QWidget* window, const QWidget* box)
{
    if (!box || !box->isVisible())
        return;
    window->ensurePolished();
    // The size the window was made with, not one it was cut to for a box lower on the screen.
    if (!window->property("vi23NaturalSize").isValid())
        window->setProperty("vi23NaturalSize", window->size());
    QSize size = window->property("vi23NaturalSize").toSize().expandedTo(window->minimumSizeHint());
    size.setWidth(std::max(size.width(), titledWidth(*window)));
    const QRect at(box->mapToGlobal(QPoint(0, 0)), box->size());
    const QRect screen = box->screen()->availableGeometry();
    const int frame = std::max(window->frameGeometry().height() - window->geometry().height(), 24);
    // Before its first showing a window's frame is unknown. Without a window manager a move places its
    // inside, and the title bar would cover the box; under one (openbox) it places the frame, and the
    // bottom goes lower by the title bar: room is kept for both.
    const int titleBar = window->geometry().y() - window->frameGeometry().y() > 0 ? 0 : frame;
    const int below = screen.bottom() - at.bottom() - frame - titleBar;
    const int above = at.top() - screen.top() - frame;
    if (size.height() > std::max(below, above))
        size.setHeight(std::max(std::max(below, above), window->minimumSizeHint().height()));
    window->resize(size);
    const int x = std::clamp(at.left(), screen.left(), std::max(screen.left(), screen.right() + 1 - size.width()));
    const int y = size.height() <= below ? at.bottom() + 1 + titleBar
                                         : std::max(screen.top(), at.top() - size.height() - frame);
    window->move(x, y);
}

} // namespace vi23::ui
