#include "platform/gl/GlShaders.h"

#include "platform/gl/GlMeshData.h"

#include <epoxy/gl.h>

#include <algorithm>
#include <vector>

namespace corvid {

namespace {

// Everything is computed in eye space, which keeps the layer's handedness:
// the camera sits at the origin looking along +z.
//
// Light model (sums over the lights, each colour clamped at the end):
//   colour = emissive
//          + ambientLight * (material ambient, or the surface colour when the
//                            material's ambient is black)
//          + surface * sum(lightColour * attenuation * cone * max(N.L, 0))
//          + specular * sum(lightColour * attenuation * cone * max(N.H, 0)^power)
// surface = face or vertex colour times the texel. H is the half vector of L
// and the view vector: towards the eye with view-dependent specular, else the
// fixed direction (0, 0, -1). Specular needs a power above 0 and a non-black
// specular colour; it is only added on the lit side (N.L > 0).
constexpr const char* kLightingSource = R"(
uniform vec3 u_lightColor[MAX_LIGHTS];
uniform vec3 u_lightPosition[MAX_LIGHTS];
uniform vec3 u_lightDirection[MAX_LIGHTS];
uniform vec4 u_lightAttenuation[MAX_LIGHTS];
uniform vec2 u_lightCone[MAX_LIGHTS];
uniform vec3 u_objectOrigin;
uniform bool u_localViewer;
uniform bool u_orthographic;
uniform float u_power;

vec3 ViewVector(vec3 p)
{
    return (u_localViewer && !u_orthographic) ? normalize(-p) : vec3(0.0, 0.0, -1.0);
}

// Adds light i arriving along unit vector l (towards the light) with
// strength k.
void AddLight(int i, vec3 n, vec3 v, vec3 l, float k, inout vec3 diffuse, inout vec3 specular)
{
    float ndl = max(dot(n, l), 0.0) * k;
    diffuse += u_lightColor[i] * ndl;
#if SPECULAR
    if (ndl > 0.0)
        specular += u_lightColor[i] * (k * pow(max(dot(n, normalize(l + v)), 0.0), u_power));
#endif
}

// Distance attenuation, zero beyond the range.
float Attenuation(int i, float dist)
{
    vec4 att = u_lightAttenuation[i];
    float den = att.x + dist * (att.y + dist * att.z);
    return (den > 0.0 ? 1.0 / den : 1.0) * step(dist, att.w);
}

// Lights come sorted by type, and the count of each type is built into the
// program, so every loop below has a constant trip count and unrolls.
void Illuminate(vec3 p, vec3 n, out vec3 diffuse, out vec3 specular)
{
    diffuse = vec3(0.0);
    specular = vec3(0.0);
#if SPECULAR
    vec3 v = ViewVector(p);
#else
    vec3 v = vec3(0.0, 0.0, -1.0);
#endif
    const int pointStart = DIRECTIONAL_LIGHTS;
    const int spotStart = pointStart + POINT_LIGHTS;
    const int parallelStart = spotStart + SPOT_LIGHTS;
    for (int i = 0; i < pointStart; ++i)
        AddLight(i, n, v, -u_lightDirection[i], 1.0, diffuse, specular);
    for (int i = pointStart; i < spotStart; ++i) {
        vec3 toLight = u_lightPosition[i] - p;
        float dist = length(toLight);
        AddLight(i, n, v, toLight / max(dist, 1e-6), Attenuation(i, dist), diffuse, specular);
    }
    for (int i = spotStart; i < parallelStart; ++i) {
        vec3 toLight = u_lightPosition[i] - p;
        float dist = length(toLight);
        vec3 l = toLight / max(dist, 1e-6);
        vec2 cone = u_lightCone[i];
        float c = dot(-l, u_lightDirection[i]);
        float spot = clamp((c - cone.y) / max(cone.x - cone.y, 1e-6), 0.0, 1.0);
        AddLight(i, n, v, l, Attenuation(i, dist) * spot, diffuse, specular);
    }
    for (int i = parallelStart; i < parallelStart + PARALLEL_POINT_LIGHTS; ++i) {
        vec3 d = u_lightPosition[i] - u_objectOrigin;
        AddLight(i, n, v, dot(d, d) > 0.0 ? normalize(d) : -u_lightDirection[i], 1.0, diffuse, specular);
    }
}
)";

// Material terms, in whichever stage does the lighting: a surface colour s
// lights to s * scale + add.
constexpr const char* kMaterialSource = R"(
uniform vec3 u_ambientLight;
uniform vec3 u_emissive;
uniform vec3 u_materialAmbient;
uniform bool u_useMaterialAmbient;
uniform vec3 u_specularColor;

void LightTerms(vec3 diffuse, vec3 specular, out vec3 scale, out vec3 add)
{
    scale = diffuse + (u_useMaterialAmbient ? vec3(0.0) : u_ambientLight);
    add = u_emissive + u_specularColor * specular +
          (u_useMaterialAmbient ? u_ambientLight * u_materialAmbient : vec3(0.0));
}
)";

