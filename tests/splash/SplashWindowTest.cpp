#include "tests/splash/BmpBuilder.h"
#include "tests/support/PrivatePulseServer.h"
#include "tests/support/TempDir.h"
#include "tests/support/WaitUntil.h"

#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QThread>
#include <cmath>
#include <functional>
#include <gtest/gtest.h>
#include <memory>

// Xlib last: its macros clash with Qt and GoogleTest.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>

// The splash program on the test's X server with its window manager: where its window
// appears, what it looks like, and how it ends.

namespace {

int ignoreXErrors(Display*, XErrorEvent*)
{
    return 0;
}

QByteArray bytes(const std::vector<std::uint8_t>& data)
{
    return QByteArray(reinterpret_cast<const char*>(data.data()),
                      static_cast<qsizetype>(data.size()));
}

// A 24-bit picture: the top half red, the bottom half blue.
std::vector<std::uint8_t> twoColourPicture(int width, int height)
{
    BmpBuilder b;
    b.width = width;
    b.height = height;
    std::vector<std::vector<std::uint32_t>> rows;
    for (int y = 0; y < height; ++y) // bottom row first
        rows.emplace_back(width, y < height / 2 ? 0x0000ffu : 0xff0000u);
    b.pixels = BmpBuilder::rows(24, rows);
    return b.build();
}

// A large picture in few bytes: an empty run-length stream, all black.
std::vector<std::uint8_t> blackPicture(int width, int height)
{
    BmpBuilder b;
    b.bits = 8;
    b.width = width;
    b.height = height;
    b.compression = 1;
    b.palette = {0};
    b.coloursUsed = 1;
    b.pixels = {0, 1};
    return b.build();
}

// Half a second of a loud tone, mono 16-bit.
QByteArray tone()
{
    const int rate = 22050, frames = rate / 2;
    QByteArray data;
    auto put = [&](std::uint32_t v, int n) {
        for (int i = 0; i < n; ++i)
            data.append(static_cast<char>(v >> (8 * i)));
    };
    data.append("RIFF");
    put(36 + frames * 2, 4);
    data.append("WAVEfmt ");
    put(16, 4);
    put(1, 2);
    put(1, 2);
    put(rate, 4);
    put(rate * 2, 4);
    put(2, 2);
    put(16, 2);
    data.append("data");
    put(frames * 2, 4);
    for (int i = 0; i < frames; ++i)
        put(static_cast<std::uint16_t>(
                static_cast<std::int16_t>(20000 * std::sin(2 * M_PI * 440 * i / rate))),
            2);
    return data;
}

struct Geometry
{
    int x, y;
    unsigned width, height;
};

class SplashWindowTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (qEnvironmentVariableIsEmpty("DISPLAY") || !(display = XOpenDisplay(nullptr)))
            GTEST_SKIP() << "needs an X server (make test provides one)";
        XSetErrorHandler(ignoreXErrors);
        root = DefaultRootWindow(display);
        // Windows created on the server are seen from here, even after their program ended.
        XSelectInput(display, root, SubstructureNotifyMask);
        XSync(display, False);
    }

    void TearDown() override
    {
        for (auto& p : processes)
            if (p->state() != QProcess::NotRunning) {
                p->kill();
                p->waitForFinished();
            }
        if (dock) {
            XDestroyWindow(display, dock);
            XSync(display, False);
            // The next test must find the work area as it was.
            waitUntil([&] { return workArea() == areaBeforeDock; });
        }
        if (display)
            XCloseDisplay(display);
    }

    QString picture(const QString& name, const std::vector<std::uint8_t>& data)
    {
        const QString path = dir.write(name + QStringLiteral(".bmp"), bytes(data));
        return path.left(path.size() - 4);
    }

    QProcess& start(const QStringList& arguments, const QString& pulseServer = {})
    {
        processes.push_back(std::make_unique<QProcess>());
        QProcess& p = *processes.back();
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        if (!pulseServer.isEmpty())
            env.insert(QStringLiteral("PULSE_SERVER"), pulseServer);
        p.setProcessEnvironment(env);
        p.start(qEnvironmentVariable("SARQUEN_PROGRAM_DIR") + QStringLiteral("/splashwin"),
                arguments);
        EXPECT_TRUE(p.waitForStarted());
        return p;
    }

    // The exit code, or -1 when the program did not end normally in time.
    static int exitCode(QProcess& p)
    {
        if (!p.waitForFinished(20000) || p.exitStatus() != QProcess::NormalExit)
            return -1;
        return p.exitCode();
    }

    long property(Window window, const char* name, Atom type, long fallback = -1, long index = 0)
    {
        Atom actual = None;
        int format = 0;
        unsigned long count = 0, after = 0;
        unsigned char* data = nullptr;
        long value = fallback;
        if (XGetWindowProperty(display, window, XInternAtom(display, name, False), index, 1, False,
                               type, &actual, &format, &count, &after, &data) == Success &&
            data) {
            if (format == 32 && count == 1)
                value = reinterpret_cast<long*>(data)[0];
            XFree(data);
        }
        return value;
    }

    std::vector<Atom> atoms(Window window, const char* name)
    {
        Atom actual = None;
        int format = 0;
        unsigned long count = 0, after = 0;
        unsigned char* data = nullptr;
        std::vector<Atom> out;
        if (XGetWindowProperty(display, window, XInternAtom(display, name, False), 0, 64, False,
                               XA_ATOM, &actual, &format, &count, &after, &data) == Success &&
            data) {
            out.assign(reinterpret_cast<Atom*>(data), reinterpret_cast<Atom*>(data) + count);
            XFree(data);
        }
        return out;
    }

    bool has(const std::vector<Atom>& list, const char* name)
    {
        return std::find(list.begin(), list.end(), XInternAtom(display, name, False)) != list.end();
    }

    // The viewable window of the process `pid`, at the top level or inside a frame.
    Window windowOf(qint64 pid)
    {
        Window found = 0;
        std::function<void(Window, int)> look = [&](Window parent, int depth) {
            Window r = 0, p = 0;
            Window* children = nullptr;
            unsigned int count = 0;
            if (!XQueryTree(display, parent, &r, &p, &children, &count))
                return;
            for (unsigned int i = 0; i < count && !found; ++i) {
                XWindowAttributes a;
                if (property(children[i], "_NET_WM_PID", XA_CARDINAL) == pid &&
                    XGetWindowAttributes(display, children[i], &a) && a.map_state == IsViewable)
                    found = children[i];
                else if (depth < 2)
                    look(children[i], depth + 1);
            }
            if (children)
                XFree(children);
        };
        look(root, 0);
        return found;
    }

    Window waitForWindow(QProcess& p)
    {
        Window w = 0;
        waitUntil([&] { return (w = windowOf(p.processId())) != 0; });
        return w;
    }

    Geometry geometry(Window window)
    {
        Window r = 0, child = 0;
        int x = 0, y = 0;
        unsigned int w = 0, h = 0, border = 0, depth = 0;
        XGetGeometry(display, window, &r, &x, &y, &w, &h, &border, &depth);
        XTranslateCoordinates(display, window, root, 0, 0, &x, &y, &child);
        return {x, y, w, h};
    }

    // Left, top, width and height of the work area of the current desktop.
    std::vector<long> workArea()
    {
        const long desktop = property(root, "_NET_CURRENT_DESKTOP", XA_CARDINAL, 0);
        std::vector<long> area;
        for (long i = 0; i < 4; ++i)
            area.push_back(property(root, "_NET_WORKAREA", XA_CARDINAL, -1, desktop * 4 + i));
        return area;
    }

    // A panel along the top of the screen that takes `height` pixels from the work area.
    void reserveTop(long height)
    {
        areaBeforeDock = workArea();
        XSetWindowAttributes a{};
        a.background_pixel = BlackPixel(display, DefaultScreen(display));
        dock = XCreateWindow(display, root, 0, 0, DisplayWidth(display, DefaultScreen(display)),
                             static_cast<unsigned>(height), 0, CopyFromParent, InputOutput,
                             CopyFromParent, CWBackPixel, &a);
        const long type =
            static_cast<long>(XInternAtom(display, "_NET_WM_WINDOW_TYPE_DOCK", False));
        XChangeProperty(display, dock, XInternAtom(display, "_NET_WM_WINDOW_TYPE", False), XA_ATOM,
                        32, PropModeReplace, reinterpret_cast<const unsigned char*>(&type), 1);
        const long strut[12] = {0, 0, height, 0, 0, 0, 0, 0, 0, DisplayWidth(display, 0) - 1, 0, 0};
        XChangeProperty(display, dock, XInternAtom(display, "_NET_WM_STRUT_PARTIAL", False),
                        XA_CARDINAL, 32, PropModeReplace,
                        reinterpret_cast<const unsigned char*>(strut), 12);
        XMapWindow(display, dock);
        XSync(display, False);
    }

    void click(int x, int y, unsigned button = 1)
    {
        XTestFakeMotionEvent(display, DefaultScreen(display), x, y, CurrentTime);
        XTestFakeButtonEvent(display, button, True, CurrentTime);
        XTestFakeButtonEvent(display, button, False, CurrentTime);
        XSync(display, False);
    }

    void clickInside(Window window)
    {
        const Geometry g = geometry(window);
        const int screenWidth = DisplayWidth(display, DefaultScreen(display));
        const int screenHeight = DisplayHeight(display, DefaultScreen(display));
        click(std::clamp(g.x + static_cast<int>(g.width) / 2, 0, screenWidth - 1),
              std::clamp(g.y + static_cast<int>(g.height) / 2, 0, screenHeight - 1));
    }

    void closeRequest(Window window)
    {
        XEvent e{};
        e.xclient.type = ClientMessage;
        e.xclient.window = window;
        e.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
        e.xclient.format = 32;
        e.xclient.data.l[0] = static_cast<long>(XInternAtom(display, "WM_DELETE_WINDOW", False));
        e.xclient.data.l[1] = CurrentTime;
        XSendEvent(display, window, False, NoEventMask, &e);
        XSync(display, False);
    }

    // Whether a window of the given size was created since the last call; the program
    // that made it may have ended already.
    bool windowCreated(unsigned width, unsigned height)
    {
        XSync(display, False);
        bool seen = false;
        while (XPending(display)) {
            XEvent e;
            XNextEvent(display, &e);
            if (e.type == CreateNotify && e.xcreatewindow.width == static_cast<int>(width) &&
                e.xcreatewindow.height == static_cast<int>(height))
                seen = true;
        }
        return seen;
    }

    unsigned long pixel(Window window, int x, int y)
    {
        XImage* image = XGetImage(display, window, x, y, 1, 1, AllPlanes, ZPixmap);
        if (!image)
            return ~0ul;
        const unsigned long p = XGetPixel(image, 0, 0) & 0xffffff;
        XDestroyImage(image);
        return p;
    }

    Display* display = nullptr;
    Window root = 0;
    Window dock = 0;
    std::vector<long> areaBeforeDock;
    TempDir dir;
    std::vector<std::unique_ptr<QProcess>> processes;
};

} // namespace

