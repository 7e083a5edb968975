// Damaged 3DS files: each invalid-*.3ds beside this file ends the import
// with its message; a real file cut at every length loads or is refused,
// never more; what was read before the damage stays a proper scene.

#include "files/3ds/ThreeDsHand.h"
#include "files/3ds/ThreeDsScenes.h"

#include "files/3ds/ThreeDsFile.h"
#include "files/FileIo.h"
#include "files/ImportPipeline.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace corvid::testing {
namespace {

struct InvalidFile {
    const char* file;
    const char* message;
};

const InvalidFile kInvalidFiles[] = {
    {"invalid-empty.3ds", kThreeDsCorrupted},
    {"invalid-short-header.3ds", kThreeDsCorrupted},
    {"invalid-magic.3ds", kThreeDsCorrupted},
    {"invalid-chunk-too-short.3ds", kThreeDsCorrupted},
    {"invalid-chunk-past-parent.3ds", kThreeDsCorrupted},
    {"invalid-chunk-past-file.3ds", kThreeDsCorrupted},
    {"invalid-nan-point.3ds", kThreeDsCorrupted},
    {"invalid-infinite-matrix.3ds", kThreeDsCorrupted},
    {"invalid-point-count.3ds", kThreeDsCorrupted},
    {"invalid-face-index.3ds", kThreeDsCorrupted},
    {"invalid-material-group-index.3ds", kThreeDsCorrupted},
    {"invalid-name-unterminated.3ds", kThreeDsCorrupted},
    {"invalid-light-short.3ds", kThreeDsCorrupted},
    {"invalid-track-past-chunk.3ds", kThreeDsCorrupted},
};

TEST(ThreeDsBadInputTest, EveryInvalidFileIsRefusedWithItsMessage)
{
    for (const InvalidFile& invalid : kInvalidFiles) {
        SCOPED_TRACE(invalid.file);
        const std::string path = ThreeDsDataFolder() + "/" + invalid.file;
        ASSERT_TRUE(std::filesystem::exists(path));
        Workspace ws;
        Document doc = ws.doc();
        EXPECT_FALSE(Import3ds(doc, path, {}));
        EXPECT_EQ(ws.ui.messages, (std::vector<std::string>{invalid.message}));
        // The message comes after the progress window is gone.
        EXPECT_FALSE(ws.ui.progressVisible);
        EXPECT_EQ(std::find(ws.ui.statusLines.begin(), ws.ui.statusLines.end(), kImportedSuccessfully),
                  ws.ui.statusLines.end());
    }
}

TEST(ThreeDsBadInputTest, AFileThatCannotBeOpenedSaysSo)
{
    Workspace ws;
    Document doc = ws.doc();
    EXPECT_FALSE(Import3ds(doc, "/nonexistent/corvid/model.3ds", {}));
    EXPECT_EQ(ws.ui.messages, (std::vector<std::string>{kThreeDsOpenFailed}));
}

TEST(ThreeDsBadInputTest, WhatWasReadBeforeTheDamageStays)
{
    Workspace ws;
    Document doc = ws.doc();
    EXPECT_FALSE(Import3ds(doc, ThreeDsDataFolder() + "/invalid-material-group-index.3ds", {}));
    std::vector<FramePtr> frames;
    for (const FramePtr& f : ws.scene.Scene()->GetChildren())
        if (const ObjectRecord* r = RecordOf(f.get()); r && r->name == "Tri")
            frames.push_back(f);
    ASSERT_EQ(frames.size(), 1u);
    const MeshBuilder& mesh = *frames[0]->GetVisuals()[0];
    EXPECT_EQ(mesh.GetFaceCount(), 1);
    // Its normals were made all the same.
    Vec3 n;
    mesh.GetNormal(0, n);
    EXPECT_NEAR(Length(n), 1.0f, 1e-5f);
}

TEST(ThreeDsBadInputTest, AFileCutAtEveryLengthLoadsOrIsRefused)
{
    TempFolder source, cache;
    setenv("XDG_CACHE_HOME", cache.Path().c_str(), 1);
    Workspace original;
    BuildRichScene(original, source);
    Document doc = original.doc();
    std::vector<uint8_t> bytes;
    ASSERT_TRUE(Write3dsBytes(doc, {}, source.Path(), bytes, {.copyTextures = false}));
    // The pictures are left out: the cut files read quickly.
    ImportOptions options;
    options.addTextures = false;
    int loaded = 0;
    // One scene, emptied before each read.
    Workspace ws;
    Document cut = ws.doc();
    auto fresh = [&] {
        ws.scene.NewScene();
        ws.ui.messages.clear();
    };
    for (size_t length = 0; length < bytes.size(); ++length) {
        fresh();
        const bool read = Read3dsBytes(cut, bytes.data(), length, options, source.Path());
        if (read) {
            ++loaded;
            EXPECT_TRUE(ws.ui.messages.empty()) << length;
        } else {
            ASSERT_EQ(ws.ui.messages, (std::vector<std::string>{kThreeDsCorrupted})) << length;
        }
    }
    // A cut inside the main chunk is damage; nothing shorter than the file loads.
    EXPECT_EQ(loaded, 0);

    // The same with the main chunk's length made to fit each cut, so that
    // the walk goes on to meet the cut deep inside the chunks.
    for (size_t length = 6; length < bytes.size(); ++length) {
        std::vector<uint8_t> part(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(length));
        const auto size = static_cast<uint32_t>(length);
        std::memcpy(part.data() + 2, &size, 4);
        fresh();
        if (Read3dsBytes(cut, part.data(), part.size(), options, source.Path())) {
            ++loaded;
            EXPECT_TRUE(ws.ui.messages.empty()) << length;
        } else {
            ASSERT_EQ(ws.ui.messages, (std::vector<std::string>{kThreeDsCorrupted})) << length;
        }
    }
    // Where the mesh data ends (the keyframer follows), and within the
    // keyframer after each node.
    EXPECT_GE(loaded, 1);
    Workspace whole;
    Document all = whole.doc();
    EXPECT_TRUE(Read3dsBytes(all, bytes.data(), bytes.size(), options, source.Path()));
}

} // namespace
} // namespace corvid::testing
