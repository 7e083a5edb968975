#pragma once
// Shared pieces of the GUI test programs: a main() that prepares Qt for
// OpenGL and refuses to run without an X server, and picture measurements.

#include "gui/EditorShell.h"
#include "gui/MainWindow.h"
#include "gui/ViewportWidget.h"
#include "platform/Device.h"
#include "platform/Frame.h"
#include "render/Picking.h"
#include "app/Editor.h"

#include <QApplication>
#include <QImage>
#include <QRect>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>

#include <cstdio>
#include <cstdlib>

namespace corvid::test {

// What a picture holds, ignoring a border of margin pixels (the viewport's
// edge and corner button).
struct PictureStats {
    int colours = 0;           // distinct RGB values
    double backgroundShare = 0;  // of pixels equal to the background
    QRect content;             // bounding box of the other pixels
};

inline PictureStats Measure(const QImage& image, QRgb background, int margin = 24)
{
    PictureStats stats;
    QSet<QRgb> colours;
    long total = 0, backgroundPixels = 0;
    const QImage picture = image.convertToFormat(QImage::Format_RGB32);
    for (int y = margin; y < picture.height() - margin; ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(picture.constScanLine(y));
        for (int x = margin; x < picture.width() - margin; ++x) {
            const QRgb pixel = row[x] & 0xFFFFFFu;
            colours.insert(pixel);
            ++total;
            if (pixel == (background & 0xFFFFFFu))
                ++backgroundPixels;
            else
                stats.content |= QRect(x, y, 1, 1);
        }
    }
    stats.colours = static_cast<int>(colours.size());
    stats.backgroundShare = total ? static_cast<double>(backgroundPixels) / static_cast<double>(total) : 0.0;
    return stats;
}

// True when the two boxes agree to within tolerance of size (a fraction).
inline bool SimilarBox(const QRect& a, const QRect& b, const QSize& size, double tolerance)
{
    const double dx = tolerance * size.width(), dy = tolerance * size.height();
    return std::abs(a.left() - b.left()) <= dx && std::abs(a.right() - b.right()) <= dx &&
           std::abs(a.top() - b.top()) <= dy && std::abs(a.bottom() - b.bottom()) <= dy;
}

// Starts the editor (hooks set on its Ui beforehand stay) and waits, up to
// waitMs each, for its start-up to finish and viewport 1 to show its first
// picture. False when either does not happen.
inline bool StartEditor(EditorShell& shell, int waitMs)
{
    if (!shell.Start({}) || !QTest::qWaitFor([&] { return shell.StartupFinished(); }, waitMs))
        return false;
    ViewportWidget* viewport = shell.GetMainWindow()->Viewport(1);
    return viewport && QTest::qWaitFor([&] { return viewport->PresentCount() > 0; }, waitMs);
}

// StartEditor, then the main window made the active one, so that key presses
// and shortcuts reach it. False when it does not become active.
inline bool StartEditorActive(EditorShell& shell, int waitMs)
{
    if (!StartEditor(shell, waitMs))
        return false;
    shell.GetMainWindow()->activateWindow();
    return QTest::qWaitForWindowActive(shell.GetMainWindow());
}

// Where a point given relative to SCENE shows in viewport 1, in the
// widget's own coordinates (render-surface pixels scaled by the detail
// level to window pixels first).
inline QPoint Viewport1PointOf(Editor& editor, ViewportWidget& viewport, const Vec3& point)
{
    editor.views.ActivateView(1);
    ViewRecord& view = editor.views.Viewport(1);
    Device* device = view.device.get();
    const ScreenMapping mapping(editor.scene.ActiveCamera()->GetTransform(editor.scene.Scene().get()), view.Parameters(),
                                device->GetWidth(), device->GetHeight());
    const ScreenPoint s = mapping.Transform(point);
    const double toWindow = 100.0 / view.detail;
    return viewport.FromWindowPixels(static_cast<int>(s.x / s.w * toWindow + 0.5),
                                     static_cast<int>(s.y / s.w * toWindow + 0.5));
}

} // namespace corvid::test

// A QtTest main for tests that need an X server and OpenGL widgets.
#define CORVID_GUI_TEST_MAIN(TestClass)                                                                  \
    int main(int argc, char** argv)                                                                     \
    {                                                                                                   \
        if (!std::getenv("DISPLAY") && !std::getenv("WAYLAND_DISPLAY")) {                               \
            std::fprintf(stderr, "%s needs an X server: run it under xvfb-run -a\n", argv[0]);          \
            return 1;                                                                                   \
        }                                                                                               \
        corvid::PrepareQtForOpenGl();                                                                   \
        QApplication app(argc, argv);                                                                   \
        /* Autosaves and converted textures of this run stay in its own folders. */                      \
        QTemporaryDir home;                                                                             \
        qputenv("XDG_STATE_HOME", (home.path() + "/state").toUtf8());                                   \
        qputenv("XDG_CACHE_HOME", (home.path() + "/cache").toUtf8());                                   \
        TestClass test;                                                                                 \
        return QTest::qExec(&test, argc, argv);                                                         \
    }
