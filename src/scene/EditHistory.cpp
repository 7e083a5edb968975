#include "scene/EditHistory.h"

#include "platform/Frame.h"
#include "scene/SceneModel.h"

#include <algorithm>

namespace corvid {

struct EditHistory::Step {
    std::string name;
    bool named = false;
    std::vector<std::unique_ptr<Change>> changes;
    std::vector<FrameMove> moves;
    SelectionState before, after;
    size_t bytes = 0;
};

EditHistory::EditHistory(SceneModel& scene) : scene_(scene) {}

EditHistory::~EditHistory() = default;

void EditHistory::Begin(const std::string& name, bool provisional)
{
    if (restoring_)
        return;
    if (depth_++ == 0) {
        open_ = std::make_unique<Step>();
        open_->name = name;
        open_->named = !provisional;
        open_->before = {scene_.SelectedFrame(), scene_.CurrentVisual(), scene_.PickedLight()};
        return;
    }
    if (open_ && !open_->named && !provisional) {
        open_->name = name;
        open_->named = true;
    }
}

void EditHistory::End()
{
    if (restoring_ || depth_ == 0)
        return;
    if (--depth_ == 0)
        finishStep();
}

bool EditHistory::Abandon()
{
    if (restoring_ || depth_ == 0 || !open_)
        return false;
    std::unique_ptr<Step> step = std::move(open_);
    depth_ = 0;
    touched_.clear();
    restoring_ = true;
    for (auto it = step->changes.rbegin(); it != step->changes.rend(); ++it)
        (*it)->Restore(scene_, false);
    scene_.ReplayMoves(step->moves, false);
    scene_.RestoreSelection(step->before);
    restoring_ = false;
    changed();
    return true;
}

void EditHistory::addChange(std::unique_ptr<Change> change)
{
    open_->changes.push_back(std::move(change));
}

void EditHistory::Moved(FrameMove move)
{
    if (!move.frame || !recordingChanges())
        return;
    open_->moves.push_back(std::move(move));
}

void EditHistory::finishStep()
{
    std::unique_ptr<Step> step = std::move(open_);
    touched_.clear();
    if (!step)
        return;
    for (auto& change : step->changes)
        change->TakeAfter();
    std::erase_if(step->changes, [](const std::unique_ptr<Change>& change) { return change->Unchanged(); });
    if (step->changes.empty() && step->moves.empty())
        return;  // nothing changed: nothing to undo
    step->after = {scene_.SelectedFrame(), scene_.CurrentVisual(), scene_.PickedLight()};

    step->bytes = sizeof(Step) + step->name.capacity() + step->moves.capacity() * sizeof(FrameMove);
    for (const auto& change : step->changes)
        step->bytes += change->Bytes() + sizeof(change);
    // What left the scene lives on only in the history.
    for (const FrameMove& move : step->moves)
        if (!move.toParent)
            step->bytes += scene_.SubtreeBytes(*move.frame);

    // A new step ends every redo.
    while (steps_.size() > position_) {
        bytes_ -= steps_.back()->bytes;
        steps_.pop_back();
    }
    if (saved_ > static_cast<long>(position_))
        saved_ = -1;
    bytes_ += step->bytes;
    steps_.push_back(std::move(step));
    position_ = steps_.size();
    enforceBudget();
    changed();
}

void EditHistory::enforceBudget()
{
    // The newest step stays whatever it costs.
    size_t drop = 0;
    while (drop + 1 < steps_.size() && drop < position_ && bytes_ > budget_) {
        bytes_ -= steps_[drop]->bytes;
        ++drop;
    }
    if (drop == 0)
        return;
    steps_.erase(steps_.begin(), steps_.begin() + static_cast<long>(drop));
    position_ -= drop;
    saved_ = saved_ >= static_cast<long>(drop) ? saved_ - static_cast<long>(drop) : -1;
}

void EditHistory::SetBudget(size_t bytes)
{
    budget_ = bytes;
    enforceBudget();
    changed();
}

std::string EditHistory::UndoName() const
{
    return CanUndo() ? steps_[position_ - 1]->name : std::string();
}

std::string EditHistory::RedoName() const
{
    return CanRedo() ? steps_[position_]->name : std::string();
}

bool EditHistory::Undo()
{
    if (!CanUndo())
        return false;
    Step& step = *steps_[position_ - 1];
    restoring_ = true;
    for (auto it = step.changes.rbegin(); it != step.changes.rend(); ++it)
        (*it)->Restore(scene_, false);
    scene_.ReplayMoves(step.moves, false);
    scene_.RestoreSelection(step.before);
    restoring_ = false;
    --position_;
    changed();
    return true;
}

bool EditHistory::Redo()
{
    if (!CanRedo())
        return false;
    Step& step = *steps_[position_];
    restoring_ = true;
    for (auto& change : step.changes)
        change->Restore(scene_, true);
    scene_.ReplayMoves(step.moves, true);
    scene_.RestoreSelection(step.after);
    restoring_ = false;
    ++position_;
    changed();
    return true;
}

void EditHistory::Clear()
{
    steps_.clear();
    position_ = 0;
    saved_ = 0;
    bytes_ = 0;
    if (open_) {
        // A step being recorded starts again from the cleared scene.
        open_->changes.clear();
        open_->moves.clear();
        touched_.clear();
    }
    changed();
}

void EditHistory::MarkSaved()
{
    saved_ = static_cast<long>(position_);
    changed();
}

void EditHistory::changed()
{
    if (onChanged)
        onChanged();
}

} // namespace corvid
