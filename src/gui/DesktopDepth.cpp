#include "gui/DesktopDepth.h"

#include <QGuiApplication>
#include <QScreen>

namespace corvid {

int DesktopColorDepthOf(int visualDepth)
{
    return visualDepth == 24 ? 32 : visualDepth;
}

int CurrentDesktopColorDepth()
{
    QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? DesktopColorDepthOf(screen->depth()) : 0;
}

} // namespace corvid
