#pragma once
// The material preview: a scene of its own (a lit shape on grey) drawn by a
// device of its own into this small widget.

#include "platform/Fwd.h"

#include <QOpenGLWidget>

#include <functional>
#include <memory>
#include <string>

namespace corvid {

class GlDevice;

class SamplerWidget final : public QOpenGLWidget {
    Q_OBJECT
public:
    explicit SamplerWidget(QWidget* parent = nullptr);
    ~SamplerWidget() override;

    // The shape shown (the material panel's preview shape); a sphere until
    // set.
    void SetPreviewShape(const MeshBuilderPtr& shape);
    const MeshBuilderPtr& PreviewShape() const { return shape_; }
    // Draws the preview again.
    void RenderSampler();

    const FramePtr& SceneFrame() const { return scene_; }
    const FramePtr& CameraFrame() const { return camera_; }
    const FramePtr& LightFrame() const { return lightFrame_; }
    // Pictures drawn so far.
    int RenderCount() const { return renderCount_; }

    // Called when no device can be made, with the reason.
    std::function<void(const std::string& error)> onDeviceFailure;

protected:
    void paintGL() override;

private:
    bool ensureDevice(int width, int height);

    FramePtr scene_;
    FramePtr camera_;
    FramePtr lightFrame_;
    MeshBuilderPtr shape_;
    std::unique_ptr<GlDevice> device_;
    bool failed_ = false;
    int renderCount_ = 0;
};

} // namespace corvid
