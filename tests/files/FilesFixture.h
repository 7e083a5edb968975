#pragma once
// Scenes to write and read files with: a workspace is one scene model with
// its views, animation and transport (what an editor holds), and a hand
// encoder builds the bytes a file should hold straight from the format's
// tables, without the writer's code.

#include "support/ScriptedUi.h"

#include "anim/Animation.h"
#include "anim/Transport.h"
#include "files/Document.h"
#include "render/MenuModel.h"
#include "render/ViewSet.h"
#include "scene/SceneModel.h"

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace corvid::testing {

struct Workspace {
    Workspace() { scene.randomDigit = [] { return 3; }; }
    ScriptedUi ui;
    SceneModel scene{ui};
    MenuModel menu;
    ViewSet views{scene, menu};
    Animation animation{scene};
    Transport transport{animation, views};
    Document doc() { return {scene, views, animation, transport}; }
};

// Little-endian bytes as the format's tables give them.
class Hand {
public:
    Hand& i32(int32_t v)
    {
        for (int i = 0; i < 4; ++i)
            bytes.push_back(static_cast<uint8_t>(static_cast<uint32_t>(v) >> (8 * i)));
        return *this;
    }
    Hand& f32(float v)
    {
        int32_t bits;
        std::memcpy(&bits, &v, 4);
        return i32(bits);
    }
    Hand& f32s(std::initializer_list<float> values)
    {
        for (float v : values)
            f32(v);
        return *this;
    }
    Hand& u8(uint8_t v)
    {
        bytes.push_back(v);
        return *this;
    }
    Hand& str(const std::string& s)
    {
        bytes.insert(bytes.end(), s.begin(), s.end());
        bytes.push_back(0);
        return *this;
    }
    Hand& header() { return str("Lumenworks Studio").str("cvd").str("V2.1"); }
    // A chunk's header with its length written at end().
    Hand& begin(const char* tag, int32_t a, int32_t b, int32_t c)
    {
        start_ = bytes.size();
        str(tag).i32(a).i32(b).i32(c);
        lengthAt_ = bytes.size();
        return i32(0);
    }
    Hand& end()
    {
        const auto length = static_cast<uint32_t>(bytes.size() - start_);
        for (int i = 0; i < 4; ++i)
            bytes[lengthAt_ + static_cast<size_t>(i)] = static_cast<uint8_t>(length >> (8 * i));
        return *this;
    }
    Hand& identity()
    {
        for (int r = 0; r < 4; ++r)
            for (int c = 0; c < 4; ++c)
                f32(r == c ? 1.0f : 0.0f);
        return *this;
    }
    std::vector<uint8_t> bytes;

private:
    size_t start_ = 0, lengthAt_ = 0;
};

// A folder of its own, removed with everything in it.
class TempFolder {
public:
    TempFolder()
    {
        static int serial = 0;
        path_ = std::filesystem::temp_directory_path() /
                ("corvid-test-" + std::to_string(::getpid()) + "-" + std::to_string(serial++));
        std::filesystem::remove_all(path_);
        std::filesystem::create_directories(path_);
    }
    ~TempFolder()
    {
        std::error_code error;
        std::filesystem::remove_all(path_, error);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    std::string Path() const { return path_.string(); }
    std::string File(const std::string& name) const { return (path_ / name).string(); }

private:
    std::filesystem::path path_;
};

// The offset of the first chunk with tag, or npos.
inline size_t FindChunk(const std::vector<uint8_t>& bytes, const std::string& tag, size_t from = 27)
{
    size_t at = from;
    while (at + 23 <= bytes.size()) {
        const std::string here(reinterpret_cast<const char*>(bytes.data() + at));
        uint32_t length;
        std::memcpy(&length, bytes.data() + at + here.size() + 1 + 12, 4);
        if (here == tag)
            return at;
        if (length == 0)
            break;
        at += length;
    }
    return std::string::npos;
}

// The tags of the chunks in order.
inline std::vector<std::string> ChunkTags(const std::vector<uint8_t>& bytes)
{
    std::vector<std::string> tags;
    size_t at = 27;
    while (at + 23 <= bytes.size()) {
        const std::string here(reinterpret_cast<const char*>(bytes.data() + at));
        uint32_t length;
        std::memcpy(&length, bytes.data() + at + here.size() + 1 + 12, 4);
        tags.push_back(here);
        if (length == 0)
            break;
        at += length;
    }
    return tags;
}

// Where two files first differ, with the chunk there; empty when equal.
inline std::string FirstDifference(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b)
{
    size_t at = 0;
    while (at < a.size() && at < b.size() && a[at] == b[at])
        ++at;
    if (at == a.size() && at == b.size())
        return {};
    std::string chunk = "header";
    size_t start = 27;
    while (start + 23 <= a.size() && start <= at) {
        const std::string here(reinterpret_cast<const char*>(a.data() + start));
        uint32_t length;
        std::memcpy(&length, a.data() + start + here.size() + 1 + 12, 4);
        if (at < start + length || length == 0) {
            chunk = here + " at " + std::to_string(start) + ", offset " + std::to_string(at - start);
            break;
        }
        start += length;
    }
    return "sizes " + std::to_string(a.size()) + " and " + std::to_string(b.size()) + ", first difference at " +
           std::to_string(at) + " in " + chunk;
}

} // namespace corvid::testing
