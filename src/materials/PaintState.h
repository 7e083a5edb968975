#pragma once
// What the painting tools paint with: the paint material the material window
// edits, the paint texture the texture panel chooses, the switches that say
// which parts a paint copies, and the record painting hangs on the materials
// it paints.

#include "platform/Fwd.h"
#include "scene/Records.h"

#include <functional>
#include <memory>

namespace corvid {

struct PaintState {
    // The values the material window edits; the record defaults at start.
    MaterialRecord paintMaterial;
    // The texture the texture panel shows, or none.
    TexturePtr paintTexture;
    bool mapSwitch = true;       // painting an object also lays the current wrap
    bool colourSwitch = true;    // paint the diffuse colour
    bool textureSwitch = true;   // paint the texture (set it, or clear it)
    bool materialSwitch = true;  // paint specular, power, ambient, emissive
    // The texture panel offers paintTexture; when clear, painting the
    // texture removes it.
    bool textureEnabled = true;
    // The next paint makes a new record: set whenever the paint values may
    // have changed.
    bool freshRecord = false;
    // The record the last fresh paint made, hung on every material painted
    // until the next fresh one. None before the first paint.
    std::shared_ptr<MaterialRecord> currentPaintRecord;

    // Painting a whole object with mapSwitch on lays the current texture
    // wrap on it, and picking a material up hands the mesh's wrap back to
    // the wrap presets; whoever keeps those presets connects these. Unset,
    // the wrap is left alone.
    std::function<void(const FramePtr& object, const MeshBuilderPtr& mesh)> layWrap;
    std::function<void(const MeshRecord& record)> pickUpWrap;

    // The paint values changed outside the material window: it needs a new
    // record.
    void Changed() { freshRecord = true; }
};

} // namespace corvid
