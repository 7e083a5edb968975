#pragma once
// The painting operations: the paint material and texture onto the picked
// face, the whole object, or every face carrying the same material as the
// picked one; and the reverse, a face's material picked up into the paint
// material. Each paint is one step of the edit history (or part of the step
// open, such as a tool's gesture).
//
// Painting never changes a material that is already in use: where the paint
// record has to be hung on a face's existing material (the material switch
// off), the face gets a copy of that material carrying the record, so other
// faces and other objects sharing the material keep theirs.

#include "materials/PaintState.h"
#include "platform/Fwd.h"

#include <cstdint>

namespace corvid {

class SceneModel;

// The record a material counts as: its own, or the record defaults for a
// material without one (or no material at all).
const MaterialRecord& RecordOrDefaults(const Material* material);

// True when two records have the same texture name (exact) and the same
// fourteen values: diffuse, specular, power, ambient, emissive and alpha.
bool SamePaintValues(const MaterialRecord& a, const MaterialRecord& b);

// The 32-bit colour a paint gives a face: the paint material's diffuse
// colour with its alpha.
uint32_t PaintColor(const MaterialRecord& paintMaterial);

// A new material with the paint material's power and specular, emissive
// and ambient colours (no record).
MaterialPtr NewPaintMaterial(const MaterialRecord& paintMaterial);

// Mode 500: paints face of mesh. False (nothing done) for a bad face.
bool PaintFace(SceneModel& scene, PaintState& paint, const MeshBuilderPtr& mesh, int face);

// Mode 503: paints every face of mesh whose material's record has the same
// paint values as the picked face's (SamePaintValues); they all get one new
// material. Returns the number of faces painted (0 for a bad face).
int RepaintMatchingFaces(SceneModel& scene, PaintState& paint, const MeshBuilderPtr& mesh, int face);

// Mode 501: paints the whole mesh of object (face is the picked face, whose
// record the values the switches leave out come from) and, with mapSwitch
// on, lays the current wrap. False for a bad face.
bool PaintObject(SceneModel& scene, PaintState& paint, const FramePtr& object, const MeshBuilderPtr& mesh, int face);

// Mode 502: copies the record of face's material into the paint material
// (the fourteen values, the four texts, the sizes), makes the face's texture
// the paint texture, hands a wrap the mesh holds to pickUpWrap, and sets
// freshRecord. False for a bad face. Not a change of the scene.
bool PickUpMaterial(PaintState& paint, const MeshBuilder& mesh, int face);

} // namespace corvid
