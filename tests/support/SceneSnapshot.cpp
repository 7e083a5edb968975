#include "support/SceneSnapshot.h"

#include "platform/Frame.h"
#include "platform/Interpolator.h"
#include "scene/MoveBehaviours.h"
#include "scene/Records.h"
#include "scene/SceneModel.h"
#include "support/ScriptedUi.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <map>
#include <sstream>

namespace corvid {

namespace {

// FNV-1a over the bytes of every value a mesh holds.
struct Digest {
    uint64_t value = 14695981039346656037ull;
    void Bytes(const void* data, size_t size)
    {
        // A word at a time: the values are what matters, not the hash.
        const auto* p = static_cast<const unsigned char*>(data);
        size_t i = 0;
        for (; i + 8 <= size; i += 8) {
            uint64_t word;
            std::memcpy(&word, p + i, 8);
            value = (value ^ word) * 1099511628211ull;
        }
        for (; i < size; ++i)
            value = (value ^ p[i]) * 1099511628211ull;
    }
    template <class T>
    void Value(const T& v)
    {
        Bytes(&v, sizeof v);
    }
    template <class T>
    void Array(const std::vector<T>& list)
    {
        Value(list.size());
        if (!list.empty())
            Bytes(list.data(), list.size() * sizeof(T));
    }
};

uint64_t DigestOf(const MeshBuilder& mesh)
{
    Digest d;
    d.Array(mesh.GetVertices());
    d.Array(mesh.GetNormals());
    // Per vertex: a mesh that never had coordinates keeps no array for them.
    for (int v = 0; v < mesh.GetVertexCount(); ++v) {
        float u = 0, t = 0;
        mesh.GetTextureCoordinates(v, u, t);
        d.Value(u);
        d.Value(t);
    }
    for (int v = 0; v < mesh.GetVertexCount(); ++v)
        d.Value(mesh.GetVertexColor(v));
    for (int f = 0; f < mesh.GetFaceCount(); ++f) {
        for (const Corner& c : mesh.GetFaceCorners(f)) {
            d.Value(c.vertex);
            d.Value(c.normal);
        }
        d.Value(-1);
        const FaceAttributes* a = mesh.GetFaceAttributes(f);
        d.Value(a->color);
        d.Value(a->material.get());
        d.Value(a->texture.get());
        d.Value(a->wrapU);
        d.Value(a->wrapV);
    }
    d.Value(mesh.GetColor());
    d.Value(mesh.GetMaterial().get());
    d.Value(mesh.GetTexture().get());
    d.Value(mesh.GetColorSource());
    d.Value(mesh.GetQuality());
    d.Value(mesh.GetPerspective());
    return d.value;
}

struct Walker {
    Walker(const SceneModel& s, const ScriptedUi& u) : scene(s), ui(u)
    {
        for (const auto& [id, item] : ui.tree)
            items[item.parent].push_back(id);
        for (auto& [parent, list] : items)
            std::stable_sort(list.begin(), list.end(),
                             [this](long a, long b) { return ui.tree.at(a).order < ui.tree.at(b).order; });
    }

    const SceneModel& scene;
    const ScriptedUi& ui;
    SceneSnapshot out;
    std::map<const Frame*, std::string> paths;
    std::map<long, std::vector<long>> items;  // the items under each item, in order

    bool Animated(const ObjectRecord& record) const
    {
        return record.interpolator && scene.Master()->Holds(record.interpolator.get());
    }

    std::string Item(const Frame& frame, const ObjectRecord& record, const std::string& parentPath)
    {
        if (!record.treeItem)
            return {};
        auto it = ui.tree.find(record.treeItem);
        if (it == ui.tree.end())
            return "missing item";
        const ScriptedUi::TreeItem& item = it->second;
        std::ostringstream s;
        if (item.frame != &frame)
            s << "item of another frame ";
        const ObjectRecord* parent = RecordOf(frame.GetParent());
        if (parent && item.parent != parent->treeItem)
            s << "under another item ";
        const std::vector<long>& siblings = items[item.parent];
        const auto place = std::find(siblings.begin(), siblings.end(), record.treeItem) - siblings.begin();
        s << "under " << parentPath << " at " << place << " reading '" << item.name << "' "
          << (item.checked ? "checked" : "clear");
        return s.str();
    }

