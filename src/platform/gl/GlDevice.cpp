#include "platform/gl/GlDevice.h"

#include "platform/Frame.h"
#include "platform/Light.h"
#include "platform/Material.h"
#include "platform/MeshBuilder.h"
#include "platform/Texture.h"
#include "platform/gl/GlMeshData.h"
#include "platform/gl/GlProjection.h"
#include "platform/gl/GlShaders.h"

#include <epoxy/gl.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>
#include <cstring>
#include <unordered_map>
#include <utility>
#include <vector>

namespace corvid {

namespace {

// Cache entries not drawn for this many renders are released (they come back
// with a new upload if drawn again).
constexpr uint64_t kKeepUnseenRenders = 8;

enum Uniform : int {
    kModelView,
    kProjection,
    kNormalMatrix,
    kLightColor,
    kLightPosition,
    kLightDirection,
    kLightAttenuation,
    kLightCone,
    kObjectOrigin,
    kLocalViewer,
    kOrthographic,
    kPower,
    kDecal,
    kTextureUnit,
    kAmbientLight,
    kEmissive,
    kMaterialAmbient,
    kUseMaterialAmbient,
    kSpecularColor,
    kFogStart,
    kFogEnd,
    kFogDensity,
    kFogColor,
    kUniformCount
};

constexpr std::array<const char*, kUniformCount> kUniformNames = {
    "u_modelView",     "u_projection",      "u_normalMatrix",       "u_lightColor",     "u_lightPosition",
    "u_lightDirection", "u_lightAttenuation", "u_lightCone",         "u_objectOrigin",   "u_localViewer",
    "u_orthographic",  "u_power",           "u_decal",
    "u_texture",       "u_ambientLight",    "u_emissive",           "u_materialAmbient", "u_useMaterialAmbient",
    "u_specularColor", "u_fogStart",           "u_fogEnd",         "u_fogDensity",
    "u_fogColor",
};

struct Program {
    GLuint id = 0;
    std::array<GLint, kUniformCount> loc{};
    uint64_t renderStamp = 0;  // the Render whose scene-wide uniforms it holds
};

struct MeshEntry {
    std::weak_ptr<MeshBuilder> owner;
    uint64_t revision = 0;
    ColorSource source = ColorSource::Face;
    GLuint vao = 0, vbo = 0, ebo = 0, edgeEbo = 0, sortEbo = 0;
    GLsizeiptr sortCapacity = 0;
    bool edgesBuilt = false;
    uint32_t vertexCount = 0;
    uint32_t indexCount = 0;
    std::vector<GlBatch> batches;
    bool hasTransparency = false;
    // For back-to-front sorting: the see-through triangles of every batch in
    // batch order (three indices each) and the centre of each.
    std::vector<uint32_t> transparentIndices;
    std::vector<Vec3> centroids;
    Vec3 transparentCentre;
    uint64_t lastSeen = 0;
};

struct TextureEntry {
    std::weak_ptr<Texture> owner;
    uint64_t revision = 0;
    GLuint name = 0;
    bool mipmaps = false;
    GLint minFilter = -1;
    GLint magFilter = -1;
    uint64_t lastSeen = 0;
};

// The lights of a Render in eye space, sorted by type as the programs expect.
struct PreparedLights {
    GlLightCounts counts;
    std::array<float, kGlMaxLights * 3> color{};
    std::array<float, kGlMaxLights * 3> position{};
    std::array<float, kGlMaxLights * 3> direction{};
    std::array<float, kGlMaxLights * 4> attenuation{};
    std::array<float, kGlMaxLights * 2> cone{};
    std::array<float, 3> ambient{};
};

struct DrawItem {
    MeshEntry* entry = nullptr;
    const MeshBuilder* mesh = nullptr;
    bool depthTested = true;
    unsigned quality = 0;
    Matrix4 modelView;
    float depth = 0.0f;  // eye z of the see-through part's centre
};

enum class Pass { Opaque, Transparent };

void DrainErrors()
{
    for (int i = 0; i < 64 && glGetError() != GL_NO_ERROR; ++i) {
    }
}

int ClampShade(unsigned q)
{
    return std::min<int>(static_cast<int>(q & kShadeMask), kShadePhong);
}

unsigned ClampFill(unsigned q)
{
    const unsigned fill = q & kFillMask;
    return fill >= kFillSolid ? kFillSolid : (fill >= kFillWireframe ? kFillWireframe : kFillPoints);
}

GLenum DepthFormat(int bits)
{
    if (bits <= 16)
        return GL_DEPTH_COMPONENT16;
    if (bits <= 24)
        return GL_DEPTH_COMPONENT24;
    return GL_DEPTH_COMPONENT32;
}

// The 3x3 part of m, inverted, row-major (for row vectors: n' = n * inverse^T,
// which a column-vector shader gets by loading this with transpose on).
std::array<float, 9> NormalMatrix(const Matrix4& m, float* determinant)
{
    const auto& a = m.m;
    const float c00 = a[1][1] * a[2][2] - a[1][2] * a[2][1];
    const float c01 = a[1][2] * a[2][0] - a[1][0] * a[2][2];
    const float c02 = a[1][0] * a[2][1] - a[1][1] * a[2][0];
    const float det = a[0][0] * c00 + a[0][1] * c01 + a[0][2] * c02;
    *determinant = det;
    if (!(std::fabs(det) > 1e-20f) || !std::isfinite(det))
        return {1, 0, 0, 0, 1, 0, 0, 0, 1};
    const float s = 1.0f / det;
    return {c00 * s,
            (a[0][2] * a[2][1] - a[0][1] * a[2][2]) * s,
            (a[0][1] * a[1][2] - a[0][2] * a[1][1]) * s,
            c01 * s,
            (a[0][0] * a[2][2] - a[0][2] * a[2][0]) * s,
            (a[0][2] * a[1][0] - a[0][0] * a[1][2]) * s,
            c02 * s,
            (a[0][1] * a[2][0] - a[0][0] * a[2][1]) * s,
            (a[0][0] * a[1][1] - a[0][1] * a[1][0]) * s};
}

float EyeDepth(const Vec3& p, const Matrix4& mv)
{
    return p.x * mv.m[0][2] + p.y * mv.m[1][2] + p.z * mv.m[2][2] + mv.m[3][2];
}

bool NonBlack(const Vec3& c)
{
    return c.x > 0.0f || c.y > 0.0f || c.z > 0.0f;
}

// Specular light needs a power above 0 and a specular colour.
bool HasSpecular(const Material* m)
{
    return m && m->GetPower() > 0.0f && NonBlack(m->GetSpecular());
}

} // namespace

unsigned EffectiveQuality(unsigned meshQuality, unsigned deviceQuality)
{
    const unsigned shade = static_cast<unsigned>(std::min(ClampShade(meshQuality), ClampShade(deviceQuality)));
    const unsigned fill = std::min(ClampFill(meshQuality), ClampFill(deviceQuality));
    const bool lit = (meshQuality & kLightOn) && (deviceQuality & kLightOn);
    return shade | fill | (lit ? kLightOn : kLightOff);
}

// ---------------------------------------------------------------------------

struct GlDevice::Impl {
    int width = 0, height = 0;
    int requestedDepthBits = 24;
    int depthBits = 0;
    GLuint fbo = 0, colorRb = 0, depthRb = 0;
    // Scene programs by lighting variant and light counts (see ProgramKey),
    // built when first needed.
    std::unordered_map<uint32_t, Program> programs;
    std::string lastError;
    GLuint backgroundProgram = 0;
    GLint backgroundTextureLoc = -1;
    GLuint emptyVao = 0;
    GLuint backgroundSampler = 0;