TEST_F(SplashWindowTest, ShowsThePictureCentredOnTheWorkArea)
{
    reserveTop(64);
    ASSERT_TRUE(waitUntil([&] { return workArea()[1] == 64; })) << "the panel's strut applies";
    const std::vector<long> area = workArea();

    // Odd sizes: the offsets are halved with truncation.
    const QString base = picture(QStringLiteral("intro"), twoColourPicture(201, 101));
    QProcess& p = start({QStringLiteral("600000"), QStringLiteral("0"), base});
    const Window w = waitForWindow(p);
    ASSERT_NE(w, 0u);

    const Geometry g = geometry(w);
    EXPECT_EQ(g.width, 201u);
    EXPECT_EQ(g.height, 101u);
    EXPECT_EQ(g.x, area[0] + (area[2] - 201) / 2);
    EXPECT_EQ(g.y, 64 + (area[3] - 101) / 2);

    // The picture, the right way up, once the window has painted it.
    EXPECT_TRUE(waitUntil([&] { return pixel(w, 0, 0) == 0xff0000; }))
        << std::hex << pixel(w, 0, 0);
    EXPECT_EQ(pixel(w, 200, 49), 0xff0000u);
    EXPECT_EQ(pixel(w, 200, 51), 0x0000ffu);
    EXPECT_EQ(pixel(w, 0, 100), 0x0000ffu);

    // A borderless splash, above the others and out of the taskbar.
    EXPECT_TRUE(has(atoms(w, "_NET_WM_WINDOW_TYPE"), "_NET_WM_WINDOW_TYPE_SPLASH"));
    const std::vector<Atom> state = atoms(w, "_NET_WM_STATE");
    EXPECT_TRUE(has(state, "_NET_WM_STATE_ABOVE"));
    EXPECT_TRUE(has(state, "_NET_WM_STATE_SKIP_TASKBAR"));
    EXPECT_EQ(property(w, "_NET_FRAME_EXTENTS", XA_CARDINAL, 0, 0), 0);
    EXPECT_EQ(property(w, "_NET_FRAME_EXTENTS", XA_CARDINAL, 0, 2), 0);
    Window owner = 0;
    EXPECT_FALSE(XGetTransientForHint(display, w, &owner));

    clickInside(w);
    EXPECT_EQ(exitCode(p), 1);
}