    void Walk(const Frame& frame, const std::string& parentPath)
    {
        int index = 0;
        int listed = 0;
        for (const FramePtr& child : frame.GetChildren()) {
            const ObjectRecord* record = RecordOf(child.get());
            if (!record)
                continue;
            const std::string path = parentPath + "/" + std::to_string(index++) + ":" + record->name;
            paths[child.get()] = path;
            SceneSnapshot::Object o;
            o.path = path;
            o.identity = child.get();
            o.kind = record->kind;
            o.name = record->name;
            o.text2 = record->text2;
            o.world = child->World();
            o.traversal = child->GetTraversalOptions();
            o.looksAt = record->looksAt;
            o.turning = child->HasMoveCallback(kLookAtCallbackTag);
            o.menuCommand = record->menuCommand;
            o.animated = Animated(*record);
            o.item = Item(*child, *record, parentPath);
            if (record->treeItem) {
                // Listed siblings are in the frames' order.
                o.item += " as listed sibling " + std::to_string(listed++);
            }
            for (const auto& visual : child->GetVisuals())
                o.meshes.push_back({visual.get(), DigestOf(*visual)});
            for (const auto& light : child->GetLights()) {
                SceneSnapshot::LightState l;
                l.identity = light.get();
                l.type = light->GetType();
                l.color = light->GetColor();
                l.constant = light->GetConstantAttenuation();
                l.linear = light->GetLinearAttenuation();
                l.quadratic = light->GetQuadraticAttenuation();
                l.range = light->GetRange();
                l.umbra = light->GetUmbra();
                l.penumbra = light->GetPenumbra();
                o.lights.push_back(l);
            }
            out.objects.push_back(std::move(o));
            Walk(*child, path);
        }
    }

};

bool Near(const Matrix4& a, const Matrix4& b, float tolerance)
{
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            if (std::fabs(a.m[r][c] - b.m[r][c]) > tolerance)
                return false;
    return true;
}


} // namespace

SceneSnapshot TakeSnapshot(const SceneModel& scene, const ScriptedUi& ui)
{
    Walker walker(scene, ui);
    // WORLD itself is the first object.
    const ObjectRecord* world = RecordOf(scene.World().get());
    walker.paths[scene.World().get()] = "WORLD";
    SceneSnapshot::Object root;
    root.path = "WORLD";
    root.identity = scene.World().get();
    root.name = world ? world->name : "";
    root.item = world ? walker.Item(*scene.World(), *world, "") : "";
    walker.out.objects.push_back(root);
    walker.Walk(*scene.World(), "WORLD");
    // Look-at targets by path, once every path is known.
    for (SceneSnapshot::Object& o : walker.out.objects) {
        const ObjectRecord* record = RecordOf(o.identity);
        if (FramePtr target = record ? record->lookTarget.lock() : nullptr) {
            auto found = walker.paths.find(target.get());
            o.lookTarget = found != walker.paths.end() ? found->second : "(outside the scene)";
        }
    }

    for (const auto& e : ui.cameraEntries)
        walker.out.menus.push_back("camera entry " + e.text + " " + std::to_string(e.command));
    for (const auto& e : ui.lightEntries)
        walker.out.menus.push_back("light entry " + e.text + " " + std::to_string(e.command));
    for (int n = 0; n < scene.CameraCount(); ++n)
        if (FramePtr camera = scene.UserCamera(n))
            walker.out.menus.push_back("camera " + std::to_string(n) + " " + walker.paths[camera.get()]);
    for (int n = 0; n < scene.LightCount(); ++n)
        if (FramePtr light = scene.UserLight(n))
            walker.out.menus.push_back("light " + std::to_string(n) + " " + walker.paths[light.get()]);
    if (scene.HasSelection() && scene.SelectedFrame()) {
        auto found = walker.paths.find(scene.SelectedFrame().get());
        walker.out.selection = found != walker.paths.end() ? found->second : "(outside the scene)";
    }
    walker.out.treeItems = ui.tree.size();
    return walker.out;
}

std::string SnapshotDifference(const SceneSnapshot& a, const SceneSnapshot& b, float tolerance)
{
    if (a.objects.size() != b.objects.size())
        return "object count " + std::to_string(a.objects.size()) + " vs " + std::to_string(b.objects.size()) +
               (a.objects.size() < b.objects.size() ? ", first extra " + b.objects[a.objects.size()].path
                                                    : ", first extra " + a.objects[b.objects.size()].path);
    for (size_t i = 0; i < a.objects.size(); ++i) {
        const auto& x = a.objects[i];
        const auto& y = b.objects[i];
        const std::string at = x.path + ": ";
        if (x.path != y.path)
            return "object " + std::to_string(i) + " is " + x.path + " vs " + y.path;
        if (x.identity != y.identity)
            return at + "another frame";
        if (x.kind != y.kind || x.name != y.name || x.text2 != y.text2)
            return at + "kind or name";
        if (!Near(x.world, y.world, tolerance)) {
            std::ostringstream m;
            m << at << "world transform";
            for (const Matrix4* t : {&x.world, &y.world}) {
                m << (t == &x.world ? " [" : " vs [");
                for (int r = 0; r < 4; ++r)
                    m << t->m[r][0] << " " << t->m[r][1] << " " << t->m[r][2] << (r < 3 ? "; " : "]");
            }
            return m.str();
        }
        if (x.traversal != y.traversal)
            return at + "traversal";
        if (x.looksAt != y.looksAt || x.lookTarget != y.lookTarget || x.turning != y.turning)
            return at + "look-at " + (x.looksAt ? "on " : "off ") + x.lookTarget + " vs " +
                   (y.looksAt ? "on " : "off ") + y.lookTarget;
        if (x.menuCommand != y.menuCommand)
            return at + "menu command";
        if (x.animated != y.animated)
            return at + (x.animated ? "animated vs not" : "not animated vs animated");
        if (x.item != y.item)
            return at + "item '" + x.item + "' vs '" + y.item + "'";
        if (x.meshes.size() != y.meshes.size())
            return at + "mesh count";
        for (size_t m = 0; m < x.meshes.size(); ++m) {
            if (x.meshes[m].identity != y.meshes[m].identity)
                return at + "another mesh " + std::to_string(m);
            if (x.meshes[m].contents != y.meshes[m].contents)
                return at + "contents of mesh " + std::to_string(m);
        }
        if (x.lights.size() != y.lights.size())
            return at + "light count";
        for (size_t l = 0; l < x.lights.size(); ++l) {
            const auto& p = x.lights[l];
            const auto& q = y.lights[l];
            if (p.identity != q.identity || p.type != q.type || p.color != q.color || p.constant != q.constant ||
                p.linear != q.linear || p.quadratic != q.quadratic || p.range != q.range || p.umbra != q.umbra ||
                p.penumbra != q.penumbra)
                return at + "light " + std::to_string(l);
        }
    }
    if (a.menus != b.menus)
        return "user camera and light menus";
    if (a.selection != b.selection)
        return "selection " + a.selection + " vs " + b.selection;
    if (a.treeItems != b.treeItems)
        return "tree items " + std::to_string(a.treeItems) + " vs " + std::to_string(b.treeItems);
    return {};
}

} // namespace corvid
