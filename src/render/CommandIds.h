#pragma once
// Command ids of the viewport popup menus and of the main-menu items the view
// code manages, with the tables that tie ids to values.

#include <array>

namespace corvid {

// --- render states (the same ids in all four viewport menus) ---------------
constexpr int kCmdTextureNearest = 33018;
constexpr int kCmdTextureLinear = 33017;
constexpr int kCmdTextureMipNearest = 33020;
constexpr int kCmdTextureMipLinear = 33019;
constexpr int kCmdTextureLinearMipNearest = 33022;
constexpr int kCmdTextureLinearMipLinear = 33021;
// Indexed by texture quality 0..5.
constexpr std::array<int, 6> kTextureQualityCommands{kCmdTextureNearest, kCmdTextureLinear, kCmdTextureMipNearest,
                                                     kCmdTextureMipLinear, kCmdTextureLinearMipNearest,
                                                     kCmdTextureLinearMipLinear};

constexpr int kCmdShadeFlat = 32973;
constexpr int kCmdShadeGouraud = 32974;
constexpr int kCmdShadePhong = 32975;
constexpr std::array<int, 3> kShadeCommands{kCmdShadeFlat, kCmdShadeGouraud, kCmdShadePhong};  // shade 0, 1, 2

constexpr int kCmdFillSolid = 32982;
constexpr int kCmdFillWireframe = 32983;
constexpr int kCmdFillPoints = 32984;
constexpr std::array<int, 3> kFillCommands{kCmdFillSolid, kCmdFillWireframe, kCmdFillPoints};

constexpr int kCmdLightsOn = 32976;
constexpr int kCmdLightsOff = 32977;
constexpr std::array<int, 2> kLightCommands{kCmdLightsOn, kCmdLightsOff};

constexpr int kCmdDither = 33029;
constexpr int kCmdAsync = 33038;
constexpr int kCmdPerspectiveCorrect = 33027;

constexpr int kCmdZDepth8 = 33034;
constexpr int kCmdZDepth16 = 33035;
constexpr int kCmdZDepth24 = 33036;
constexpr int kCmdZDepth32 = 33037;
constexpr std::array<int, 4> kZDepthCommands{kCmdZDepth8, kCmdZDepth16, kCmdZDepth24, kCmdZDepth32};
constexpr std::array<int, 4> kZDepths{8, 16, 24, 32};

constexpr int kCmdDetail100 = 32988;
constexpr int kCmdDetail75 = 32989;
constexpr int kCmdDetail50 = 32991;
constexpr int kCmdDetail25 = 32993;
constexpr std::array<int, 4> kDetailCommands{kCmdDetail100, kCmdDetail75, kCmdDetail50, kCmdDetail25};
constexpr std::array<int, 4> kDetailLevels{100, 75, 50, 25};

// Driver items: kCmdDriverBase + driver index 0..4.
constexpr int kCmdDriverBase = 1111;
constexpr int kMaxDrivers = 5;

// --- full screen and capture -------------------------------------------------
constexpr int kCmdFullScreenViewport1 = 33082;  // "Fullscreen mode ..." in VIEWPORT_1
constexpr int kCmdFullScreenOther = 32996;      // the same item in the other three
constexpr int kCmdFullScreenDepth32 = 33004;
constexpr int kCmdFullScreenDepth24 = 33005;  // no menu item carries it
constexpr int kCmdFullScreenDepth16 = 33006;
constexpr int kCmdVSync = 33059;
constexpr int kCmdSaveImage = 33060;
constexpr int kCmdSaveAvi = 33061;

struct FullScreenResolution {
    const char* text;  // the menu text, spacing included
    int command;
    int width, height;
};
constexpr int kResolutionCount = 13;
constexpr std::array<FullScreenResolution, kResolutionCount> kFullScreenResolutions{{
    {"1900  x  1200", 33052, 1900, 1200},
    {"1800  x  1440", 33053, 1800, 1440},
    {"1600  x  1200", 33054, 1600, 1200},
    {"1280  x  1024", 33055, 1280, 1024},
    {"1152  x  864", 33050, 1152, 864},
    {"1024  x  768", 33056, 1024, 768},
    {"800    x  600", 33057, 800, 600},
    {"640    x  480", 33058, 640, 480},
    {"640    x  400", 33051, 640, 400},
    {"512    x  384", 33047, 512, 384},
    {"400    x  300", 33048, 400, 300},
    {"320    x  240", 33010, 320, 240},
    {"320    x  200", 33049, 320, 200},
}};

// --- standard views ------------------------------------------------------------
// Slots of the per-viewport camera, field and projection tables.
enum StandardView : int {
    kViewPerspective = 0,
    kViewTop = 1,
    kViewBottom = 2,
    kViewLeft = 3,
    kViewRight = 4,
    kViewFront = 5,
    kViewBack = 6,
    kViewObject = 7,  // Object, User Camera and User Light
};
constexpr int kStandardViewCount = 8;

// The view command ids of each viewport menu, indexed [viewport 1..4 - 1][slot].
constexpr std::array<std::array<int, kStandardViewCount>, 4> kViewCommands{{
    // Perspective, Top, Bottom, Left, Right, Front, Back, Object
    {32898, 32899, 32903, 32901, 32902, 32900, 32904, 32905},
    {32926, 32927, 32925, 32929, 32930, 32928, 32931, 32932},
    {32934, 32935, 32939, 32937, 32938, 32936, 32940, 32941},
    {32943, 32944, 32948, 32946, 32947, 32945, 32949, 32950},
}};

// --- main menu -----------------------------------------------------------------
constexpr int kCmdExit = 2;
constexpr int kCmdNewScene = 32874;
constexpr int kCmdLoad = 32912;
constexpr int kCmdSaveSceneAs = 32913;
constexpr int kCmdUndo = 57643;
constexpr int kCmdRedo = 57644;
constexpr std::array<int, 4> kViewportMenuCommands{33075, 33076, 33077, 33079};  // "Viewport n Menu ..."
constexpr int kCmdCameraLight = 33039;
constexpr int kCmdHelp = 32923;
constexpr int kCmdAboutCorvid = 33067;
constexpr int kCmdAboutMaker = 33081;
constexpr int kCmdWebLink = 33068;

} // namespace corvid
