// The splash window: the product label and its picture, until a key press or a click on the
// frame hands over to the main window.
#include "windows/splash/frm_splash.h"

#include <QApplication>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>

#include "platform/toolkit/fixed_border.h"
#include "platform/toolkit/twips.h"
#include "platform/toolkit/window_registry.h"
#include "platform/toolkit/window_system.h"
#include "windows/main/tessaro1.h"

using toolkit::twipRect;

// The picture is compiled into a static library, whose resources must be registered by hand.
static void loadPicture()
{
    Q_INIT_RESOURCE(splash);
}

namespace {

constexpr const char* pictureFile = ":/splash/splash.jpg";

// A picture or a label on the frame: clicks on it stop there and do not reach the frame.
template <class Control>
Control* inert(Control* control)
{
    control->setAttribute(Qt::WA_NoMousePropagation);
    return control;
}

QLabel* makePicture(QWidget* parent, const char* name, QRect place, const QPixmap& pixmap)
{
    auto* picture = inert(new QLabel(parent));
    picture->setObjectName(name);
    picture->setGeometry(place);
    picture->setPixmap(pixmap);
    return picture;
}

QLabel* makeCaption(QWidget* parent, const char* name, const char* caption, QRect place, int points,
                    Qt::Alignment alignment)
{
    auto* label = inert(new QLabel(caption, parent));
    label->setObjectName(name);
    label->setGeometry(place);
    label->setFont(QFont("Arial", points, QFont::Bold));
    label->setAlignment(alignment | Qt::AlignTop);
    return label;
}

}  // namespace

frmSplash::frmSplash()
{
    // Untitled, a fixed border, no title-bar buttons, and no entry in the task bar. A dialog
    // rather than a tool window, since window managers do not give a new tool window the
    // keyboard focus, and the splash must take the first key press.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::MSWindowsFixedSizeDialogHint);
    setFixedSize(toolkit::twipSize(7380, 5520));
    toolkit::useFixedBorderOffTaskbar(*this);
    loadPicture();
    buildControls();
    centreOnScreen();
}

void frmSplash::buildControls()
{
    Frame1 = new QGroupBox(this);
    Frame1->setObjectName("Frame1");
    Frame1->setGeometry(twipRect(120, 60, 7080, 5235));
    Frame1->setAutoFillBackground(true);
    Frame1->installEventFilter(this);
    // Decoded once; both controls share the one pixmap.
    const QPixmap picture(pictureFile);
    Image2 = makePicture(Frame1, "Image2", twipRect(4920, 360, 2325, 4590), picture);
    Image1 = makePicture(Frame1, "Image1", twipRect(-360, 360, 2325, 4590), picture);
    lblVersion = makeCaption(Frame1, "lblVersion", "Version 3.0", twipRect(2760, 1320, 1275, 285),
                             12, Qt::AlignRight);
    lblCompanyProduct = makeCaption(Frame1, "lblCompanyProduct", "Tormelin",
                                    twipRect(2160, 705, 2625, 435), 18, Qt::AlignLeft);
}

// On Wayland the compositor places every window and a move would be ignored, so the splash
// goes where the compositor puts it.
void frmSplash::centreOnScreen()
{
    if (toolkit::onWayland()) {
        return;
    }
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    move(screen.center() - rect().center());
}

// The margin around the frame shows the platform's colour for menu text.
void frmSplash::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), QApplication::palette("QMenu").color(QPalette::WindowText));
    toolkit::paintOwnBorder(*this, painter);
}

void frmSplash::keyPressEvent(QKeyEvent* event)
{
    if (!event->text().isEmpty()) {
        handOver();
    }
}

// A click on the frame hands over: a press on it, then the release of that button over it.
bool frmSplash::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != Frame1) {
        return toolkit::Window::eventFilter(watched, event);
    }
    if (event->type() == QEvent::MouseButtonPress) {
        pressedOnFrame_ = static_cast<QMouseEvent*>(event)->button();
        return true;
    }
    if (event->type() == QEvent::MouseButtonRelease) {
        const auto* release = static_cast<QMouseEvent*>(event);
        const bool click = release->button() == pressedOnFrame_ &&
                           Frame1->rect().contains(release->position().toPoint());
        pressedOnFrame_ = Qt::NoButton;
        if (click) {
            handOver();
        }
        return true;
    }
    return toolkit::Window::eventFilter(watched, event);
}

// Shows the main window (creating it lists the devices), then hides and unloads the splash.
void frmSplash::handOver()
{
    toolkit::WindowRegistry::window<tessaro1>().show();
    hide();
    toolkit::WindowRegistry::unload<frmSplash>();
}