// Varyings are kept to what the variant needs: llvmpipe sets up every one of
// them for every triangle. Gouraud without a texture hands over the finished
// colour.
constexpr const char* kSceneVertexSource = R"(
layout(location = 0) in vec3 a_position;
layout(location = 1) in vec4 a_normal;
layout(location = 2) in vec4 a_color;
layout(location = 3) in vec2 a_texCoord;

uniform mat4 u_modelView;
uniform mat4 u_projection;
uniform mat3 u_normalMatrix;

out vec4 v_color;
#if TEXTURED
out vec2 v_texCoord;
#endif
#if FOG
out float v_depth;
#endif
#if LIGHTING == GOURAUD && TEXTURED
out vec3 v_scale;
out vec3 v_add;
#elif LIGHTING == FLAT || LIGHTING == PHONG
out vec3 v_eyePosition;
out vec3 v_normal;
#endif

void main()
{
    vec4 eye = u_modelView * vec4(a_position, 1.0);
    v_color = a_color;
#if TEXTURED
    v_texCoord = a_texCoord;
#endif
#if FOG
    v_depth = eye.z;
#endif
#if LIGHTING == GOURAUD
    vec3 diffuse, specular, scale, add;
    Illuminate(eye.xyz, normalize(u_normalMatrix * a_normal.xyz), diffuse, specular);
    LightTerms(diffuse, specular, scale, add);
#if TEXTURED
    v_scale = scale;
    v_add = add;
#else
    v_color.rgb = clamp(a_color.rgb * scale + add, 0.0, 1.0);
#endif
#elif LIGHTING != UNLIT
    v_eyePosition = eye.xyz;
    v_normal = u_normalMatrix * a_normal.xyz;
#endif
    gl_Position = u_projection * eye;
}
)";

constexpr const char* kSceneFragmentSource = R"(
in vec4 v_color;
#if TEXTURED
in vec2 v_texCoord;
uniform bool u_decal;
uniform sampler2D u_texture;
#endif
#if FOG
in float v_depth;
uniform float u_fogStart;
uniform float u_fogEnd;
uniform float u_fogDensity;
uniform vec3 u_fogColor;
#endif
#if LIGHTING == GOURAUD && TEXTURED
in vec3 v_scale;
in vec3 v_add;
#elif LIGHTING == FLAT || LIGHTING == PHONG
in vec3 v_eyePosition;
in vec3 v_normal;
#endif

layout(location = 0) out vec4 o_color;

void main()
{
    vec4 surface = v_color;
#if TEXTURED
    vec4 texel = texture(u_texture, v_texCoord);
    if (u_decal && texel.a < 0.5)
        discard;
    surface *= texel;
#endif
    vec3 rgb = surface.rgb;
#if LIGHTING == GOURAUD && TEXTURED
    rgb = surface.rgb * v_scale + v_add;
#elif LIGHTING == FLAT || LIGHTING == PHONG
#if LIGHTING == PHONG
    vec3 n = normalize(v_normal);
#else
    // The plane of the triangle, facing the viewer (back faces are culled).
    vec3 c = cross(dFdx(v_eyePosition), dFdy(v_eyePosition));
    vec3 n = dot(c, c) > 0.0 ? normalize(c) : normalize(v_normal);
    if (dot(n, ViewVector(v_eyePosition)) < 0.0)
        n = -n;
#endif
    vec3 diffuse, specular, scale, add;
    Illuminate(v_eyePosition, n, diffuse, specular);
    LightTerms(diffuse, specular, scale, add);
    rgb = surface.rgb * scale + add;
#endif
#if FOG
    // Share of the surface colour left after fog at eye depth v_depth.
#if FOG == 1
    float f = (u_fogEnd - v_depth) / max(u_fogEnd - u_fogStart, 1e-6);
#elif FOG == 2
    float f = exp(-u_fogDensity * v_depth);
#else
    float t = u_fogDensity * v_depth;
    float f = exp(-t * t);
#endif
    rgb = mix(u_fogColor, clamp(rgb, 0.0, 1.0), clamp(f, 0.0, 1.0));
#endif
    o_color = vec4(clamp(rgb, 0.0, 1.0), surface.a);
}
)";

constexpr const char* kBackgroundVertexSource = R"(#version 330 core
out vec2 v_texCoord;
void main()
{
    // A strip over the whole picture; the image's top row at the top.
    vec2 p = vec2(float(gl_VertexID & 1) * 2.0 - 1.0, float(gl_VertexID >> 1) * 2.0 - 1.0);
    v_texCoord = vec2((p.x + 1.0) * 0.5, (1.0 - p.y) * 0.5);
    gl_Position = vec4(p, 0.0, 1.0);
}
)";

constexpr const char* kBackgroundFragmentSource = R"(#version 330 core
in vec2 v_texCoord;
uniform sampler2D u_texture;
layout(location = 0) out vec4 o_color;
void main()
{
    o_color = vec4(texture(u_texture, v_texCoord).rgb, 1.0);
}
)";