    unsigned quality = kShadePhong | kLightOn | kFillSolid;
    int shades = 32;
    bool dither = true;
    unsigned renderMode = kDefaultRenderMode;
    TextureQuality textureQuality = TextureQuality::Nearest;

    std::unordered_map<const MeshBuilder*, MeshEntry> meshes;
    std::unordered_map<const Texture*, TextureEntry> textures;
    uint64_t renderStamp = 0;
    Statistics stats;
    std::vector<uint8_t> readBack;  // ReadPixels' bottom-up rows

    // Per Render.
    Matrix4 projection;
    bool orthographic = false;
    PreparedLights lights;
    SceneProperties fog;
    int fogMode = 0;  // as GlSceneProgramOptions::fog
    GLuint currentProgram = 0;
    std::vector<uint32_t> sortScratch;
    std::vector<std::pair<float, uint32_t>> orderScratch;

    ~Impl()
    {
        for (auto& [key, entry] : meshes)
            ReleaseMesh(entry);
        for (auto& [key, entry] : textures)
            glDeleteTextures(1, &entry.name);
        for (auto& [key, p] : programs)
            glDeleteProgram(p.id);
        if (backgroundProgram)
            glDeleteProgram(backgroundProgram);
        if (emptyVao)
            glDeleteVertexArrays(1, &emptyVao);
        if (backgroundSampler)
            glDeleteSamplers(1, &backgroundSampler);
        DeleteSurface();
    }

    // --- surface ----------------------------------------------------------------

    void DeleteSurface()
    {
        if (fbo)
            glDeleteFramebuffers(1, &fbo);
        if (colorRb)
            glDeleteRenderbuffers(1, &colorRb);
        if (depthRb)
            glDeleteRenderbuffers(1, &depthRb);
        fbo = colorRb = depthRb = 0;
    }

    // Makes a surface of w x h; on success replaces the current one.
    bool MakeSurface(int w, int h, std::string* error)
    {
        GLint previous = 0;
        glGetIntegerv(GL_FRAMEBUFFER_BINDING, &previous);
        DrainErrors();
        GLuint newFbo = 0, newColor = 0, newDepth = 0;
        glGenFramebuffers(1, &newFbo);
        glGenRenderbuffers(1, &newColor);
        glGenRenderbuffers(1, &newDepth);
        glBindRenderbuffer(GL_RENDERBUFFER, newColor);
        glRenderbufferStorage(GL_RENDERBUFFER, GL_RGBA8, w, h);
        glBindFramebuffer(GL_FRAMEBUFFER, newFbo);
        glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, newColor);