TEST_F(SplashWindowTest, LargerThanTheWorkAreaIsCentredWithNegativeOffsets)
{
    const std::vector<long> area = workArea();
    const int width = static_cast<int>(area[2]) + 121, height = static_cast<int>(area[3]) + 77;
    const QString base = picture(QStringLiteral("big"), blackPicture(width, height));
    QProcess& p = start({QStringLiteral("600000"), base});
    const Window w = waitForWindow(p);
    ASSERT_NE(w, 0u);
    // The window manager first pulls the window onto the screen; the splash moves back.
    waitUntil([&] { return geometry(w).x < 0; });
    const Geometry g = geometry(w);
    EXPECT_EQ(g.width, static_cast<unsigned>(width));
    EXPECT_EQ(g.height, static_cast<unsigned>(height));
    EXPECT_EQ(g.x, area[0] - 60);
    EXPECT_EQ(g.y, area[1] - 38);
    clickInside(w);
    EXPECT_EQ(exitCode(p), 1);
}

TEST_F(SplashWindowTest, TheTimerEndsItWithZero)
{
    const QString base = picture(QStringLiteral("intro"), twoColourPicture(37, 23));
    QProcess& p = start({QStringLiteral("50"), QStringLiteral("0"), base});
    EXPECT_EQ(exitCode(p), 0);
    EXPECT_TRUE(windowCreated(37, 23)) << "the picture was shown before the time ran out";

    // Without the owner field, and with the whole command line as one argument.
    QProcess& q = start({QStringLiteral("50 ") + base});
    EXPECT_EQ(exitCode(q), 0);
    EXPECT_TRUE(windowCreated(37, 23));
}

