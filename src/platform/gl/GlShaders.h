#pragma once
// GLSL 330 core sources of the renderer and the helper that builds programs
// from them. Program names are plain unsigned ints (GLuint) so this header
// needs no GL header.

#include <string>

namespace corvid {

// How a program lights its fragments.
enum class GlLighting {
    Unlit = 0,    // the face (or vertex) colour as it is, times the texture
    Flat = 1,     // per pixel, with the face normal from screen derivatives
    Gouraud = 2,  // per vertex, interpolated
    Phong = 3,    // per pixel, with the interpolated vertex normal
};
constexpr int kGlLightingVariants = 4;

// The most lights (other than ambient ones, which are summed) one draw sees.
constexpr int kGlMaxLights = 16;

// How many lights of each type a scene program handles. Its light uniforms
// hold the directional lights first, then the point, spot and parallel-point
// lights; the counts are compiled in, so the lighting loops unroll.
struct GlLightCounts {
    int directional = 0;
    int point = 0;
    int spot = 0;
    int parallelPoint = 0;
    bool operator==(const GlLightCounts&) const = default;
};

// What a scene program is built for. Everything here is compiled in, so a
// program does only the work its draws need.
struct GlSceneProgramOptions {
    GlLighting lighting = GlLighting::Unlit;
    GlLightCounts lights;  // ignored when unlit
    bool textured = false;
    bool specular = false;  // a material with a power and a specular colour
    int fog = 0;  // 0 none, 1 linear, 2 exponential, 3 exponential squared
};

// The scene program for options; 0 and a message in error when compiling or
// linking fails or there are more than kGlMaxLights lights.
unsigned BuildSceneProgram(const GlSceneProgramOptions& options, std::string* error);

// A screen-filling textured quad (the background image); 0 on failure.
unsigned BuildBackgroundProgram(std::string* error);

// Compiles and links a vertex/fragment pair. The attribute locations of
// GlVertex are bound before linking. 0 and a message (with the info log) in
// error on failure.
unsigned LinkProgram(const std::string& vertexSource, const std::string& fragmentSource, std::string* error);

} // namespace corvid