        // 32-bit integer depth is not a required format; float depth is.
        std::vector<GLenum> formats{DepthFormat(requestedDepthBits)};
        if (formats[0] == GL_DEPTH_COMPONENT32)
            formats.push_back(GL_DEPTH_COMPONENT32F);
        bool complete = false;
        for (GLenum format : formats) {
            DrainErrors();
            glBindRenderbuffer(GL_RENDERBUFFER, newDepth);
            glRenderbufferStorage(GL_RENDERBUFFER, format, w, h);
            glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, newDepth);
            if (glGetError() == GL_NO_ERROR && glCheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE) {
                complete = true;
                break;
            }
        }
        GLint bits = 0;
        if (complete)
            glGetRenderbufferParameteriv(GL_RENDERBUFFER, GL_RENDERBUFFER_DEPTH_SIZE, &bits);
        glBindRenderbuffer(GL_RENDERBUFFER, 0);
        glBindFramebuffer(GL_FRAMEBUFFER, static_cast<GLuint>(previous));
        if (!complete) {
            glDeleteFramebuffers(1, &newFbo);
            glDeleteRenderbuffers(1, &newColor);
            glDeleteRenderbuffers(1, &newDepth);
            if (error)
                *error = "cannot create a " + std::to_string(w) + "x" + std::to_string(h) +
                         " render surface with a " + std::to_string(requestedDepthBits) + "-bit depth buffer";
            return false;
        }
        DeleteSurface();
        fbo = newFbo;
        colorRb = newColor;
        depthRb = newDepth;
        width = w;
        height = h;
        depthBits = bits;
        return true;
    }

    static uint32_t ProgramKey(const GlSceneProgramOptions& o)
    {
        uint32_t key = static_cast<uint32_t>(o.lighting) << 23 | (o.textured ? 1u : 0u) << 22 |
                       static_cast<uint32_t>(o.fog) << 20;
        if (o.lighting != GlLighting::Unlit && o.specular)
            key |= 1u << 25;
        if (o.lighting != GlLighting::Unlit)
            key |= static_cast<uint32_t>(o.lights.directional) << 15 | static_cast<uint32_t>(o.lights.point) << 10 |
                   static_cast<uint32_t>(o.lights.spot) << 5 | static_cast<uint32_t>(o.lights.parallelPoint);
        return key;
    }

    Program* BuildProgram(const GlSceneProgramOptions& options, std::string* error)
    {
        Program p;
        p.id = BuildSceneProgram(options, error);
        if (!p.id)
            return nullptr;
        for (int u = 0; u < kUniformCount; ++u)
            p.loc[static_cast<size_t>(u)] = glGetUniformLocation(p.id, kUniformNames[static_cast<size_t>(u)]);
        return &(programs[ProgramKey(options)] = p);
    }

    // The program for this Render's lights and fog. One that fails to build
    // (it should not: the same source built at creation) leaves the faces
    // unlit and untextured.
    Program& ProgramFor(GlLighting lighting, bool textured, bool specular)
    {
        const GlSceneProgramOptions options{lighting, lights.counts, textured, specular, fogMode};
        auto it = programs.find(ProgramKey(options));
        if (it != programs.end())
            return it->second;
        if (Program* p = BuildProgram(options, &lastError))
            return *p;
        return programs.at(ProgramKey({}));
    }

    bool BuildPrograms(std::string* error)
    {
        // Every stage of the source once, so that a shader that does not
        // build is reported here rather than on some later frame.
        GlLightCounts oneOfEach{1, 1, 1, 1};
        for (int v = 0; v < kGlLightingVariants; ++v)
            for (int textured = 0; textured < 2; ++textured) {
                GlSceneProgramOptions options{static_cast<GlLighting>(v), oneOfEach, textured == 1, textured == 1, 0};
                if (!BuildProgram(options, error))
                    return false;
            }
        if (!BuildProgram({GlLighting::Phong, oneOfEach, true, false, 3}, error) ||
            !BuildProgram({GlLighting::Unlit, {}, false, false, 1}, error) ||
            !BuildProgram({GlLighting::Unlit, {}, false, false, 2}, error))
            return false;
        backgroundProgram = BuildBackgroundProgram(error);
        if (!backgroundProgram)
            return false;
        backgroundTextureLoc = glGetUniformLocation(backgroundProgram, "u_texture");
        glGenVertexArrays(1, &emptyVao);
        // The background is stretched with bilinear filtering and no wrap
        // at its edges, whatever the texture is set to for meshes.
        glGenSamplers(1, &backgroundSampler);
        glSamplerParameteri(backgroundSampler, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
        glSamplerParameteri(backgroundSampler, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
        glSamplerParameteri(backgroundSampler, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
        glSamplerParameteri(backgroundSampler, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
        return true;
    }

    void BindSurface()
    {
        glBindFramebuffer(GL_FRAMEBUFFER, fbo);
        glViewport(0, 0, width, height);
        glDisable(GL_SCISSOR_TEST);
        glDisable(GL_STENCIL_TEST);
        glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
        if (dither)
            glEnable(GL_DITHER);
        else
            glDisable(GL_DITHER);
    }

    // --- caches -----------------------------------------------------------------

    static void ReleaseMesh(MeshEntry& e)
    {
        if (e.vao)
            glDeleteVertexArrays(1, &e.vao);
        GLuint buffers[] = {e.vbo, e.ebo, e.edgeEbo, e.sortEbo};
        glDeleteBuffers(4, buffers);
        e.vao = e.vbo = e.ebo = e.edgeEbo = e.sortEbo = 0;
    }

    MeshEntry* EnsureMesh(const MeshBuilderPtr& mesh)
    {
        auto [it, inserted] = meshes.try_emplace(mesh.get());
        MeshEntry& e = it->second;
        const bool current = !inserted && e.owner.lock() == mesh && e.revision == mesh->GetRevision() &&
                             e.source == mesh->GetColorSource();
        e.lastSeen = renderStamp;
        if (current)
            return &e;
        Upload(e, mesh);
        return &e;
    }

    void Upload(MeshEntry& e, const MeshBuilderPtr& mesh)
    {
        GlMeshData data = BuildGlMeshData(*mesh);
        if (!e.vao) {
            glGenVertexArrays(1, &e.vao);
            glGenBuffers(1, &e.vbo);
            glGenBuffers(1, &e.ebo);
            glBindVertexArray(e.vao);
            glBindBuffer(GL_ARRAY_BUFFER, e.vbo);
            const GLsizei stride = sizeof(GlVertex);
            glEnableVertexAttribArray(kAttribPosition);
            glVertexAttribPointer(kAttribPosition, 3, GL_FLOAT, GL_FALSE, stride,
                                  reinterpret_cast<const void*>(offsetof(GlVertex, position)));
            glEnableVertexAttribArray(kAttribNormal);
            glVertexAttribPointer(kAttribNormal, 4, GL_INT_2_10_10_10_REV, GL_TRUE, stride,
                                  reinterpret_cast<const void*>(offsetof(GlVertex, normal)));
            glEnableVertexAttribArray(kAttribColor);
            glVertexAttribPointer(kAttribColor, 4, GL_UNSIGNED_BYTE, GL_TRUE, stride,
                                  reinterpret_cast<const void*>(offsetof(GlVertex, color)));
            glEnableVertexAttribArray(kAttribTexCoord);
            glVertexAttribPointer(kAttribTexCoord, 2, GL_FLOAT, GL_FALSE, stride,
                                  reinterpret_cast<const void*>(offsetof(GlVertex, uv)));
            glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, e.ebo);
        } else {
            glBindVertexArray(e.vao);
            glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, e.ebo);
        }
        glBindBuffer(GL_ARRAY_BUFFER, e.vbo);
        glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(data.vertices.size() * sizeof(GlVertex)),
                     data.vertices.empty() ? nullptr : data.vertices.data(), GL_STATIC_DRAW);
        glBufferData(GL_ELEMENT_ARRAY_BUFFER, static_cast<GLsizeiptr>(data.indices.size() * sizeof(uint32_t)),
                     data.indices.empty() ? nullptr : data.indices.data(), GL_STATIC_DRAW);
        if (e.edgeEbo) {
            glDeleteBuffers(1, &e.edgeEbo);
            e.edgeEbo = 0;
        }
        e.edgesBuilt = false;

        e.owner = mesh;
        e.revision = mesh->GetRevision();
        e.source = mesh->GetColorSource();
        e.vertexCount = static_cast<uint32_t>(data.vertices.size());
        e.indexCount = static_cast<uint32_t>(data.indices.size());
        e.hasTransparency = data.hasTransparency;
        e.transparentIndices.clear();
        e.centroids.clear();
        Box transparentBox;
        for (const GlBatch& b : data.batches) {
            for (uint32_t i = 0; i < b.transparentIndexCount; i += 3) {
                Vec3 c;
                for (uint32_t k = 0; k < 3; ++k) {
                    const uint32_t index = data.indices[b.firstTransparentIndex + i + k];
                    e.transparentIndices.push_back(index);
                    const float* p = data.vertices[index].position;
                    c += Vec3{p[0], p[1], p[2]};
                }
                c = c / 3.0f;
                e.centroids.push_back(c);
                transparentBox.Add(c);
            }
        }
        e.transparentCentre = transparentBox.IsEmpty() ? Vec3{} : transparentBox.Center();
        e.batches = std::move(data.batches);
        ++stats.meshUploads;
    }

    // The polygon outlines are only needed for wireframe, so they are built
    // the first time a mesh is drawn that way.
    void EnsureEdges(MeshEntry& e, const MeshBuilder& mesh)
    {
        if (e.edgesBuilt)
            return;
        GlMeshData data = BuildGlMeshData(mesh, true);
        glGenBuffers(1, &e.edgeEbo);
        glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, e.edgeEbo);
        glBufferData(GL_ELEMENT_ARRAY_BUFFER, static_cast<GLsizeiptr>(data.edges.size() * sizeof(uint32_t)),
                     data.edges.empty() ? nullptr : data.edges.data(), GL_STATIC_DRAW);
        // Same assembly, same batches: only the edge ranges are new.
        for (size_t b = 0; b < e.batches.size() && b < data.batches.size(); ++b) {
            e.batches[b].firstEdgeIndex = data.batches[b].firstEdgeIndex;
            e.batches[b].edgeIndexCount = data.batches[b].edgeIndexCount;
        }
        e.edgesBuilt = true;
    }

    TextureEntry& EnsureTexture(const TexturePtr& texture)
    {
        auto [it, inserted] = textures.try_emplace(texture.get());
        TextureEntry& e = it->second;
        e.lastSeen = renderStamp;
        if (!inserted && e.owner.lock() == texture && e.revision == texture->GetRevision())
            return e;
        if (!e.name)
            glGenTextures(1, &e.name);
        glBindTexture(GL_TEXTURE_2D, e.name);
        const Image& image = texture->GetImage();
        const uint8_t* pixels = image.rgba.data();
        std::vector<uint8_t> masked;
        if (texture->GetDecalTransparency()) {
            // The alpha channel becomes the key mask: the shader drops texels
            // whose (filtered) alpha is below one half.
            masked = image.rgba;
            for (size_t i = 0; i + 3 < masked.size(); i += 4)
                masked[i + 3] = texture->IsTransparentTexel(&masked[i]) ? 0 : 255;
            pixels = masked.data();
        }
        glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
        glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, image.width, image.height, 0, GL_RGBA, GL_UNSIGNED_BYTE, pixels);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
        e.owner = texture;
        e.revision = texture->GetRevision();
        e.mipmaps = false;
        e.minFilter = e.magFilter = -1;
        ++stats.textureUploads;
        return e;
    }

    // Binds texture to unit 0 with the given filters, building mip maps when
    // the minifying filter needs them.
    void BindTexture(TextureEntry& e, GLint minFilter, GLint magFilter)
    {
        glBindTexture(GL_TEXTURE_2D, e.name);
        const bool mip = minFilter != GL_NEAREST && minFilter != GL_LINEAR;
        if (mip && !e.mipmaps) {
            glGenerateMipmap(GL_TEXTURE_2D);
            e.mipmaps = true;
        }
        if (e.minFilter != minFilter) {
            glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, minFilter);
            e.minFilter = minFilter;
        }
        if (e.magFilter != magFilter) {
            glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, magFilter);
            e.magFilter = magFilter;
        }
    }

    std::pair<GLint, GLint> TextureFilters() const
    {
        switch (textureQuality) {
        case TextureQuality::Nearest: return {GL_NEAREST, GL_NEAREST};
        case TextureQuality::Linear: return {GL_LINEAR, GL_LINEAR};
        // Nearest level, point sampled / bilinear within it.
        case TextureQuality::MipNearest: return {GL_NEAREST_MIPMAP_NEAREST, GL_NEAREST};
        case TextureQuality::MipLinear: return {GL_LINEAR_MIPMAP_NEAREST, GL_LINEAR};
        // Two nearest levels blended, point sampled / bilinear within each.
        case TextureQuality::LinearMipNearest: return {GL_NEAREST_MIPMAP_LINEAR, GL_NEAREST};
        case TextureQuality::LinearMipLinear: return {GL_LINEAR_MIPMAP_LINEAR, GL_LINEAR};
        }
        return {GL_NEAREST, GL_NEAREST};
    }

    void Prune()
    {
        for (auto it = meshes.begin(); it != meshes.end();) {
            if (it->second.owner.expired() || renderStamp - it->second.lastSeen >= kKeepUnseenRenders) {
                ReleaseMesh(it->second);
                it = meshes.erase(it);
            } else {
                ++it;
            }
        }
        for (auto it = textures.begin(); it != textures.end();) {
            if (it->second.owner.expired() || renderStamp - it->second.lastSeen >= kKeepUnseenRenders) {
                glDeleteTextures(1, &it->second.name);
                it = textures.erase(it);
            } else {
                ++it;
            }
        }
    }

    // --- per-render uniforms ------------------------------------------------------

    void PrepareLights(const std::vector<std::pair<const Light*, Matrix4>>& found, const Matrix4& view)
    {
        lights = PreparedLights{};
        // Directional, point, spot, parallel point: the programs' order.
        std::array<std::vector<std::pair<const Light*, const Matrix4*>>, 4> byType;
        int kept = 0;
        for (const auto& [light, world] : found) {
            const ColorRGBA c = light->GetColor();
            int slot = -1;
            switch (light->GetType()) {
            case LightType::Ambient:
                lights.ambient[0] += c.r;
                lights.ambient[1] += c.g;
                lights.ambient[2] += c.b;
                break;
            case LightType::Directional: slot = 0; break;
            case LightType::Point: slot = 1; break;
            case LightType::Spot: slot = 2; break;
            case LightType::ParallelPoint: slot = 3; break;
            }
            if (slot >= 0 && kept < kGlMaxLights) {  // lights past the limit are left out
                byType[static_cast<size_t>(slot)].emplace_back(light, &world);
                ++kept;
            }
        }
        lights.counts = {static_cast<int>(byType[0].size()), static_cast<int>(byType[1].size()),
                         static_cast<int>(byType[2].size()), static_cast<int>(byType[3].size())};
        size_t i = 0;
        for (const auto& group : byType) {
            for (const auto& [light, world] : group) {
                const ColorRGBA c = light->GetColor();
                const Matrix4 eye = *world * view;
                const Vec3 p = eye.GetTranslation();
                Vec3 d = Normalize(eye.Row(2));
                if (d == Vec3{})
                    d = {0.0f, 0.0f, 1.0f};
                const float rgb[3] = {c.r, c.g, c.b};
                const float pos[3] = {p.x, p.y, p.z};
                const float dir[3] = {d.x, d.y, d.z};
                for (size_t k = 0; k < 3; ++k) {
                    lights.color[i * 3 + k] = rgb[k];
                    lights.position[i * 3 + k] = pos[k];
                    lights.direction[i * 3 + k] = dir[k];
                }
                lights.attenuation[i * 4 + 0] = light->GetConstantAttenuation();
                lights.attenuation[i * 4 + 1] = light->GetLinearAttenuation();
                lights.attenuation[i * 4 + 2] = light->GetQuadraticAttenuation();
                lights.attenuation[i * 4 + 3] = light->GetRange();
                // Umbra and penumbra are whole cone angles: the edge of each
                // cone lies at half the angle from the axis.
                const float umbra = std::clamp(light->GetUmbra(), 0.0f, kPi);
                const float penumbra = std::clamp(light->GetPenumbra(), umbra, kPi);
                lights.cone[i * 2 + 0] = std::cos(umbra * 0.5f);
                lights.cone[i * 2 + 1] = std::cos(penumbra * 0.5f);
                ++i;
            }
        }
    }

    void UseProgram(Program& p)
    {
        if (currentProgram != p.id) {
            glUseProgram(p.id);
            currentProgram = p.id;
        }
        if (p.renderStamp == renderStamp)
            return;
        p.renderStamp = renderStamp;
        const auto& l = p.loc;
        glUniformMatrix4fv(l[kProjection], 1, GL_FALSE, &projection.m[0][0]);
        glUniform3fv(l[kLightColor], kGlMaxLights, lights.color.data());
        glUniform3fv(l[kLightPosition], kGlMaxLights, lights.position.data());
        glUniform3fv(l[kLightDirection], kGlMaxLights, lights.direction.data());
        glUniform4fv(l[kLightAttenuation], kGlMaxLights, lights.attenuation.data());
        glUniform2fv(l[kLightCone], kGlMaxLights, lights.cone.data());
        glUniform3fv(l[kAmbientLight], 1, lights.ambient.data());
        glUniform1i(l[kLocalViewer], (renderMode & kRenderModeViewDependentSpecular) ? 1 : 0);
        glUniform1i(l[kOrthographic], orthographic ? 1 : 0);
        glUniform1i(l[kTextureUnit], 0);
        glUniform1f(l[kFogStart], fog.fogStart);
        glUniform1f(l[kFogEnd], fog.fogEnd);
        glUniform1f(l[kFogDensity], fog.fogDensity);
        glUniform3f(l[kFogColor], fog.fogColor.r, fog.fogColor.g, fog.fogColor.b);
    }

    void SetMaterial(const Program& p, const Material* m)
    {
        const auto& l = p.loc;
        if (!m) {
            glUniform3f(l[kEmissive], 0.0f, 0.0f, 0.0f);
            glUniform1i(l[kUseMaterialAmbient], 0);
            return;
        }
        const Vec3 e = m->GetEmissive(), s = m->GetSpecular(), a = m->GetAmbient();
        glUniform3f(l[kEmissive], e.x, e.y, e.z);
        glUniform3f(l[kSpecularColor], s.x, s.y, s.z);
        glUniform1f(l[kPower], m->GetPower());
        glUniform3f(l[kMaterialAmbient], a.x, a.y, a.z);
        glUniform1i(l[kUseMaterialAmbient], NonBlack(a) ? 1 : 0);
    }

    void SetTexture(const Program& p, const TexturePtr& texture)
    {
        if (!texture)
            return;
        TextureEntry& e = EnsureTexture(texture);
        const auto [minFilter, magFilter] = TextureFilters();
        BindTexture(e, minFilter, magFilter);
        glUniform1i(p.loc[kDecal], texture->GetDecalTransparency() ? 1 : 0);
    }

    // --- drawing ------------------------------------------------------------------

    void Draw(const DrawItem& item, Pass pass)
    {
        MeshEntry& e = *item.entry;
        const unsigned q = item.quality;
        const unsigned fill = q & kFillMask;
        const bool solid = fill == kFillSolid;
        const bool blended = renderMode & kRenderModeBlendedTransparency;
        if (pass == Pass::Transparent && (!solid || !blended || !e.hasTransparency))
            return;

        GlLighting lighting = GlLighting::Unlit;
        if (q & kLightOn) {
            const int shade = ClampShade(q);
            // Screen derivatives of a line or point say nothing about its
            // face, so flat outlines and points are lit per vertex.
            if (shade == kShadeFlat)
                lighting = solid ? GlLighting::Flat : GlLighting::Gouraud;
            else
                lighting = shade == kShadeGouraud ? GlLighting::Gouraud : GlLighting::Phong;
        }
        float det = 1.0f;
        const std::array<float, 9> normal = NormalMatrix(item.modelView, &det);
        const Vec3 origin = item.modelView.GetTranslation();
        Program* current = nullptr;
        // Batches with and without a texture or a specular material use
        // different programs; each gets the placement when switched to.
        auto use = [&](bool textured, bool specular) -> Program& {
            Program& p = ProgramFor(lighting, textured, specular);
            if (&p != current) {
                UseProgram(p);
                glUniformMatrix4fv(p.loc[kModelView], 1, GL_FALSE, &item.modelView.m[0][0]);
                glUniformMatrix3fv(p.loc[kNormalMatrix], 1, GL_TRUE, normal.data());
                glUniform3f(p.loc[kObjectOrigin], origin.x, origin.y, origin.z);
                current = &p;
            }
            return p;
        };
        // A mirroring transform turns clockwise faces anticlockwise.
        glFrontFace(det >= 0.0f ? GL_CW : GL_CCW);
        glBindVertexArray(e.vao);

        const bool sorted = pass == Pass::Transparent && (renderMode & kRenderModeSortedTransparency);
        if (sorted)
            UploadSortedTriangles(e, item.modelView);

        if (!solid) {
            if (blended)
                glEnable(GL_BLEND);
            if (fill == kFillWireframe) {
                EnsureEdges(e, *item.mesh);
                glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, e.edgeEbo);
            }
        }

        uint32_t sortedOffset = 0;
        for (const GlBatch& b : e.batches) {
            uint32_t first = 0, count = 0;
            GLuint buffer = e.ebo;
            if (!solid) {
                count = fill == kFillWireframe ? b.edgeIndexCount : b.vertexCount;
            } else if (pass == Pass::Opaque) {
                // See-through triangles follow the opaque ones of their batch;
                // without blending they are drawn as opaque.
                first = b.firstOpaqueIndex;
                count = b.opaqueIndexCount + (blended ? 0 : b.transparentIndexCount);
            } else {
                first = sorted ? sortedOffset : b.firstTransparentIndex;
                count = b.transparentIndexCount;
                if (sorted)
                    buffer = e.sortEbo;
                sortedOffset += b.transparentIndexCount;
            }
            if (count == 0)
                continue;
            const Program& p = use(b.texture != nullptr, HasSpecular(b.material.get()));
            SetMaterial(p, b.material.get());
            SetTexture(p, b.texture);
            ++stats.drawCalls;
            if (!solid && fill == kFillWireframe) {
                glDrawElements(GL_LINES, static_cast<GLsizei>(count), GL_UNSIGNED_INT,
                               reinterpret_cast<const void*>(static_cast<uintptr_t>(b.firstEdgeIndex) * 4));
            } else if (!solid) {
                glDrawArrays(GL_POINTS, static_cast<GLint>(b.firstVertex), static_cast<GLsizei>(count));
            } else {
                if (sorted)
                    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, buffer);
                glDrawElements(GL_TRIANGLES, static_cast<GLsizei>(count), GL_UNSIGNED_INT,
                               reinterpret_cast<const void*>(static_cast<uintptr_t>(first) * 4));
                stats.triangles += count / 3;
            }
        }
        if (!solid) {
            if (blended && pass == Pass::Opaque)
                glDisable(GL_BLEND);
            if (fill == kFillWireframe)
                glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, e.ebo);
        }
        if (sorted)
            glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, e.ebo);
    }

    // Orders the see-through triangles of every batch far to near for this
    // placement of the mesh and loads them into the mesh's sort buffer.
    void UploadSortedTriangles(MeshEntry& e, const Matrix4& modelView)
    {
        sortScratch.resize(e.transparentIndices.size());
        size_t triangle = 0;
        for (const GlBatch& b : e.batches) {
            const size_t n = b.transparentIndexCount / 3;
            orderScratch.resize(n);
            for (size_t t = 0; t < n; ++t)
                orderScratch[t] = {EyeDepth(e.centroids[triangle + t], modelView), static_cast<uint32_t>(triangle + t)};
            std::stable_sort(orderScratch.begin(), orderScratch.end(),
                             [](const auto& a, const auto& c) { return a.first > c.first; });
            for (size_t t = 0; t < n; ++t)
                std::memcpy(&sortScratch[(triangle + t) * 3], &e.transparentIndices[orderScratch[t].second * 3],
                            3 * sizeof(uint32_t));
            triangle += n;
        }
        if (!e.sortEbo)
            glGenBuffers(1, &e.sortEbo);
        glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, e.sortEbo);
        const GLsizeiptr bytes = static_cast<GLsizeiptr>(sortScratch.size() * sizeof(uint32_t));
        glBufferData(GL_ELEMENT_ARRAY_BUFFER, std::max<GLsizeiptr>(bytes, e.sortCapacity), nullptr, GL_STREAM_DRAW);
        e.sortCapacity = std::max(bytes, e.sortCapacity);
        glBufferSubData(GL_ELEMENT_ARRAY_BUFFER, 0, bytes, sortScratch.data());
        glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, e.ebo);
    }

    void DrawBackground(const TexturePtr& image)
    {
        TextureEntry& e = EnsureTexture(image);
        glActiveTexture(GL_TEXTURE0);
        glBindTexture(GL_TEXTURE_2D, e.name);
        glBindSampler(0, backgroundSampler);
        glUseProgram(backgroundProgram);
        currentProgram = backgroundProgram;
        glUniform1i(backgroundTextureLoc, 0);
        glDisable(GL_DEPTH_TEST);
        glDisable(GL_CULL_FACE);
        glDisable(GL_BLEND);
        glBindVertexArray(emptyVao);
        glDrawArrays(GL_TRIANGLE_STRIP, 0, 4);
        glBindVertexArray(0);
        glBindSampler(0, 0);
    }

    void Render(const Frame& scene, const Frame& camera, const ViewParameters& viewParams);
};

