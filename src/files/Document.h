#pragma once
// What a file reader or writer works on: the scene model with its views,
// animation and transport (the camera a view looks through, the animation
// settings and the transport's window are part of a scene file).

namespace corvid {

class SceneModel;
class ViewSet;
class Animation;
class Transport;

struct Document {
    SceneModel& scene;
    ViewSet& views;
    Animation& animation;
    Transport& transport;
};

} // namespace corvid
