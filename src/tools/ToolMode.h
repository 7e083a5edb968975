#pragma once
// The tool modes the tool buttons choose and the viewports dispatch on
// (Tools::mode). Modes 1 to 6 are the viewport navigation; every other
// mode reaches Tools::Press / Drag / Release.

#include "render/Navigation.h"

namespace corvid {

enum ToolMode : int {
    kModeNone = 0,

    // Navigation (kModePan .. kModeFieldAll, render/Navigation.h): 1 to 6.
    // View operations on the picked object (tools/ViewTools.h): centre the
    // active view on it, centre every viewport, frame it in the active view,
    // frame it in every viewport.
    kModeViewFirst = 7,
    kModeCentreActive = 7,
    kModeCentreAll = 8,
    kModeFrameActive = 9,
    kModeFrameAll = 10,
    kModeViewLast = 10,

    // Transform and selection tools.
    kModeMove = 100,
    kModeRotate = 101,
    kModeScale = 102,
    kModeUniformScale = 103,
    kModeLookAt = 104,
    kModeStopLookAt = 105,
    kModeLightSettings = 106,
    kModeDelete = 107,
    kModeCopy = 108,
    kModeRelax = 109,
    kModeBend = 110,
    kModeTwist = 111,
    kModeBulge = 112,
    kModePull = 113,
    kModeTaper = 114,
    kModePivot = 115,
    kModeOriginToCentre = 116,
    kModeStretch = 117,
    kModeMultiCopy = 118,

    // Booleans (first operand on press, second on release); 203..206 pick
    // the operands and combine nothing.
    kModeBooleanFirst = 200,
    kModeUnion = 200,
    kModeIntersection = 201,
    kModeDifference = 202,
    kModeBooleanLast = 206,

    // Hierarchy.
    kModeAttach = 400,
    kModeInsert = 401,
    kModeExtract = 402,
    kModeFlatten = 403,
    kModeUnlink = 404,

    // Painting (tools/PaintGestures.h): the picked face, the whole object,
    // picking a face's material up, every face with the picked face's material.
    kModePaintFirst = 500,
    kModePaintFace = 500,
    kModePaintObject = 501,
    kModePickUpMaterial = 502,
    kModePaintMatching = 503,
    kModePaintLast = 503,

    // Primitives and the camera.
    kModeSphere = 600,
    kModeSquare = 601,
    kModeCube = 602,
    kModeCylinder = 603,
    kModeSuperEllipsoid = 604,
    kModeSuperToroid = 605,
    kModeCamera = 606,
    kModeCone = 607,

    kModeShadow = 700,

    // Patches.
    kModeBSplinePatch = 800,
    kModeCatmullRomPatch = 802,

    // Lights.
    kModeAmbientLight = 1100,
    kModePointLight = 1101,
    kModeDirectionalLight = 1102,
    kModeSpotLight = 1103,
    kModeParallelPointLight = 1104,

    // Texture-mapping gizmos.
    kModeMappingFirst = 5001,
    kModeMappingLast = 5003,
};

} // namespace corvid