void GlDevice::Impl::Render(const Frame& scene, const Frame& camera, const ViewParameters& viewParams)
{
    ++renderStamp;
    stats.drawCalls = 0;
    stats.triangles = 0;
    BindSurface();

    // Walk the tree, parents before children, skipping what is not rendered.
    struct Visit {
        const Frame* frame;
        Matrix4 world;
        bool depthTested;
    };
    struct Found {
        const MeshBuilderPtr* mesh;
        Matrix4 world;
        bool depthTested;
    };
    std::vector<Found> found;
    std::vector<std::pair<const Light*, Matrix4>> foundLights;
    std::vector<Visit> stack;
    stack.push_back({&scene, scene.World(), scene.GetZBufferMode() != ZBufferMode::Disable});
    while (!stack.empty()) {
        const Visit visit = stack.back();
        stack.pop_back();
        const Frame& frame = *visit.frame;
        if (!frame.IsRenderEnabled())
            continue;
        for (const LightPtr& light : frame.GetLights())
            if (light)
                foundLights.emplace_back(light.get(), visit.world);
        for (const MeshBuilderPtr& mesh : frame.GetVisuals())
            if (mesh)
                found.push_back({&mesh, visit.world, visit.depthTested});
        const auto& children = frame.GetChildren();
        for (auto it = children.rbegin(); it != children.rend(); ++it) {
            const Frame& child = **it;
            bool depth = visit.depthTested;
            if (child.GetZBufferMode() == ZBufferMode::Enable)
                depth = true;
            else if (child.GetZBufferMode() == ZBufferMode::Disable)
                depth = false;
            stack.push_back({&child, child.GetLocalTransform() * visit.world, depth});
        }
    }

    const Matrix4 view = camera.World().Inverse();
    projection = ProjectionMatrix(viewParams, width, height);
    orthographic = viewParams.projection == Projection::Orthographic;
    fog = scene.Scene();
    fogMode = fog.fogEnabled ? 1 + std::clamp(static_cast<int>(fog.fogMode), 0, 2) : 0;
    PrepareLights(foundLights, view);
    currentProgram = 0;

    std::vector<DrawItem> items;
    items.reserve(found.size());
    for (const Found& f : found) {
        DrawItem item;
        item.entry = EnsureMesh(*f.mesh);
        if (item.entry->batches.empty())
            continue;
        item.mesh = f.mesh->get();
        item.depthTested = f.depthTested;
        item.quality = EffectiveQuality(item.mesh->GetQuality(), quality);
        item.modelView = f.world * view;
        item.depth = EyeDepth(item.entry->transparentCentre, item.modelView);
        items.push_back(item);
    }

    glActiveTexture(GL_TEXTURE0);
    glEnable(GL_CULL_FACE);
    glCullFace(GL_BACK);
    glDisable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glPointSize(2.0f);
    const bool blended = renderMode & kRenderModeBlendedTransparency;

    // Opaque geometry in traversal order. A frame without depth buffering
    // neither tests nor writes depth: what is drawn after it covers it, and it
    // covers what was drawn before it (a ground grid drawn first stays behind
    // the objects; an overlay placed last stays on top).
    glDepthFunc(GL_LEQUAL);
    bool depthOn = false;
    auto setDepth = [&](bool on) {
        if (on == depthOn)
            return;
        depthOn = on;
        if (on) {
            glEnable(GL_DEPTH_TEST);
            glDepthMask(GL_TRUE);
        } else {
            glDisable(GL_DEPTH_TEST);
            glDepthMask(GL_FALSE);
        }
    };
    depthOn = true;
    setDepth(false);
    for (const DrawItem& item : items) {
        setDepth(item.depthTested);
        Draw(item, Pass::Opaque);
    }

    // Then the see-through triangles, tested against the depth buffer but not
    // writing it; farthest mesh first when sorting (each mesh's triangles are
    // sorted as it is drawn).
    if (blended) {
        std::vector<const DrawItem*> seeThrough;
        for (const DrawItem& item : items)
            if (item.entry->hasTransparency)
                seeThrough.push_back(&item);
        if (renderMode & kRenderModeSortedTransparency)
            std::stable_sort(seeThrough.begin(), seeThrough.end(),
                             [](const DrawItem* a, const DrawItem* b) { return a->depth > b->depth; });
        glEnable(GL_BLEND);
        for (const DrawItem* item : seeThrough) {
            if (item->depthTested)
                glEnable(GL_DEPTH_TEST);
            else
                glDisable(GL_DEPTH_TEST);
            glDepthMask(GL_FALSE);
            Draw(*item, Pass::Transparent);
        }
        glDisable(GL_BLEND);
    }

    glDepthMask(GL_TRUE);
    glEnable(GL_DEPTH_TEST);
    glBindVertexArray(0);
    glUseProgram(0);
    currentProgram = 0;
    Prune();
}

