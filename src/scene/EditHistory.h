#pragma once
// The edit history: every change a person makes to the scene is one step
// that can be undone and redone.
//
// A step is recorded while it happens. The operations of the scene model
// open one (EditStep), and a tool gesture keeps one open from its press to
// its release; steps opened inside another join it. Before an operation
// changes part of an object it touches that part (Touch<Aspect>): the first
// touch in a step keeps the part as it was, and the end of the step takes it
// as it is then, dropping what did not change. Object frames coming into the
// scene, leaving it or moving within it are logged as FrameMoves, so undo
// replays them backwards and redo forwards, and the frames themselves (with
// their records, meshes and keys) are kept while a step needs them.
//
// Memory is bounded by a budget (256 MB unless set): when the steps hold
// more, the oldest go first. The newest step is always kept, so the last
// change can be undone however large it is.
//
// Adding a kind of step is adding an aspect: a struct with
//   using Object = std::shared_ptr<T>;  using State = ...;
//   static State Capture(const T&);
//   static void Restore(SceneModel&, T&, const State&);
//   static bool Same(const State&, const State&);
//   static size_t Bytes(const State&);             // heap bytes beyond sizeof
//   static void Trim(State& before, State& after); // optional
// and touching it where the change is made (see EditParts.h).

#include "platform/Fwd.h"

#include <cstddef>
#include <functional>
#include <set>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace corvid {

class SceneModel;

// One reversible part of a step.
class Change {
public:
    virtual ~Change() = default;
    // Takes the state as the step leaves it.
    virtual void TakeAfter() = 0;
    // True when the step left the state as it found it.
    virtual bool Unchanged() const = 0;
    // Puts back the state before (undo) or after (redo) the step.
    virtual void Restore(SceneModel& scene, bool after) = 0;
    virtual size_t Bytes() const = 0;
};

template <class Aspect>
class AspectChange final : public Change {
public:
    AspectChange(typename Aspect::Object object, bool keep)
        : object_(std::move(object)), before_(Aspect::Capture(*object_)), keep_(keep)
    {
    }
    void TakeAfter() override
    {
        after_ = Aspect::Capture(*object_);
        if constexpr (requires(typename Aspect::State& s) { Aspect::Trim(s, s); })
            Aspect::Trim(before_, after_);
    }
    bool Unchanged() const override { return !keep_ && Aspect::Same(before_, after_); }
    void Restore(SceneModel& scene, bool after) override { Aspect::Restore(scene, *object_, after ? after_ : before_); }
    size_t Bytes() const override { return sizeof(*this) + Aspect::Bytes(before_) + Aspect::Bytes(after_); }

private:
    typename Aspect::Object object_;
    typename Aspect::State before_;
    typename Aspect::State after_;
    bool keep_;
};

// An object frame coming into the scene (fromParent null), leaving it
// (toParent null) or moving within it. The next siblings are the object
// siblings it stood before (null: last), so replaying a move puts it back in
// its place among them.
struct FrameMove {
    FramePtr frame;
    FramePtr fromParent, fromNext;
    FramePtr toParent, toNext;
};

// What was selected when a step began or ended.
struct SelectionState {
    FramePtr frame;
    MeshBuilderPtr visual;
    LightPtr light;
};

class EditHistory {
public:
    static constexpr size_t kDefaultBudget = size_t{256} << 20;

    explicit EditHistory(SceneModel& scene);
    ~EditHistory();
    EditHistory(const EditHistory&) = delete;
    EditHistory& operator=(const EditHistory&) = delete;

    // --- recording -------------------------------------------------------------------
    // Opens a step, or joins the one open. A step's name is the first name
    // given that is not provisional (a tool names its gesture provisionally:
    // "Move"; an operation inside it names what it did: "Delete Sphere 3"),
    // else the first.
    void Begin(const std::string& name, bool provisional = false);
    // Closes what Begin opened; the outermost End ends the step. A step that
    // changed nothing is not kept.
    void End();
    // Names the open step when nothing but a provisional name was given.
    void Name(const std::string& name)
    {
        Begin(name);
        End();
    }
    bool Recording() const { return depth_ > 0; }
    // Closes the open step however deep, putting back everything it changed
    // so far (as an undo would) and keeping nothing of it: the steps to undo
    // and redo and the saved state stay as they were. A cancelled gesture.
    // False when no step is open.
    bool Abandon();
    // True while an undo or redo puts things back: nothing is recorded then.
    bool Restoring() const { return restoring_; }

    // Keeps the state of one part of object before the open step changes it.
    // Nothing happens outside a step, while restoring, or when the part was
    // touched already in this step. keep: the part is put back on undo even
    // when the step itself leaves it as it was, because what the step set up
    // changes it right after (a look-at turns its object on the next redraw).
    template <class Aspect>
    void Touch(const typename Aspect::Object& object, bool keep = false)
    {
        if (!object || !recordingChanges())
            return;
        static const char tag = 0;
        if (!touched_.emplace(object.get(), &tag).second)
            return;
        addChange(std::make_unique<AspectChange<Aspect>>(object, keep));
    }
    // Logs a frame move of the open step.
    void Moved(FrameMove move);

    // --- undo and redo -----------------------------------------------------------------
    bool CanUndo() const { return !Recording() && position_ > 0; }
    bool CanRedo() const { return !Recording() && position_ < steps_.size(); }
    // The name of the step Undo / Redo would act on ("Move"), empty when none.
    std::string UndoName() const;
    std::string RedoName() const;
    // Undoes the newest step not yet undone; false when there is none or a
    // step is being recorded.
    bool Undo();
    // Redoes the step undone last; false when there is none.
    bool Redo();
    size_t UndoCount() const { return position_; }
    size_t RedoCount() const { return steps_.size() - position_; }
    // Forgets every step (New Scene, Load). The scene is then as saved.
    void Clear();

    // --- memory --------------------------------------------------------------------------
    size_t Bytes() const { return bytes_; }
    size_t Budget() const { return budget_; }
    void SetBudget(size_t bytes);

    // --- the saved state ----------------------------------------------------------------
    // The scene as it is now was saved (or loaded).
    void MarkSaved();
    // True when undo and redo have brought the scene back to the saved state.
    bool AtSavePoint() const { return saved_ == static_cast<long>(position_); }

    // Called after every change of what Undo / Redo offer.
    std::function<void()> onChanged;

private:
    struct Step;
    bool recordingChanges() const { return depth_ > 0 && !restoring_ && open_; }
    void addChange(std::unique_ptr<Change> change);
    void finishStep();
    void enforceBudget();
    void changed();

    SceneModel& scene_;
    std::vector<std::unique_ptr<Step>> steps_;
    size_t position_ = 0;  // steps_[0 .. position_) are done, the rest undone
    long saved_ = 0;       // the position of the saved state, -1 when it is gone
    size_t bytes_ = 0;
    size_t budget_ = kDefaultBudget;
    int depth_ = 0;
    bool restoring_ = false;
    std::unique_ptr<Step> open_;
    // The parts touched in the open step: object and aspect.
    std::set<std::pair<const void*, const void*>> touched_;
};

// Opens a step for its lifetime (or joins the open one).
class EditStep {
public:
    EditStep(EditHistory& history, const std::string& name, bool provisional = false) : history_(history)
    {
        history_.Begin(name, provisional);
    }
    ~EditStep() { history_.End(); }
    EditStep(const EditStep&) = delete;
    EditStep& operator=(const EditStep&) = delete;

private:
    EditHistory& history_;
};

} // namespace corvid
