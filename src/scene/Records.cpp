#include "scene/Records.h"

#include "platform/Frame.h"
#include "platform/Light.h"
#include "platform/Material.h"
#include "platform/MeshBuilder.h"

#include <algorithm>

namespace corvid {

namespace {
void RemoveLooker(ObjectRecord& target, const ObjectRecord* looker)
{
    std::erase(target.lookers, looker);
}
} // namespace

ObjectRecord::~ObjectRecord()
{
    ClearLookTarget();
    ReleaseLookers();
}

void ObjectRecord::ReleaseLookers()
{
    for (ObjectRecord* looker : lookers) {
        looker->looksAt = false;
        looker->lookTarget.reset();
        looker->lookTargetRecord_ = nullptr;
    }
    lookers.clear();
}

void ObjectRecord::CopyScalarsFrom(const ObjectRecord& source)
{
    name = source.name;
    text2 = source.text2;
    kind = source.kind;
    menuCommand = source.menuCommand;
    cpRow = source.cpRow;
    cpColumn = source.cpColumn;
    cpRows = source.cpRows;
    cpColumns = source.cpColumns;
    patchType = source.patchType;
    cpStepsU = source.cpStepsU;
    cpStepsV = source.cpStepsV;
    if (source.looksAt)
        SetLookTarget(source.lookTarget.lock());
    else {
        looksAt = false;
        lookTarget = source.lookTarget;
    }
}

void ObjectRecord::SetLookTarget(const FramePtr& target)
{
    ClearLookTarget();
    ObjectRecord* targetRecord = RecordOf(target.get());
    if (!targetRecord || targetRecord == this)
        return;
    looksAt = true;
    lookTarget = target;
    lookTargetRecord_ = targetRecord;
    if (std::find(targetRecord->lookers.begin(), targetRecord->lookers.end(), this) == targetRecord->lookers.end())
        targetRecord->lookers.push_back(this);
}

void ObjectRecord::ClearLookTarget()
{
    // Not through lookTarget: while the target frame is being destroyed the
    // weak handle has expired but its record still lists this one.
    if (lookTargetRecord_)
        RemoveLooker(*lookTargetRecord_, this);
    lookTargetRecord_ = nullptr;
    looksAt = false;
    lookTarget.reset();
}

std::unique_ptr<MeshRecord> MeshRecord::CloneFor(const FramePtr& newOwner) const
{
    auto copy = std::make_unique<MeshRecord>();
    copy->tag = tag;
    copy->owner = newOwner;
    copy->wrapReference = wrapReference;
    copy->adaptiveScale = adaptiveScale;
    copy->liveWrap = liveWrap;
    copy->wrapType = wrapType;
    copy->wrap = wrap;
    return copy;
}

ObjectRecord* RecordOf(const Frame* frame) { return frame ? frame->AppDataAs<ObjectRecord>() : nullptr; }
MeshRecord* RecordOf(const MeshBuilder* mesh) { return mesh ? mesh->AppDataAs<MeshRecord>() : nullptr; }
LightRecord* RecordOf(const Light* light) { return light ? light->AppDataAs<LightRecord>() : nullptr; }
MaterialRecord* RecordOf(const Material* material) { return material ? material->AppDataAs<MaterialRecord>() : nullptr; }

template <class Owner, class Record>
static Record* attach(Owner& owner, std::unique_ptr<Record> record)
{
    Record* raw = record.get();
    owner.SetAppData(std::move(record));
    return raw;
}

ObjectRecord* AttachRecord(Frame& frame, std::unique_ptr<ObjectRecord> record) { return attach(frame, std::move(record)); }
MeshRecord* AttachRecord(MeshBuilder& mesh, std::unique_ptr<MeshRecord> record) { return attach(mesh, std::move(record)); }
LightRecord* AttachRecord(Light& light, std::unique_ptr<LightRecord> record) { return attach(light, std::move(record)); }
MaterialRecord* AttachRecord(Material& material, std::unique_ptr<MaterialRecord> record) { return attach(material, std::move(record)); }

std::shared_ptr<MaterialRecord> SharedRecordOf(const Material* material)
{
    return material ? std::dynamic_pointer_cast<MaterialRecord>(material->GetSharedAppData()) : nullptr;
}

void ShareRecord(Material& material, std::shared_ptr<MaterialRecord> record)
{
    material.SetSharedAppData(std::move(record));
}

} // namespace corvid