// ---------------------------------------------------------------------------

GlDevice::GlDevice(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}

GlDevice::~GlDevice() = default;

std::unique_ptr<GlDevice> GlDevice::Create(int width, int height, int depthBits, std::string* error)
{
    if (width <= 0 || height <= 0) {
        if (error)
            *error = "the render surface needs a positive size, not " + std::to_string(width) + "x" +
                     std::to_string(height);
        return nullptr;
    }
    const auto* version = reinterpret_cast<const char*>(glGetString(GL_VERSION));
    if (!version) {
        if (error)
            *error = "no OpenGL context is current";
        return nullptr;
    }
    GLint major = 0, minor = 0;
    glGetIntegerv(GL_MAJOR_VERSION, &major);
    glGetIntegerv(GL_MINOR_VERSION, &minor);
    if (major * 10 + minor < 33) {
        if (error)
            *error = std::string("OpenGL 3.3 is needed, the context has ") + version;
        return nullptr;
    }
    auto impl = std::make_unique<Impl>();
    impl->requestedDepthBits = depthBits;
    if (!impl->BuildPrograms(error) || !impl->MakeSurface(width, height, error))
        return nullptr;
    return std::unique_ptr<GlDevice>(new GlDevice(std::move(impl)));
}

int GlDevice::GetWidth() const { return impl_->width; }
int GlDevice::GetHeight() const { return impl_->height; }
void GlDevice::SetQuality(unsigned quality) { impl_->quality = quality; }
void GlDevice::SetShades(int shades) { impl_->shades = shades; }
void GlDevice::SetDither(bool on) { impl_->dither = on; }
void GlDevice::SetRenderMode(unsigned mode) { impl_->renderMode = mode; }
void GlDevice::SetTextureQuality(TextureQuality quality) { impl_->textureQuality = quality; }
unsigned GlDevice::GetQuality() const { return impl_->quality; }
int GlDevice::GetShades() const { return impl_->shades; }
bool GlDevice::GetDither() const { return impl_->dither; }
unsigned GlDevice::GetRenderMode() const { return impl_->renderMode; }
TextureQuality GlDevice::GetTextureQuality() const { return impl_->textureQuality; }
unsigned GlDevice::Framebuffer() const { return impl_->fbo; }
int GlDevice::GetDepthBits() const { return impl_->depthBits; }