TEST_F(SplashWindowTest, OnlyTheLeftButtonEndsItWithOne)
{
    const QString base = picture(QStringLiteral("intro"), twoColourPicture(64, 64));
    QProcess& p = start({QStringLiteral("600000"), base});
    const Window w = waitForWindow(p);
    ASSERT_NE(w, 0u);
    const Geometry g = geometry(w);
    click(g.x + 32, g.y + 32, 3);
    click(g.x + 32, g.y + 32, 2);
    // The right and middle buttons went first: had they ended it, the left click would
    // have found no window and the exit code would not be 1.
    ASSERT_TRUE(waitUntil([&] { return windowOf(p.processId()) != 0; }));
    click(g.x + 32, g.y + 32, 1);
    EXPECT_EQ(exitCode(p), 1);
}

TEST_F(SplashWindowTest, ACloseRequestDoesNotEndIt)
{
    const QString base = picture(QStringLiteral("intro"), twoColourPicture(64, 64));
    QProcess& p = start({QStringLiteral("600000"), base});
    const Window w = waitForWindow(p);
    ASSERT_NE(w, 0u);
    closeRequest(w);
    closeRequest(w);
    // The requests reach the program before the click does; the click still finds the
    // window.
    clickInside(w);
    EXPECT_EQ(exitCode(p), 1);
}

TEST_F(SplashWindowTest, ALostConnectionEndsItWithZero)
{
    const QString base = picture(QStringLiteral("intro"), twoColourPicture(64, 64));
    QProcess& p = start({QStringLiteral("600000"), base});
    const Window w = waitForWindow(p);
    ASSERT_NE(w, 0u);
    XKillClient(display, w);
    XSync(display, False);
    EXPECT_EQ(exitCode(p), 0) << "ends normally, without Xlib's own exit code";
}