std::string InfoLog(GLuint object, bool isProgram)
{
    GLint length = 0;
    if (isProgram)
        glGetProgramiv(object, GL_INFO_LOG_LENGTH, &length);
    else
        glGetShaderiv(object, GL_INFO_LOG_LENGTH, &length);
    if (length <= 1)
        return {};
    std::vector<char> log(static_cast<size_t>(length));
    if (isProgram)
        glGetProgramInfoLog(object, length, nullptr, log.data());
    else
        glGetShaderInfoLog(object, length, nullptr, log.data());
    return std::string(log.data());
}

GLuint Compile(GLenum stage, const std::string& source, std::string* error)
{
    GLuint shader = glCreateShader(stage);
    if (!shader) {
        if (error)
            *error = "cannot create a shader object";
        return 0;
    }
    const char* text = source.c_str();
    glShaderSource(shader, 1, &text, nullptr);
    glCompileShader(shader);
    GLint ok = GL_FALSE;
    glGetShaderiv(shader, GL_COMPILE_STATUS, &ok);
    if (!ok) {
        if (error)
            *error = std::string(stage == GL_VERTEX_SHADER ? "vertex" : "fragment") +
                     " shader does not compile: " + InfoLog(shader, false);
        glDeleteShader(shader);
        return 0;
    }
    return shader;
}

} // namespace

unsigned LinkProgram(const std::string& vertexSource, const std::string& fragmentSource, std::string* error)
{
    GLuint vs = Compile(GL_VERTEX_SHADER, vertexSource, error);
    if (!vs)
        return 0;
    GLuint fs = Compile(GL_FRAGMENT_SHADER, fragmentSource, error);
    if (!fs) {
        glDeleteShader(vs);
        return 0;
    }
    GLuint program = glCreateProgram();
    glAttachShader(program, vs);
    glAttachShader(program, fs);
    glBindAttribLocation(program, kAttribPosition, "a_position");
    glBindAttribLocation(program, kAttribNormal, "a_normal");
    glBindAttribLocation(program, kAttribColor, "a_color");
    glBindAttribLocation(program, kAttribTexCoord, "a_texCoord");
    glLinkProgram(program);
    glDetachShader(program, vs);
    glDetachShader(program, fs);
    glDeleteShader(vs);
    glDeleteShader(fs);
    GLint ok = GL_FALSE;
    glGetProgramiv(program, GL_LINK_STATUS, &ok);
    if (!ok) {
        if (error)
            *error = "shader program does not link: " + InfoLog(program, true);
        glDeleteProgram(program);
        return 0;
    }
    return program;
}

unsigned BuildSceneProgram(const GlSceneProgramOptions& options, std::string* error)
{
    const GlLightCounts& lights = options.lights;
    const bool lit = options.lighting != GlLighting::Unlit;
    const int total = lights.directional + lights.point + lights.spot + lights.parallelPoint;
    if (lit && (lights.directional < 0 || lights.point < 0 || lights.spot < 0 || lights.parallelPoint < 0 ||
                total > kGlMaxLights)) {
        if (error)
            *error = "a program can take at most " + std::to_string(kGlMaxLights) + " lights";
        return 0;
    }
    auto define = [](const char* name, int value) {
        return std::string("#define ") + name + " " + std::to_string(value) + "\n";
    };
    const std::string header = "#version 330 core\n#define UNLIT 0\n#define FLAT 1\n#define GOURAUD 2\n#define PHONG 3\n" +
                               define("LIGHTING", static_cast<int>(options.lighting)) +
                               define("MAX_LIGHTS", kGlMaxLights) +
                               define("DIRECTIONAL_LIGHTS", lit ? lights.directional : 0) +
                               define("POINT_LIGHTS", lit ? lights.point : 0) +
                               define("SPOT_LIGHTS", lit ? lights.spot : 0) +
                               define("PARALLEL_POINT_LIGHTS", lit ? lights.parallelPoint : 0) +
                               define("TEXTURED", options.textured ? 1 : 0) +
                               define("SPECULAR", lit && options.specular ? 1 : 0) +
                               define("FOG", std::clamp(options.fog, 0, 3));
    const bool vertexLit = options.lighting == GlLighting::Gouraud;
    const bool fragmentLit = options.lighting == GlLighting::Flat || options.lighting == GlLighting::Phong;
    const std::string lighting = std::string(kLightingSource) + kMaterialSource;
    const std::string vs = header + (vertexLit ? lighting : std::string()) + kSceneVertexSource;
    const std::string fs = header + (fragmentLit ? lighting : std::string()) + kSceneFragmentSource;
    return LinkProgram(vs, fs, error);
}

unsigned BuildBackgroundProgram(std::string* error)
{
    return LinkProgram(kBackgroundVertexSource, kBackgroundFragmentSource, error);
}

} // namespace corvid