bool GlDevice::Resize(int width, int height, std::string* error)
{
    if (width <= 0 || height <= 0) {
        if (error)
            *error = "the render surface needs a positive size";
        return false;
    }
    if (width == impl_->width && height == impl_->height)
        return true;
    return impl_->MakeSurface(width, height, error);
}

void GlDevice::Clear(const Frame& scene)
{
    Impl& d = *impl_;
    d.BindSurface();
    const SceneProperties& props = scene.Scene();
    glDepthMask(GL_TRUE);
    glClearColor(props.background.r, props.background.g, props.background.b, 1.0f);
    glClearDepth(1.0);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    if (props.backgroundImage && IsValidImage(props.backgroundImage->GetImage()))
        d.DrawBackground(props.backgroundImage);
    glUseProgram(0);
    d.currentProgram = 0;
}

void GlDevice::Render(const Frame& scene, const Frame& camera, const ViewParameters& view)
{
    impl_->Render(scene, camera, view);
}

void GlDevice::Update()
{
    glFlush();
}

Image GlDevice::ReadPixels()
{
    Impl& d = *impl_;
    Image image;
    image.width = d.width;
    image.height = d.height;
    const size_t row = static_cast<size_t>(d.width) * 4;
    // The rows arrive bottom up; the buffer they land in is kept for the
    // next read of the same size (exports read every frame).
    std::vector<uint8_t>& bottomUp = d.readBack;
    bottomUp.resize(row * static_cast<size_t>(d.height));
    glBindFramebuffer(GL_READ_FRAMEBUFFER, d.fbo);
    glReadBuffer(GL_COLOR_ATTACHMENT0);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glPixelStorei(GL_PACK_ROW_LENGTH, 0);
    glReadPixels(0, 0, d.width, d.height, GL_RGBA, GL_UNSIGNED_BYTE, bottomUp.data());
    image.rgba.resize(bottomUp.size());
    for (int y = 0; y < d.height; ++y)
        std::memcpy(&image.rgba[static_cast<size_t>(y) * row],
                    &bottomUp[static_cast<size_t>(d.height - 1 - y) * row], row);
    return image;
}

void GlDevice::BlitTo(unsigned framebuffer, int x, int y, int width, int height) const
{
    glBindFramebuffer(GL_READ_FRAMEBUFFER, impl_->fbo);
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, framebuffer);
    glDisable(GL_SCISSOR_TEST);
    glBlitFramebuffer(0, 0, impl_->width, impl_->height, x, y, x + width, y + height, GL_COLOR_BUFFER_BIT,
                      GL_LINEAR);
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
}

GlDevice::Statistics GlDevice::GetStatistics() const
{
    Statistics s = impl_->stats;
    s.cachedMeshes = impl_->meshes.size();
    s.cachedTextures = impl_->textures.size();
    return s;
}

std::string GlDevice::GetLastError() const
{
    return impl_->lastError;
}

std::optional<GlDevice::MeshBuffers> GlDevice::FindMeshBuffers(const MeshBuilder& mesh) const
{
    auto it = impl_->meshes.find(&mesh);
    if (it == impl_->meshes.end() || it->second.owner.lock().get() != &mesh)
        return std::nullopt;
    const MeshEntry& e = it->second;
    return MeshBuffers{e.vao, e.vbo, e.ebo, e.vertexCount, e.indexCount};
}

} // namespace corvid
