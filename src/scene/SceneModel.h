#pragma once
// The scene model: the roots WORLD and SCENE with the editor's auxiliary
// frames, the records and their registration, the selection and the
// insertion point, the user camera and light tables, the name and material
// counters, and the operations that create, duplicate, delete and re-arrange
// objects. It knows nothing of views, tools or windows; the person is reached
// through the Ui.

#include "platform/Fwd.h"
#include "platform/Light.h"
#include "platform/Math.h"
#include "platform/MeshBuilder.h"
#include "scene/EditHistory.h"
#include "scene/SceneContext.h"
#include "scene/SceneSettings.h"

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace corvid {

class Ui;
struct ObjectRecord;

constexpr int kMaxUserCameras = 1000;
constexpr int kMaxUserLights = 1000;
constexpr int kCameraMenuBase = 2222;
constexpr int kLightMenuBase = 3333;

// The light a frame's object stands for when it carries several: the last
// one added. Picking, the Objects List and the light settings all take this
// one. Null for a frame without lights.
LightPtr ObjectLightOf(const Frame& frame);

// Default-name counters. Each starts at 0 with the program, is read for a name
// and then incremented, and is never reset (not by New Scene either).
struct NameCounters {
    int cube = 0;            // "Cube %s": cubes and squares
    int sphere = 0;          // "Sphere %s"
    int cylinder = 0;        // "Cylinder %s": cylinders and cones
    int superToroid = 0;     // "SuperToroid %s"
    int superEllipsoid = 0;  // "SuperEllipsoid %s"
    int light = 0;           // "Light %s": every light type
    int camera = 0;          // "Camera %s"
    int importedObject = 0;  // imported meshes
};

// Parameters of one light tool: what CreateLight gives a new light.
struct LightToolParameters {
    ColorRGBA color{1, 1, 1, 1};
    int attenuationMode = 0;  // 0 constant, 1 linear, 2 quadratic
    float constant = 1.0f;
    float linear = 1.0f;
    float quadratic = 1.0f;
    float range = 256.0f;     // spot light only
    float penumbra = 1.0f;
    float umbra = 0.0f;
};

// Grid snapping of whatever places things in the working plane.
struct GridSnap {
    bool on = false;
    float stepX = 0.5f;
    float stepZ = 0.5f;
};

class SceneModel {
public:
    explicit SceneModel(Ui& ui);
    ~SceneModel();
    SceneModel(const SceneModel&) = delete;
    SceneModel& operator=(const SceneModel&) = delete;

    Ui& ui() { return ui_; }

    // --- roots ----------------------------------------------------------------
    const FramePtr& World() const { return world_; }
    const FramePtr& Scene() const { return scene_; }
    // The white directional camera light and the auxiliary frame holding it.
    const LightPtr& CameraLight() const { return cameraLight_; }
    const FramePtr& CameraLightFrame() const { return cameraLightFrame_; }
    // The two auxiliary frames under SCENE: the grid, and the selection
    // marker under it.
    const FramePtr& GridFrame() const { return gridFrame_; }
    const FramePtr& MarkerFrame() const { return markerFrame_; }
    // The camera of the active view. The live wrap and the camera light
    // follow it.
    const FramePtr& ActiveCamera() const { return context_->activeCamera; }
    const std::shared_ptr<SceneContext>& Context() const { return context_; }
    // Makes camera the active camera; the camera light rides on it while
    // the light is on.
    void SetActiveCamera(const FramePtr& camera);
    // The camera light on (riding on the active camera) or off (out of the
    // tree, lighting nothing).
    bool CameraLightOn() const { return cameraLightOn_; }
    void SetCameraLightOn(bool on);

    // Empties the scene (keeping SCENE itself), the material list and the
    // animation, and restarts the camera and light menu numbering. The grid
    // and the light symbols are shown again.
    void NewScene();

    // Called after objects have left the scene: a deletion, New Scene, or an
    // undo or redo that takes objects out. Whoever looks through frames of
    // the scene (the views) lets go of those that went.
    std::function<void()> onObjectsRemoved;

    // --- records and registration ---------------------------------------------
    // Gives an object frame (which already has its record) an interpolator
    // attached to the master, an empty key list and a tree entry.
    void RegisterObject(const FramePtr& frame);
    // Gives a light its record when it has none, an interpolator and a key list.
    void RegisterLight(const LightPtr& light);
    const std::shared_ptr<MasterInterpolator>& Master() const { return master_; }

    // --- creation, duplication, deletion --------------------------------------
    // The first half of making a mesh object: clears the selection, makes a
    // frame under SCENE at the insertion point with a new mesh builder (Gouraud,
    // lit, solid) as its visual, and selects both. The caller builds the
    // geometry and normals, then calls FinishObjectCreation.
    MeshBuilderPtr BeginObjectCreation();
    // The second half: random pastel colour and material, the MeshRecord and an
    // ObjectRecord of kind Object named from pattern ("Sphere %s") and the
    // counter, which is then incremented. The object is not yet registered.
    void FinishObjectCreation(const char* namePattern, int& counter);

    // A camera or light at the insertion point, with its menu entry, selected
    // and not yet registered.
    FramePtr CreateCamera();
    FramePtr CreateLight(LightType type, const LightToolParameters& parameters);
    // Copies source (its own transform, record, meshes or lights, and children)
    // under newParent. The copy is selected when newParent is SCENE.
    FramePtr DuplicateObject(FramePtr source, FramePtr newParent);
    // The frame handles are taken by value: callers may pass the selection,
    // which these operations clear on the way.
    // Deletes frame and everything below it, depth first, with their records,
    // interpolators and menu entries. SCENE itself is emptied but kept.
    void DeleteObjectTree(FramePtr frame);

    // --- selection ---------------------------------------------------------------
    void ClearSelection();
    // Selects frame (its first visual becomes the current visual, its first
    // light the picked light).
    void Select(FramePtr frame);
    // Selects exactly this frame, visual and light (what a pick found).
    void SetSelection(FramePtr frame, MeshBuilderPtr visual, LightPtr light);
    const FramePtr& SelectedFrame() const { return selectedFrame_; }
    const MeshBuilderPtr& CurrentVisual() const { return currentVisual_; }
    bool HasSelection() const { return hasSelection_; }
    const LightPtr& PickedLight() const { return pickedLight_; }
    // Where new objects go, relative to SCENE (set by picking).
    Vec3 insertionPoint;
    GridSnap grid;

    // --- user cameras and lights ------------------------------------------------
    int CameraCount() const { return cameraCount_; }
    int LightCount() const { return lightCount_; }
    // The frame of camera / light n, or null.
    FramePtr UserCamera(int n) const;
    FramePtr UserLight(int n) const;
    // Gives a camera or light frame the next "Camera %d" / "Light %d" entry
    // of the viewport menus (none once the table is full).
    void AddCameraEntry(const FramePtr& frame, ObjectRecord& record);
    void AddLightEntry(const FramePtr& frame, ObjectRecord& record);

    // --- scene-wide switches ------------------------------------------------------
    const SceneSettings& Settings() const { return *settings_; }
    // The switches as the edit history keeps them (scene/EditParts.h).
    const std::shared_ptr<SceneSettings>& SettingsHandle() const { return settings_; }
    // The switches that change what is drawn take effect at once.
    void SetRenderGrid(bool on);
    void SetRenderLights(bool on);
    // The fog link and the background picture's names.
    void SetFogChangeBoth(bool on) { settings_->fogChangeBoth = on; }
    void SetBackgroundImage(bool on, const std::string& name, const std::string& path);
    // Puts every switch and name back as they were (undo, redo).
    void RestoreSettings(const SceneSettings& settings);
    TextureSizing textureSizing;

    // --- counters and materials ---------------------------------------------------
    NameCounters names;
    int materialIdCounter = 0;
    // Every material the program made for the scene; New Scene empties it.
    std::vector<MaterialPtr> materials;
    // Draws a digit 0..9 for the pastel colours. Replaceable so tests can fix it.
    std::function<int()> randomDigit;

    // --- the edit history -------------------------------------------------------------
    // Every operation below that changes the scene is a step of it (or part
    // of the step open, such as a tool's gesture).
    EditHistory& History() { return history_; }
    const EditHistory& History() const { return history_; }
    // Whether the scene differs from what was last saved or loaded: undoing
    // back to that state makes it unmodified again.
    bool Modified() const { return dirty_ || !history_.AtSavePoint(); }
    // false: the scene as it is now counts as saved. true: marks a change
    // made outside the history.
    void SetModified(bool modified);

    // A new frame under parent (null: SCENE) that the history sees come into
    // the scene, for whatever builds a new top-level object.
    FramePtr NewObjectFrame(const FramePtr& parent = nullptr);

    // --- hierarchy (Hierarchy.cpp) -------------------------------------------------
    // Each refusal shows its message and changes nothing; each returns true
    // when the scene changed. None of them makes the frame tree cyclic or
    // moves WORLD, SCENE or an editor auxiliary.
    // target adopts source (source keeps its transform relative to its parent).
    bool Attach(FramePtr source, FramePtr target);
    // source takes target's place under target's parent; target hangs under it.
    bool Insert(FramePtr source, FramePtr target);
    // object goes to SCENE; its children go to its former parent.
    bool Extract(FramePtr object);
    // object and every descendant become direct children of SCENE.
    bool Flatten(FramePtr object);
    // object (with its subtree) goes to SCENE.
    bool Unlink(FramePtr object);
    // source turns to face target on every redraw.
    bool LookAt(FramePtr source, FramePtr target);
    // object stops turning; its record keeps naming the target.
    bool StopLookAt(FramePtr object);
    // Re-parents an object under target as its last child, without the
    // messages of the tools (the Objects List's drop). False when it may
    // not move there.
    bool MoveUnder(FramePtr object, FramePtr target);
    // True for a frame the hierarchy operations may move: an object under SCENE.
    bool IsMovableObject(const FramePtr& frame) const;

    // --- object properties ---------------------------------------------------------
    // Renames frame's object; refused (false) for WORLD, SCENE and an empty text.
    bool Rename(FramePtr frame, const std::string& text);
    // Shown: rendered and pickable; hidden: neither. WORLD stays as it is.
    bool SetShown(FramePtr frame, bool shown);
    // True when frame is rendered and pickable.
    static bool IsShown(const Frame& frame);

    // OriginMoves.cpp. Moves object's origin to point (relative to SCENE)
    // and its meshes and children back by the same amount, so nothing moves
    // on screen.
    bool MoveOriginTo(FramePtr object, const Vec3& point);
    // The same with the centre of the bounding box of object's first mesh.
    bool MoveOriginToCentre(FramePtr object);

    // Shadow.cpp. Adds to object a flat copy of visual (one of object's
    // meshes) cast by light (on lightFrame) onto the plane y = 0.01 of SCENE.
    // Null when the light casts no shadow there.
    MeshBuilderPtr CastShadow(const Frame& lightFrame, const Light& light, FramePtr object, MeshBuilderPtr visual);

    // The shared icon meshes shown by camera and light frames.
    const MeshBuilderPtr& CameraIcon() const { return cameraIcon_; }
    const MeshBuilderPtr& LightIcon(LightType type) const { return lightIcons_[static_cast<int>(type)]; }

private:
    friend class EditHistory;
    // What the history calls to put things back: the frame moves of a step,
    // backwards (undo) or forwards (redo), with the registration and tree
    // items of the frames moved; the selection where it still exists; the
    // bytes of the meshes below a frame.
    void ReplayMoves(const std::vector<FrameMove>& moves, bool forward);
    void RestoreSelection(const SelectionState& selection);
    size_t SubtreeBytes(const Frame& frame) const;

    void createSceneRoots();
    void buildSceneAuxiliaries();
    void removeMenuEntry(const ObjectRecord& record);
    void unregisterAnimation(Frame& frame);
    // NewScene's teardown: frame and everything below it, records and all.
    void deleteTree(const FramePtr& frame);
    // Moves an object frame under parent (last), or out of the scene when
    // parent is null, and logs the move.
    void reparent(const FramePtr& frame, const FramePtr& parent);
    // The object sibling frame stands before, or null.
    static FramePtr nextObjectSibling(const Frame& frame);
    bool inScene(const Frame& frame) const;
    // A frame leaving the scene keeps its records, interpolators, keys and
    // look-at target's name; it leaves the master interpolator, the menus and
    // the Objects List. Coming back puts it into them again.
    void unregisterTree(Frame& frame);
    void registerTree(const FramePtr& frame);
    // Ends every look-at link with an end in frame's subtree.
    void releaseLookAt(const FramePtr& frame);
    FramePtr frameOf(const ObjectRecord* record) const;
    // Lists frame (and its subtree) at its place under its parent's item.
    void insertTreeItem(const FramePtr& frame);
    FramePtr duplicate(const FramePtr& source, const FramePtr& newParent, bool top);
    std::array<float, 3> pastelColor();
    // Drops the items of frame's subtree from the Objects List.
    void removeTreeItems(Frame& frame);
    void afterHierarchyChange();
    void objectsRemoved();

    Ui& ui_;
    std::shared_ptr<SceneContext> context_;
    FramePtr world_;
    FramePtr scene_;
    LightPtr cameraLight_;
    std::shared_ptr<SceneSettings> settings_ = std::make_shared<SceneSettings>();
    MeshBuilderPtr gridMesh_;
    // The light symbols' geometry while "Render Lights" is off.
    std::array<MeshContents, 5> hiddenLightIcons_;
    FramePtr cameraLightFrame_;
    FramePtr gridFrame_;
    FramePtr markerFrame_;
    bool cameraLightOn_ = true;
    std::shared_ptr<MasterInterpolator> master_;

    FramePtr selectedFrame_;
    MeshBuilderPtr currentVisual_;
    bool hasSelection_ = false;
    LightPtr pickedLight_;

    std::vector<FramePtr> cameras_;
    std::vector<FramePtr> lights_;
    int cameraCount_ = 0;
    int lightCount_ = 0;
    EditHistory history_{*this};
    bool dirty_ = false;

    MeshBuilderPtr cameraIcon_;
    std::array<MeshBuilderPtr, 5> lightIcons_;
};

} // namespace corvid