TEST_F(SplashWindowTest, OwnedByTheGivenWindow)
{
    const Window owner = XCreateSimpleWindow(display, root, 10, 10, 50, 50, 0, 0, 0);
    XSync(display, False);
    const QString base = picture(QStringLiteral("intro"), twoColourPicture(64, 64));
    QProcess& p = start({QStringLiteral("600000"), QString::number(owner), base});
    const Window w = waitForWindow(p);
    ASSERT_NE(w, 0u);
    Window transientFor = 0;
    EXPECT_TRUE(XGetTransientForHint(display, w, &transientFor));
    EXPECT_EQ(transientFor, owner);
    clickInside(w);
    EXPECT_EQ(exitCode(p), 1);

    // An owner that names no window: nothing is shown.
    XDestroyWindow(display, owner);
    windowCreated(0, 0);
    QProcess& q = start({QStringLiteral("600000"), QString::number(owner), base});
    EXPECT_EQ(exitCode(q), 0);
    EXPECT_FALSE(windowCreated(64, 64));
}

TEST_F(SplashWindowTest, StartUpChecksEndItAtOnceWithZero)
{
    const QString base = picture(QStringLiteral("intro"), twoColourPicture(31, 17));
    dir.write(QStringLiteral("broken.bmp"), "BM not a bitmap");
    dir.write(QStringLiteral("broken.wav"), tone());

    // A base path of 255 bytes is taken, one of 256 refused though its files exist.
    const QString prefix = dir.path() + QLatin1Char('/');
    const QString longest = prefix + QString(255 - static_cast<int>(prefix.size()), 'a');
    const QString tooLong = longest + QLatin1Char('a');
    ASSERT_EQ(QFile::encodeName(longest).size(), 255);
    QFile::copy(base + QStringLiteral(".bmp"), longest + QStringLiteral(".bmp"));
    QFile::copy(base + QStringLiteral(".bmp"), tooLong + QStringLiteral(".bmp"));
    QProcess& shown = start({QStringLiteral("20"), longest});
    EXPECT_EQ(exitCode(shown), 0);
    EXPECT_TRUE(windowCreated(31, 17));

    const std::vector<QStringList> refused = {
        {},
        {QStringLiteral("5000")},
        {QStringLiteral("0"), QStringLiteral("0"), base},
        {QStringLiteral("0"), base},
        {QStringLiteral("-5000"), base},
        {QStringLiteral("4294967296"), base},
        {QStringLiteral("5000"), tooLong},
        {QStringLiteral("5000"), dir.file(QStringLiteral("missing"))},
        {QStringLiteral("5000"), dir.file(QStringLiteral("broken"))},
        {QStringLiteral("5000"), dir.path()}, // a folder, no ".bmp"
    };
    for (const QStringList& arguments : refused) {
        SCOPED_TRACE(arguments.join(QLatin1Char(' ')).left(120).toStdString());
        QProcess& p = start(arguments);
        EXPECT_EQ(exitCode(p), 0);
    }
    EXPECT_FALSE(windowCreated(31, 17));
}

TEST_F(SplashWindowTest, PlaysTheSoundBesideThePicture)
{
    PrivatePulseServer server;
    if (server.server().isEmpty())
        GTEST_SKIP() << "no private sound server: " << server.log().toStdString();
    OutputListener listener(server.output(), 10000);
    ASSERT_TRUE(listener.isOpen());

    const QString base = picture(QStringLiteral("intro"), twoColourPicture(64, 64));
    dir.write(QStringLiteral("intro.wav"), tone());
    QProcess& p = start({QStringLiteral("600000"), base}, server.server());
    const Window w = waitForWindow(p);
    ASSERT_NE(w, 0u);
    EXPECT_TRUE(waitUntil([&] { return listener.loudSamples() > 1000; }));
    clickInside(w);
    EXPECT_EQ(exitCode(p), 1);

    // A wave file that is no sound leaves the picture silent but shown.
    dir.write(QStringLiteral("intro.wav"), "RIFF nonsense");
    QProcess& q = start({QStringLiteral("600000"), base}, server.server());
    const Window v = waitForWindow(q);
    ASSERT_NE(v, 0u);
    clickInside(v);
    EXPECT_EQ(exitCode(q), 1);
}
